#include "platform/print_job.h"

namespace kestrum {

bool MemoryPrintJob::WriteToPrinter(const void* bytes, std::size_t length) {
    if (length == 0) return true;
    if (failFrom_ >= 0 && writes_ >= failFrom_) return false;
    bytes_.append(static_cast<const char*>(bytes), length);
    ++writes_;
    return true;
}

bool StreamPrintJob::WriteToPrinter(const void* bytes, std::size_t length) {
    if (length == 0) return true;
    return std::fwrite(bytes, 1, length, stream_) == length;
}

}  // namespace kestrum
