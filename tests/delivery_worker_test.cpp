#include "launch/delivery_worker.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "launch/delivery_run.h"
#include "launch/launch_status_feed.h"
#include "launch/plot_file_check.h"

#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;
using test::Visible;

// A spooler whose jobs are kept in memory, with every write's size, so the worker's logic can be
// checked without a scheduler.
struct RecordedJob {
    std::string printer;
    std::string bytes;
    std::vector<std::size_t> writes;
    bool ended = false;
    bool aborted = false;
};

class FakeSpoolJob final : public SpoolJob {
  public:
    FakeSpoolJob(RecordedJob& record, int failAtWrite, bool failEnd,
                 const std::function<void(std::size_t)>& afterWrite)
        : record_(record), failAt_(failAtWrite), failEnd_(failEnd), afterWrite_(afterWrite) {}
    bool WriteToPrinter(const void* bytes, std::size_t length) override {
        if (failAt_ >= 0 && static_cast<int>(record_.writes.size()) >= failAt_) return false;
        record_.writes.push_back(length);
        record_.bytes.append(static_cast<const char*>(bytes), length);
        if (afterWrite_) afterWrite_(record_.bytes.size());
        return true;
    }
    std::uint64_t bytesWritten() const override { return record_.bytes.size(); }
    Result<void> EndPrintJob() override {
        if (failEnd_) {
            record_.aborted = true;
            return Fail("the fake printer did not take the job");
        }
        record_.ended = true;
        return Ok();
    }
    void AbortPrintJob() override { record_.aborted = true; }
    std::string lastError() const override { return "the fake printer refused the data"; }

  private:
    RecordedJob& record_;
    int failAt_;
    bool failEnd_;
    const std::function<void(std::size_t)>& afterWrite_;
};

class FakeSpooler final : public Spooler {
  public:
    Result<std::vector<PrinterQueue>> Printers() override { return std::vector<PrinterQueue>{}; }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        if (printer == "missing") return Fail("There is no printer queue \"missing\".");
        jobs.push_back(std::make_unique<RecordedJob>());
        jobs.back()->printer = printer;
        return std::unique_ptr<SpoolJob>(
            std::make_unique<FakeSpoolJob>(*jobs.back(), failAtWrite, failEnd, afterWrite));
    }
    std::vector<std::unique_ptr<RecordedJob>> jobs;
    int failAtWrite = -1;
    bool failEnd = false;
    // Called after every accepted write with the job's byte count so far.
    std::function<void(std::size_t)> afterWrite;
};

// Records what the worker reports.
class RecordingObserver final : public DeliveryObserver {
  public:
    void FileProgress(std::uint64_t sent, std::uint64_t size) override {
        progress.push_back(sent);
        lastSize = size;
    }
    void PrinterFinished(const std::string& printer, std::uint64_t bytes) override {
        finished[printer] = bytes;
    }
    void ShowMessage(const Message& message) override { shown.push_back(message); }
    void SendFinished(const DeliveryResult& result) override { results.push_back(result); }

    std::vector<std::uint64_t> progress;
    std::uint64_t lastSize = 0;
    std::map<std::string, std::uint64_t> finished;
    std::vector<Message> shown;
    std::vector<DeliveryResult> results;
};

class DeliveryWorkerTest : public testing::Test {
  protected:
    PlotFileEntry Entry(const std::string& name, const std::string& bytes,
                        const std::string& configuration) {
        test::WriteFile(folder / name, bytes);
        PlotFileEntry entry;
        entry.filePath = (folder / name).string();
        entry.configuration = configuration;
        return entry;
    }
    std::string ConfigWithCopies(const std::string& name, const std::string& copies) {
        test::WriteFile(folder / name, "[" + Text(rid::kJobOptionsSection) + "]\n" +
                                           Text(rid::kFileCopiesKey) + "=" + copies + "\n");
        return (folder / name).string();
    }
    DeliveryResult Send(std::vector<PlotFileEntry> entries) {
        DeliveryWorker worker(spooler, OptionState(Unit::English), std::move(entries), settings,
                              runState, observer, messages, clock);
        return worker.Run();
    }

    test::TempFolder folder;
    FakeSpooler spooler;
    RunStateCell runState{RunState::Running};
    RecordingObserver observer;
    CollectingMessageSink messages;
    FixedClock clock{LocalTime{2026, 12, 7, 10, 0, 0}};
    DeliverySettings settings = [] {
        DeliverySettings s;
        s.printers = {"plotter"};
        s.pauseAfterCopyCollated = s.pauseAfterCopyPerSet = std::chrono::milliseconds(0);
        return s;
    }();
    const std::string none = Text(rid::kNoConfigurationMarker);
    const std::string current = Text(rid::kCurrentSettingsMarker);
};

TEST_F(DeliveryWorkerTest, PerSetModeRepeatsTheListOncePerSet) {
    settings.jobCopies = 3;
    const auto twice = ConfigWithCopies("twice.cfg", "2");
    ASSERT_EQ(Send({Entry("a.plt", "A", twice), Entry("b.plt", "B", none)}).outcome,
              DeliveryOutcome::Completed);
    ASSERT_EQ(spooler.jobs.size(), 1u);
    // Each copy of A has its own (empty) header and its trailer, the end-of-job command.
    EXPECT_EQ(Visible(spooler.jobs[0]->bytes),
              "A<ESC>.*A<ESC>.*BA<ESC>.*A<ESC>.*BA<ESC>.*A<ESC>.*B");
    EXPECT_TRUE(spooler.jobs[0]->ended);
}

TEST_F(DeliveryWorkerTest, ReverseOrderInPerSetModeSendsFromTheLast) {
    settings.reverseOrder = true;
    ASSERT_EQ(Send({Entry("a.plt", "A", none), Entry("b.plt", "B", none)}).outcome,
              DeliveryOutcome::Completed);
    EXPECT_EQ(spooler.jobs[0]->bytes, "BA");
}

TEST_F(DeliveryWorkerTest, CollatedModeFramesTheJobAndKeepsListOrder) {
    settings.collated = true;
    settings.reverseOrder = true;
    settings.jobCopies = 3;
    settings.printers = {"first", "second"};
    ASSERT_EQ(Send({Entry("a.plt", "A", none), Entry("b.plt", "B", none)}).outcome,
              DeliveryOutcome::Completed);
    ASSERT_EQ(spooler.jobs.size(), 2u);
    for (const auto& job : spooler.jobs) {
        EXPECT_EQ(Visible(job->bytes), "<ESC>.JOBSTART COL REV COPIES=3:AB<ESC>.JOBEND:");
    }
    EXPECT_EQ(spooler.jobs[1]->printer, "second");
}

TEST_F(DeliveryWorkerTest, FileIsCopiedInPiecesOf512EndingWithAnEmptyWrite) {
    const std::string data(1024, 'x');
    ASSERT_EQ(Send({Entry("k.plt", data, none)}).outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(spooler.jobs[0]->writes, (std::vector<std::size_t>{512, 512, 0}));
}

TEST_F(DeliveryWorkerTest, CopiesFromTheConfigurationFile) {
    const auto zero = ConfigWithCopies("zero.cfg", "0");
    const auto negative = ConfigWithCopies("negative.cfg", "-2");
    const auto missing = (folder / "absent.cfg").string();
    ASSERT_EQ(Send({Entry("z.plt", "Z", zero), Entry("n.plt", "N", negative),
                    Entry("m.plt", "M", missing)})
                  .outcome,
              DeliveryOutcome::Completed);
    // Zero sends once, a negative count not at all, a missing file once with every default.
    EXPECT_EQ(Visible(spooler.jobs[0]->bytes), "Z<ESC>.*M<ESC>.*");
}

TEST_F(DeliveryWorkerTest, EntryConfigurationIsLoadedForItsHeaderAndThenRestored) {
    test::WriteFile(folder / "three.cfg", "[" + Text(rid::kJobOptionsSection) + "]\n" +
                                              Text(rid::kControllerCopiesKey) + "=3\n");
    ASSERT_EQ(
        Send({Entry("a.plt", "A", (folder / "three.cfg").string()), Entry("b.plt", "B", current)})
            .outcome,
        DeliveryOutcome::Completed);
    EXPECT_EQ(Visible(spooler.jobs[0]->bytes), "<ESC>.COPY3:A<ESC>.*B<ESC>.*");
}

TEST_F(DeliveryWorkerTest, ManyEntriesAreAllSent) {
    std::vector<PlotFileEntry> entries;
    for (int i = 0; i < 300; ++i) entries.push_back(Entry("f.plt", "F", none));
    ASSERT_EQ(Send(entries).outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(spooler.jobs[0]->bytes, std::string(300, 'F'));
}

TEST_F(DeliveryWorkerTest, EmptyListAndNoPrinter) {
    EXPECT_EQ(Send({}).outcome, DeliveryOutcome::NothingSent);
    settings.printers.clear();
    EXPECT_EQ(Send({Entry("a.plt", "A", none)}).outcome, DeliveryOutcome::Completed);
    EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(DeliveryWorkerTest, MissingPlotFileAbortsTheJobWithTheReadMessage) {
    PlotFileEntry gone = Entry("gone.plt", "G", none);
    std::filesystem::remove(gone.filePath);
    settings.printers = {"first", "second"};
    EXPECT_EQ(Send({Entry("a.plt", "A", none), gone}).outcome, DeliveryOutcome::Failed);
    ASSERT_EQ(spooler.jobs.size(), 1u);  // later printers are not tried
    EXPECT_TRUE(spooler.jobs[0]->aborted);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kPlotFileReadFailedMessage);
    EXPECT_NE(messages.messages()[0].text.find("gone.plt"), std::string::npos);
}

TEST_F(DeliveryWorkerTest, RefusedWriteAbortsWithTheWriteMessage) {
    spooler.failAtWrite = 1;
    EXPECT_EQ(Send({Entry("a.plt", std::string(2000, 'a'), none)}).outcome,
              DeliveryOutcome::Failed);
    EXPECT_TRUE(spooler.jobs[0]->aborted);
    EXPECT_FALSE(spooler.jobs[0]->ended);
    ASSERT_FALSE(messages.messages().empty());
    EXPECT_EQ(messages.messages()[0].resource, rid::kPrinterWriteFailedMessage);
}

TEST_F(DeliveryWorkerTest, PrinterThatCannotBeOpenedEndsTheSendWithItsMessage) {
    settings.printers = {"missing", "plotter"};
    const DeliveryResult result = Send({Entry("a.plt", "A", none)});
    EXPECT_EQ(result.outcome, DeliveryOutcome::Failed);
    EXPECT_NE(result.finishMessage.find("missing"), std::string::npos);
    EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(DeliveryWorkerTest, CancelInsideAFileAbortsTheJob) {
    spooler.afterWrite = [this](std::size_t total) {
        if (total >= 1024) runState = RunState::Stopped;
    };
    EXPECT_EQ(Send({Entry("big.plt", std::string(10000, 'b'), none)}).outcome,
              DeliveryOutcome::Cancelled);
    EXPECT_TRUE(spooler.jobs[0]->aborted);
    EXPECT_EQ(spooler.jobs[0]->bytes.size(), 1024u);
}

TEST_F(DeliveryWorkerTest, CancelWhilePausedWritesNothing) {
    runState = RunState::Paused;
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        runState = RunState::Stopped;
        runState.notify_all();
    });
    EXPECT_EQ(Send({Entry("a.plt", "A", none)}).outcome, DeliveryOutcome::NothingSent);
    canceller.join();
    EXPECT_TRUE(spooler.jobs.empty());
}

class FakeRenderer final : public DrawingRenderer {
  public:
    bool IsDrawing(const std::string& path) override { return path.ends_with(".dxf"); }
    Result<void> Render(const std::string&, OptionState&, int outputFile) override {
        if (::write(outputFile, "HPGL", 4) != 4) return Fail("short write");
        return Ok();
    }
};

TEST_F(DeliveryWorkerTest, DrawingsAreSentRenderedAndTheirFilesDeleted) {
    FakeRenderer renderer;
    DeliveryWorker worker(spooler, OptionState(Unit::English),
                          {Entry("d.dxf", "DXF", none), Entry("p.plt", "P", none)}, settings,
                          runState, observer, messages, clock);
    worker.SetDrawingRenderer(&renderer);
    ASSERT_EQ(worker.Run().outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(spooler.jobs[0]->bytes, "HPGLP");
    const std::string rendered = worker.entries()[0].renderedFile;
    EXPECT_NE(rendered.find("ksl"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(rendered));

    // In the script output mode drawings go as they are.
    settings.outputMode = OutputMode::Ksl;
    DeliveryWorker unrendered(spooler, OptionState(Unit::English), {Entry("d.dxf", "DXF", none)},
                              settings, runState, observer, messages, clock);
    unrendered.SetDrawingRenderer(&renderer);
    ASSERT_EQ(unrendered.Run().outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(spooler.jobs[1]->bytes, "DXF");
}

class FailingRenderer final : public DrawingRenderer {
  public:
    bool IsDrawing(const std::string&) override { return true; }
    Result<void> Render(const std::string& drawing, OptionState&, int outputFile) override {
        if (::write(outputFile, "IN;PU", 5) != 5) return Fail("short write");
        return Fail("cannot render " + drawing);
    }
};

TEST_F(DeliveryWorkerTest, AFailedRenderEndsTheSendBeforeAnyJobOpens) {
    FailingRenderer renderer;
    DeliveryWorker worker(spooler, OptionState(Unit::English), {Entry("d.dxf", "DXF", none)},
                          settings, runState, observer, messages, clock);
    worker.SetDrawingRenderer(&renderer);
    EXPECT_EQ(worker.Run().outcome, DeliveryOutcome::Failed);
    EXPECT_TRUE(spooler.jobs.empty());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.starts_with("cannot render "));
    EXPECT_FALSE(std::filesystem::exists(worker.entries()[0].renderedFile));
}

TEST_F(DeliveryWorkerTest, ProgressIsCoalescedAndEndsWithTheLastByte) {
    const std::size_t size = 4 * 1024 * 1024 + 100;
    // Slow the copy down so that the time condition lets some reports through.
    spooler.afterWrite = [](std::size_t total) {
        if (total % (256 * 1024) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(45));
    };
    ASSERT_EQ(Send({Entry("big.plt", std::string(size, 'p'), none)}).outcome,
              DeliveryOutcome::Completed);
    ASSERT_FALSE(observer.progress.empty());
    EXPECT_EQ(observer.progress.back(), size);
    EXPECT_EQ(observer.lastSize, size);
    EXPECT_GT(observer.progress.size(), 1u);
    EXPECT_LE(observer.progress.size(), size / DeliveryObserver::kProgressBytes + 1);
    for (std::size_t i = 1; i < observer.progress.size(); ++i) {
        EXPECT_GE(observer.progress[i] - observer.progress[i - 1], DeliveryObserver::kProgressBytes)
            << "report " << i << " came less than 64 KiB after the one before";
    }
}

struct ChangeRow {
    const char* name;
    std::size_t newSize;  // the size the file is given after the first 64 KiB went out
};

class FileChangeTest : public DeliveryWorkerTest, public testing::WithParamInterface<ChangeRow> {};

TEST_P(FileChangeTest, AFileThatChangesDuringItsCopyFailsTheJob) {
    const std::size_t size = 200 * 1024;
    const PlotFileEntry entry = Entry("moving.plt", std::string(size, 'm'), none);
    bool changed = false;
    spooler.afterWrite = [&](std::size_t) {
        if (changed) return;
        changed = true;
        std::filesystem::resize_file(entry.filePath, GetParam().newSize);
    };
    EXPECT_EQ(Send({entry}).outcome, DeliveryOutcome::Failed);
    EXPECT_TRUE(spooler.jobs[0]->aborted);
    EXPECT_FALSE(spooler.jobs[0]->ended);
    ASSERT_EQ(messages.messages().size(), 1u);
    const Message& shown = messages.messages()[0];
    EXPECT_EQ(shown.resource, rid::kPlotFileChangedMessage);
    EXPECT_NE(shown.text.find("moving.plt"), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find(std::to_string(size)), std::string::npos) << shown.text;
}

INSTANTIATE_TEST_SUITE_P(DeliveryWorker, FileChangeTest,
                         testing::Values(ChangeRow{"truncated", 1000},
                                         ChangeRow{"extended", 400 * 1024}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeliveryWorkerTest, OnlyRegularFilesAreSent) {
    const auto fifo = folder / "pipe.plt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path :
         {fifo.string(), std::string("/dev/zero"), folder.path().string()}) {
        messages = CollectingMessageSink();
        PlotFileEntry entry;
        entry.filePath = path;
        entry.configuration = none;
        // A FIFO with no writer must not hang the send, nor a device stream for ever.
        EXPECT_EQ(Send({entry}).outcome, DeliveryOutcome::Failed) << path;
        ASSERT_EQ(messages.messages().size(), 1u) << path;
        EXPECT_NE(messages.messages()[0].text.find(path), std::string::npos);
        EXPECT_NE(messages.messages()[0].text.find("not a regular file"), std::string::npos);
        EXPECT_TRUE(spooler.jobs.back()->aborted);
    }
    EXPECT_FALSE(CheckPlotFileKind(fifo.string()).ok());
    EXPECT_TRUE(CheckPlotFileKind((folder / "absent.plt").string()).ok())
        << "a missing file is left to the reader's own message";
}

TEST_F(DeliveryWorkerTest, AnEmptyJobIsReportedAsNothingSent) {
    ASSERT_EQ(Send({Entry("empty.plt", "", none)}).outcome, DeliveryOutcome::Completed);
    ASSERT_EQ(observer.finished.count("plotter"), 1u);
    EXPECT_EQ(observer.finished["plotter"], 0u);
    ASSERT_EQ(Send({Entry("a.plt", "AB", none)}).outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(observer.finished["plotter"], 2u);
}

TEST_F(DeliveryWorkerTest, AccountingLinesOfAJobThatCannotEndAreTakenBack) {
    settings.jobTicket = true;
    for (const bool endFails : {false, true}) {
        spooler.failEnd = endFails;
        int written = 0;
        int withdrawn = 0;
        std::vector<std::string> listed;
        DeliveryWorker worker(spooler, OptionState(Unit::English),
                              {Entry("a.plt", "A", none), Entry("b.plt", "B", none)}, settings,
                              runState, observer, messages, clock);
        worker.SetAccountingHook(
            [&](std::span<const PlotFileEntry> sendList, int, SpoolJob&) {
                ++written;
                for (const PlotFileEntry& entry : sendList) listed.push_back(entry.filePath);
                return true;
            },
            [&] { ++withdrawn; });
        const DeliveryResult result = worker.Run();
        EXPECT_EQ(result.outcome, endFails ? DeliveryOutcome::Failed : DeliveryOutcome::Completed);
        EXPECT_EQ(written, 1);
        EXPECT_EQ(withdrawn, endFails ? 1 : 0);
        ASSERT_EQ(listed.size(), 2u);
        EXPECT_TRUE(listed[0].ends_with("a.plt"));
    }
}

TEST_F(DeliveryWorkerTest, CancelledOrFailedResultSaysWhetherAJobWasWithdrawn) {
    spooler.afterWrite = [this](std::size_t) { runState = RunState::Stopped; };
    DeliveryResult result = Send({Entry("a.plt", std::string(2000, 'a'), none)});
    EXPECT_EQ(result.outcome, DeliveryOutcome::Cancelled);
    EXPECT_TRUE(result.jobWasOpen);
    EXPECT_TRUE(result.jobWithdrawn);

    runState = RunState::Running;
    settings.printers = {"missing"};
    result = Send({Entry("a.plt", "A", none)});
    EXPECT_EQ(result.outcome, DeliveryOutcome::Failed);
    EXPECT_FALSE(result.jobWasOpen);
}

// --- The send owner ---

class SharedFakeSpooler final : public Spooler {
  public:
    explicit SharedFakeSpooler(FakeSpooler& inner) : inner_(inner) {}
    Result<std::vector<PrinterQueue>> Printers() override { return inner_.Printers(); }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        return inner_.OpenPrintJob(printer);
    }

  private:
    FakeSpooler& inner_;
};

class DeliveryRunTest : public DeliveryWorkerTest {
  protected:
    DeliveryRequest Request(std::vector<PlotFileEntry> entries) {
        DeliveryRequest request;
        request.entries = std::move(entries);
        request.settings = settings;
        request.spooler = std::make_shared<SharedFakeSpooler>(spooler);
        request.clock = std::make_shared<FixedClock>(LocalTime{2026, 12, 7, 10, 0, 0});
        return request;
    }
};

TEST_F(DeliveryRunTest, RunsOnTheCallersThreadAndReportsTheEndThroughTheObserver) {
    DeliveryRun run(Request({Entry("a.plt", "A", none)}), observer);
    const DeliveryResult result = run.RunHere();
    EXPECT_EQ(result.outcome, DeliveryOutcome::Completed);
    ASSERT_EQ(observer.results.size(), 1u);
    EXPECT_EQ(observer.results[0].outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(spooler.jobs[0]->bytes, "A");
}

TEST_F(DeliveryRunTest, MessagesComeThroughTheObserver) {
    PlotFileEntry gone = Entry("gone.plt", "G", none);
    std::filesystem::remove(gone.filePath);
    DeliveryRun run(Request({gone}), observer);
    EXPECT_EQ(run.RunHere().outcome, DeliveryOutcome::Failed);
    ASSERT_EQ(observer.shown.size(), 1u);
    EXPECT_EQ(observer.shown[0].resource, rid::kPlotFileReadFailedMessage);
}

TEST_F(DeliveryRunTest, DestroyingARunningSendCancelsAndJoinsIt) {
    std::atomic<bool> writing{false};
    spooler.afterWrite = [&](std::size_t) {
        writing = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    {
        DeliveryRun run(Request({Entry("big.plt", std::string(1 << 20, 'b'), none)}), observer);
        run.Start();
        while (!writing) std::this_thread::yield();
    }
    ASSERT_EQ(observer.results.size(), 1u);
    EXPECT_EQ(observer.results[0].outcome, DeliveryOutcome::Cancelled);
    EXPECT_TRUE(spooler.jobs[0]->aborted);
}

TEST_F(DeliveryRunTest, AWindowsSendWaitsForItsStartAndFeedsItsStatus) {
    LaunchStatus window(false, false);
    window.PrepareForWorker();
    LaunchStatusFeed feed(window, observer);
    DeliveryRun run(Request({Entry("a.plt", "A", none)}), feed, &window.runStateCell());
    run.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(spooler.jobs.empty()) << "sent before the start button";
    window.ToggleStartPause();
    run.Wait();
    ASSERT_TRUE(run.result());
    EXPECT_EQ(run.result()->outcome, DeliveryOutcome::Completed);
    EXPECT_EQ(window.display().fileBytesSent, 1u);
    EXPECT_EQ(LaunchStatusFeed::EndOfSend(window, *run.result()).action, WindowAction::CloseModal);
}

// A measurement rather than a check (run with --gtest_also_run_disabled_tests): how many progress
// reports a 512 MiB file makes on its way to a spooler that takes every byte at once.
class DiscardingSpooler final : public Spooler {
  public:
    class Job final : public SpoolJob {
      public:
        bool WriteToPrinter(const void*, std::size_t length) override {
            bytes_ += length;
            return true;
        }
        std::uint64_t bytesWritten() const override { return bytes_; }
        Result<void> EndPrintJob() override { return Ok(); }
        void AbortPrintJob() override {}
        std::string lastError() const override { return {}; }

      private:
        std::uint64_t bytes_ = 0;
    };
    Result<std::vector<PrinterQueue>> Printers() override { return std::vector<PrinterQueue>{}; }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string&) override {
        return std::unique_ptr<SpoolJob>(std::make_unique<Job>());
    }
};

TEST_F(DeliveryWorkerTest, DISABLED_ProgressReportsOfA512MiBSend) {
    const auto file = folder / "huge.plt";
    { std::ofstream create(file); }
    std::filesystem::resize_file(file, std::uint64_t{512} << 20);
    PlotFileEntry entry;
    entry.filePath = file.string();
    entry.configuration = none;
    DiscardingSpooler discarding;
    const auto start = std::chrono::steady_clock::now();
    DeliveryWorker worker(discarding, OptionState(Unit::English), {entry}, settings, runState,
                          observer, messages, clock);
    ASSERT_EQ(worker.Run().outcome, DeliveryOutcome::Completed);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("512 MiB: %zu progress reports in %.2f s\n", observer.progress.size(),
                took.count());
    EXPECT_EQ(observer.progress.back(), std::uint64_t{512} << 20);
}

}  // namespace
}  // namespace kestrum
