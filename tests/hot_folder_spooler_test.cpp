// Hot folders as printer queues, and how the system spooler chooses between them and CUPS.

#include "platform/hot_folder_spooler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/private_profile.h"
#include "platform/system_spooler.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Pattern(std::size_t length, char seed) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

class HotFolderSpoolerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(plotter_);
        Configure("[HotFolders]\nPlotter=" + plotter_.string() + "\n");
    }
    void TearDown() override { profile::Forget(settings_); }

    void Configure(const std::string& text) {
        WriteFile(settings_, text);
        profile::Forget(settings_);
    }

    std::unique_ptr<SpoolJob> Open(const std::string& printer) {
        auto job = spooler_.OpenPrintJob(printer);
        EXPECT_TRUE(job.ok()) << (job.ok() ? "" : job.error().message);
        return job.ok() ? std::move(job).value() : nullptr;
    }

    TempFolder temp_;
    fs::path settings_ = temp_ / "kestrum.ini";
    fs::path plotter_ = temp_ / "plotter";
    HotFolderSpooler spooler_{settings_, temp_ / "data"};
};

TEST_F(HotFolderSpoolerTest, JobsArriveWholeUnderFinalNamesInTheOrderTheyEnded) {
    auto first = Open("Plotter");
    auto second = Open("plotter");  // names compare without regard to case, as INI keys do
    auto third = Open("Plotter");
    ASSERT_TRUE(first && second && third);
    const std::string a = Pattern(1024, 'a'), b = Pattern(70000, 'b'), c = "trailer only";
    ASSERT_TRUE(first->WriteToPrinter(a.data(), a.size()));
    ASSERT_TRUE(second->WriteToPrinter(b.data(), b.size()));
    ASSERT_TRUE(third->WriteToPrinter(c.data(), c.size()));

    // Until a job ends, a watcher sees only hidden temporary files.
    for (const std::string& name : FileNames(plotter_)) EXPECT_EQ(name[0], '.') << name;

    ASSERT_TRUE(second->EndPrintJob().ok());
    ASSERT_TRUE(first->EndPrintJob().ok());
    ASSERT_TRUE(third->EndPrintJob().ok());

    const std::vector<std::string> names = FileNames(plotter_);
    ASSERT_EQ(names.size(), 3u);
    const std::regex finalName(R"(\d{8}-\d{6}-\d{6}-\d+\.job)");
    for (const std::string& name : names) EXPECT_TRUE(std::regex_match(name, finalName)) << name;
    EXPECT_EQ(ReadFile(plotter_ / names[0]), b);
    EXPECT_EQ(ReadFile(plotter_ / names[1]), a);
    EXPECT_EQ(ReadFile(plotter_ / names[2]), c);
}

TEST_F(HotFolderSpoolerTest, EveryWritePatternArrivesByteForByte) {
    struct Row {
        const char* name;
        std::vector<std::size_t> writes;
    };
    const Row rows[] = {
        // A 1024-byte file is written as 512, 512 and 0 bytes, then the trailer follows.
        {"fileOfTwoPiecesThenEmptyWriteThenTrailer", {512, 512, 0, 9}},
        {"writesAcrossTheBlockBoundary", {65535, 2, 65535}},
        {"writeLargerThanABlockAfterBufferedBytes", {100, 200000, 1}},
        {"manySmallPieces", std::vector<std::size_t>(300, 512)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(plotter_);
        fs::create_directory(plotter_);
        auto job = Open("Plotter");
        ASSERT_TRUE(job);
        std::string expected;
        char seed = 'A';
        for (std::size_t length : row.writes) {
            const std::string piece = Pattern(length, seed++);
            ASSERT_TRUE(job->WriteToPrinter(piece.data(), piece.size()));
            expected += piece;
        }
        EXPECT_EQ(job->bytesWritten(), expected.size());
        ASSERT_TRUE(job->EndPrintJob().ok());
        const auto names = FileNames(plotter_);
        ASSERT_EQ(names.size(), 1u);
        EXPECT_TRUE(ReadFile(plotter_ / names[0]) == expected);
    }
}

TEST_F(HotFolderSpoolerTest, AnAbortedOrAbandonedJobLeavesNothing) {
    const std::string bytes = Pattern(100000, 'x');
    {
        auto job = Open("Plotter");
        ASSERT_TRUE(job);
        ASSERT_TRUE(job->WriteToPrinter(bytes.data(), bytes.size()));
        job->AbortPrintJob();
        EXPECT_EQ(FileNames(plotter_), std::vector<std::string>{});
        EXPECT_FALSE(job->WriteToPrinter("x", 1));
        EXPECT_FALSE(job->EndPrintJob().ok());
        job->AbortPrintJob();  // a second abort does no harm
    }
    {
        auto job = Open("Plotter");
        ASSERT_TRUE(job);
        ASSERT_TRUE(job->WriteToPrinter(bytes.data(), 10));
    }  // neither ended nor aborted
    EXPECT_EQ(FileNames(plotter_), std::vector<std::string>{});
}

TEST_F(HotFolderSpoolerTest, AJobOfNoBytesEndsAndLeavesNothing) {
    auto job = Open("Plotter");
    ASSERT_TRUE(job);
    EXPECT_TRUE(job->WriteToPrinter("", 0));
    EXPECT_TRUE(job->EndPrintJob().ok());
    EXPECT_EQ(FileNames(plotter_), std::vector<std::string>{});
    EXPECT_FALSE(job->EndPrintJob().ok());  // ended once only
}

TEST_F(HotFolderSpoolerTest, AFolderThatTakesNoJobGivesAnErrorNamingIt) {
    WriteFile(temp_ / "a-file", "x");
    fs::create_directory(temp_ / "read-only");
    chmod((temp_ / "read-only").c_str(), 0555);
    struct Row {
        const char* name;
        fs::path folder;
        bool needsUnprivileged;
    };
    const Row rows[] = {
        {"missingFolder", temp_ / "missing", false},
        {"fileInsteadOfFolder", temp_ / "a-file", false},
        {"readOnlyFolder", temp_ / "read-only", true},
        // Creating files fails here even for root.
        {"folderOfTheKernel", "/proc", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needsUnprivileged && geteuid() == 0) continue;  // root writes anywhere
        Configure("[HotFolders]\nBroken=" + row.folder.string() + "\n");
        auto job = spooler_.OpenPrintJob("Broken");
        ASSERT_FALSE(job.ok());
        EXPECT_NE(job.error().message.find(row.folder.string()), std::string::npos)
            << job.error().message;
        EXPECT_NE(job.error().message.find("\"Broken\""), std::string::npos) << job.error().message;
    }
    chmod((temp_ / "read-only").c_str(), 0755);
}

TEST_F(HotFolderSpoolerTest, QueuesAreTheKeysOfTheSectionInOrder) {
    Configure(
        "[HotFolders]\n"
        "Zeta=/srv/zeta\n"
        "Empty=\n"
        "Rendering Subsystem=/srv/render\n"
        "Alpha=relative/alpha\n"
        "Home=~/hot\n"
        "[Other]\nNot=/srv/other\n");
    auto queues = spooler_.Printers();
    ASSERT_TRUE(queues.ok());
    std::vector<std::string> seen;
    for (const PrinterQueue& queue : queues.value()) {
        EXPECT_EQ(queue.kind, PrinterQueue::Kind::HotFolder);
        EXPECT_FALSE(queue.isDefault);
        seen.push_back(queue.name + "=" + queue.location);
    }
    const char* home = std::getenv("HOME");
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Zeta=/srv/zeta",
                        "Alpha=" + (temp_.path() / "relative/alpha").string(),
                        "Home=" + (fs::path(home ? home : "") / "hot").string(),
                    }));
}

TEST_F(HotFolderSpoolerTest, TheDefaultHotFolderIsCreatedWhenFirstUsed) {
    const fs::path folder = temp_ / "data" / "hotfolder";
    ASSERT_FALSE(fs::exists(folder));
    auto job = Open(HotFolderSpooler::kDefaultName);
    ASSERT_TRUE(job);
    ASSERT_TRUE(job->WriteToPrinter("data", 4));
    ASSERT_TRUE(job->EndPrintJob().ok());
    const auto names = FileNames(folder);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(ReadFile(folder / names[0]), "data");

    auto unknown = spooler_.OpenPrintJob("Nowhere");
    ASSERT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().message.find("\"Nowhere\""), std::string::npos);
}

// Stands for the CUPS back end: lists what it is given and tells which queue it was asked for.
class FakeCups final : public Spooler {
  public:
    explicit FakeCups(Result<std::vector<PrinterQueue>> queues) : queues_(std::move(queues)) {}
    Result<std::vector<PrinterQueue>> Printers() override { return queues_; }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        return Fail("cups opened " + printer);
    }

  private:
    Result<std::vector<PrinterQueue>> queues_;
};

PrinterQueue Cups(const std::string& name, bool isDefault = false) {
    return {name, PrinterQueue::Kind::Cups, "socket://127.0.0.1:9100", isDefault};
}

std::vector<std::string> Names(SystemSpooler& spooler) {
    std::vector<std::string> names;
    const auto queues = spooler.Printers();
    for (const PrinterQueue& queue : queues.value()) {
        names.push_back(queue.name + (queue.kind == PrinterQueue::Kind::Cups ? " (cups)" : "") +
                        (queue.isDefault ? " (default)" : ""));
    }
    return names;
}

TEST_F(HotFolderSpoolerTest, SystemSpoolerListsCupsThenHotFoldersThenTheDefaultAlways) {
    struct Row {
        const char* name;
        std::string settings;
        Result<std::vector<PrinterQueue>> cups;
        std::vector<std::string> expected;
    };
    const std::string plotter = "Plotter=" + plotter_.string() + "\n";
    const Row rows[] = {
        {"cupsQueuesFirst",
         "[HotFolders]\n" + plotter,
         std::vector<PrinterQueue>{Cups("Big", true), Cups("Small")},
         {"Big (cups) (default)", "Small (cups)", "Plotter", "Hot folder"}},
        {"hotFolderHidesTheCupsQueueOfItsName",
         "[HotFolders]\n" + plotter,
         std::vector<PrinterQueue>{Cups("PLOTTER"), Cups("Small")},
         {"Small (cups)", "Plotter", "Hot folder"}},
        {"unreachableSchedulerGivesNoQueues",
         "[HotFolders]\n" + plotter,
         Error{"scheduler gone"},
         {"Plotter", "Hot folder"}},
        {"nothingAnywhereGivesTheDefaultHotFolder",
         "",
         std::vector<PrinterQueue>{},
         {"Hot folder (default)"}},
        {"cupsQueueWithoutDefaultLeavesItUnchecked",
         "",
         std::vector<PrinterQueue>{Cups("Big")},
         {"Big (cups)", "Hot folder"}},
        {"configuredFolderOfTheDefaultNameListedOnce",
         "[HotFolders]\nHOT FOLDER=" + plotter_.string() + "\n",
         std::vector<PrinterQueue>{Cups("Hot Folder")},
         {"HOT FOLDER"}},
        {"reservedNameNeverListed",
         "[HotFolders]\nRendering Subsystem=" + plotter_.string() + "\n",
         Error{"scheduler gone"},
         {"Hot folder (default)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Configure(row.settings);
        SystemSpooler spooler(std::make_unique<FakeCups>(row.cups),
                              std::make_unique<HotFolderSpooler>(settings_, temp_ / "data"));
        EXPECT_EQ(Names(spooler), row.expected);
        // The list hides an unreachable scheduler; the front end is still told.
        EXPECT_EQ(spooler.schedulerError().has_value(), !row.cups.ok());
        if (!row.cups.ok()) {
            EXPECT_EQ(spooler.schedulerError()->message, "scheduler gone");
        }
    }
}

TEST_F(HotFolderSpoolerTest, SystemSpoolerRoutesHotFoldersBeforeCups) {
    SystemSpooler spooler(std::make_unique<FakeCups>(std::vector<PrinterQueue>{Cups("Plotter")}),
                          std::make_unique<HotFolderSpooler>(settings_, temp_ / "data"));
    auto hot = spooler.OpenPrintJob("PLOTTER");
    ASSERT_TRUE(hot.ok()) << hot.error().message;
    hot.value()->AbortPrintJob();

    auto fallback = spooler.OpenPrintJob("Hot folder");
    ASSERT_TRUE(fallback.ok()) << fallback.error().message;
    fallback.value()->AbortPrintJob();

    auto cups = spooler.OpenPrintJob("Big");
    ASSERT_FALSE(cups.ok());
    EXPECT_EQ(cups.error().message, "cups opened Big");
}

}  // namespace
}  // namespace kestrum
