#pragma once

// Gathers a job's small writes into blocks before they reach the back end: handing a spooler or
// a file one 512-byte piece at a time costs far more than the copying does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace kestrum {

class WriteGatherer {
  public:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    WriteGatherer() : block_(new char[kBlockSize]) {}

    // Takes `length` bytes; each full block goes to `send(bytes, length)`, which answers whether
    // all of them were taken. A write of a block or more with nothing gathered goes through as it
    // is. False as soon as `send` fails.
    template <typename Send>
    bool Write(const char* data, std::size_t length, Send&& send) {
        while (length > 0) {
            if (used_ == 0 && length >= kBlockSize) {
                if (!send(data, length)) return false;
                accepted_ += length;
                return true;
            }
            const std::size_t take = std::min(kBlockSize - used_, length);
            std::memcpy(block_.get() + used_, data, take);
            used_ += take;
            accepted_ += take;
            data += take;
            length -= take;
            if (used_ == kBlockSize && !Flush(send)) return false;
        }
        return true;
    }

    // Sends what is gathered. The gathered bytes are given up either way.
    template <typename Send>
    bool Flush(Send&& send) {
        if (used_ == 0) return true;
        const std::size_t length = used_;
        used_ = 0;
        return send(block_.get(), length);
    }

    void Discard() { used_ = 0; }

    // Bytes taken so far, gathered or sent.
    std::uint64_t accepted() const { return accepted_; }

  private:
    std::unique_ptr<char[]> block_;
    std::size_t used_ = 0;
    std::uint64_t accepted_ = 0;
};

}  // namespace kestrum
