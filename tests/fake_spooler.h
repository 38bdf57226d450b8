#pragma once

// A spooler that keeps every job in memory, so tests can look at a job after its owner has
// dropped it: what was written, in which pieces, and whether it was ended or aborted.

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/spooler.h"

namespace kestrum::test {

struct FakeJobRecord {
    explicit FakeJobRecord(std::string name) : printer(std::move(name)) {}

    std::string printer;
    std::string bytes;
    std::vector<std::size_t> writes;  // the length of every write, empty ones included
    int abortCalls = 0;
    bool ended = false;
    bool droppedOpen = false;  // destroyed while neither ended nor aborted
};

class FakeSpoolJob final : public SpoolJob {
  public:
    // Writes with a zero-based index (counting non-empty writes) of `failFromWrite` or later fail.
    explicit FakeSpoolJob(FakeJobRecord& record, int failFromWrite = -1, bool endFails = false)
        : record_(record), failFrom_(failFromWrite), endFails_(endFails) {}
    ~FakeSpoolJob() override {
        if (!record_.ended && record_.abortCalls == 0) record_.droppedOpen = true;
    }

    bool WriteToPrinter(const void* bytes, std::size_t length) override {
        record_.writes.push_back(length);
        if (length == 0) return true;
        if (failFrom_ >= 0 && nonEmpty_ >= failFrom_) {
            lastError_ = "printer " + record_.printer + " refused the data";
            return false;
        }
        ++nonEmpty_;
        record_.bytes.append(static_cast<const char*>(bytes), length);
        return true;
    }
    std::uint64_t bytesWritten() const override { return record_.bytes.size(); }
    Result<void> EndPrintJob() override {
        if (endFails_) {
            ++record_.abortCalls;
            return Fail("printer " + record_.printer + " did not take the job");
        }
        record_.ended = true;
        return Ok();
    }
    void AbortPrintJob() override { ++record_.abortCalls; }
    std::string lastError() const override { return lastError_; }

  private:
    FakeJobRecord& record_;
    int failFrom_;
    bool endFails_;
    int nonEmpty_ = 0;
    std::string lastError_;
};

class FakeSpooler final : public Spooler {
  public:
    explicit FakeSpooler(std::set<std::string> printers) : printers_(std::move(printers)) {}

    // Applies to jobs opened afterwards.
    void FailFromWrite(int index) { failFrom_ = index; }
    void FailEnd() { endFails_ = true; }

    const std::deque<FakeJobRecord>& jobs() const { return jobs_; }

    Result<std::vector<PrinterQueue>> Printers() override {
        std::vector<PrinterQueue> queues;
        for (const std::string& name : printers_) {
            PrinterQueue queue;
            queue.name = name;
            queues.push_back(queue);
        }
        return queues;
    }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        if (printers_.count(printer) == 0) return Fail("no printer queue named " + printer);
        jobs_.emplace_back(printer);
        return std::unique_ptr<SpoolJob>(
            std::make_unique<FakeSpoolJob>(jobs_.back(), failFrom_, endFails_));
    }

  private:
    std::set<std::string> printers_;
    std::deque<FakeJobRecord> jobs_;  // a deque keeps each record where its job points
    int failFrom_ = -1;
    bool endFails_ = false;
};

}  // namespace kestrum::test
