#pragma once

// The output side of a print job: every byte of a job stream goes through WriteToPrinter.

#include <cstddef>
#include <cstdio>
#include <string>

namespace kestrum {

class PrintJob {
  public:
    virtual ~PrintJob() = default;

    // True only when every one of the `length` bytes was accepted. A zero-length write succeeds
    // without reaching the back end, because some back ends take an empty write as the end of
    // the document and drop whatever follows.
    virtual bool WriteToPrinter(const void* bytes, std::size_t length) = 0;
};

// Collects the job in memory; for tests and for callers that need the bytes themselves.
class MemoryPrintJob final : public PrintJob {
  public:
    bool WriteToPrinter(const void* bytes, std::size_t length) override;

    const std::string& bytes() const { return bytes_; }
    // The number of non-empty writes, so callers can check how a stream was cut into blocks.
    int writeCount() const { return writes_; }
    // Makes the write with this zero-based index (counting non-empty writes) and all later ones
    // fail, as a spooler that breaks off in the middle of a job would.
    void FailFromWrite(int index) { failFrom_ = index; }

  private:
    std::string bytes_;
    int writes_ = 0;
    int failFrom_ = -1;
};

// Writes the job to an open C stream such as standard output. Does not own the stream.
class StreamPrintJob final : public PrintJob {
  public:
    explicit StreamPrintJob(std::FILE* stream) : stream_(stream) {}
    bool WriteToPrinter(const void* bytes, std::size_t length) override;

  private:
    std::FILE* stream_;
};

}  // namespace kestrum
