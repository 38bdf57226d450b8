#include "launch/delivery_worker.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

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
    FakeSpoolJob(RecordedJob& record, int failAtWrite) : record_(record), failAt_(failAtWrite) {}
    bool WriteToPrinter(const void* bytes, std::size_t length) override {
        if (failAt_ >= 0 && static_cast<int>(record_.writes.size()) >= failAt_) return false;
        record_.writes.push_back(length);
        record_.bytes.append(static_cast<const char*>(bytes), length);
        return true;
    }
    std::uint64_t bytesWritten() const override { return record_.bytes.size(); }
    Result<void> EndPrintJob() override {
        record_.ended = true;
        return Ok();
    }
    void AbortPrintJob() override { record_.aborted = true; }
    std::string lastError() const override { return "the fake printer refused the data"; }

private:
    RecordedJob& record_;
    int failAt_;
};

class FakeSpooler final : public Spooler {
public:
    Result<std::vector<PrinterQueue>> Printers() override { return std::vector<PrinterQueue>{}; }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        if (printer == "missing") return Fail("There is no printer queue \"missing\".");
        jobs.push_back(std::make_unique<RecordedJob>());
        jobs.back()->printer = printer;
        return std::unique_ptr<SpoolJob>(std::make_unique<FakeSpoolJob>(*jobs.back(), failAtWrite));
    }
    std::vector<std::unique_ptr<RecordedJob>> jobs;
    int failAtWrite = -1;
};

class StoppingObserver final : public DeliveryObserver {
public:
    explicit StoppingObserver(std::atomic<int>& state) : state_(state) {}
    void FileProgress(std::uint64_t sent, std::uint64_t) override {
        if (stopAfterBytes > 0 && sent >= stopAfterBytes) state_ = kStopped;
    }
    std::uint64_t stopAfterBytes = 0;

private:
    std::atomic<int>& state_;
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
    std::atomic<int> runState{kRunning};
    StoppingObserver observer{runState};
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
    ASSERT_EQ(Send({Entry("a.plt", "A", (folder / "three.cfg").string()),
                    Entry("b.plt", "B", current)})
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
    EXPECT_EQ(Send({}).outcome, DeliveryOutcome::Nothing);
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
    observer.stopAfterBytes = 1024;
    EXPECT_EQ(Send({Entry("big.plt", std::string(10000, 'b'), none)}).outcome,
              DeliveryOutcome::Cancelled);
    EXPECT_TRUE(spooler.jobs[0]->aborted);
    EXPECT_EQ(spooler.jobs[0]->bytes.size(), 1024u);
}

TEST_F(DeliveryWorkerTest, CancelWhilePausedWritesNothing) {
    runState = kPaused;
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        runState = kStopped;
    });
    EXPECT_EQ(Send({Entry("a.plt", "A", none)}).outcome, DeliveryOutcome::Nothing);
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

}  // namespace
}  // namespace kestrum
