#include "launch/accounting.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

#include "fake_spooler.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"

namespace kestrum {
namespace {

using test::FakeJobRecord;
using test::FakeSpoolJob;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;
using namespace std::chrono_literals;

// Records the waits instead of waiting; `onSleep` runs at each, numbered from 1.
class RecordingSleeper final : public Sleeper {
  public:
    void Sleep(std::chrono::milliseconds duration) override {
        waits.push_back(duration);
        if (onSleep) onSleep(static_cast<int>(waits.size()));
    }
    std::vector<std::chrono::milliseconds> waits;
    std::function<void(int)> onSleep;
};

std::vector<std::chrono::milliseconds> AllWaits() {
    std::vector<std::chrono::milliseconds> waits{250ms};
    waits.insert(waits.end(), 100, 150ms);
    return waits;
}

// How another program locks the accounting file: a classic fcntl record lock, or flock.
enum class LockKind { Record, Flock };

// Another program holding the accounting file's write lock until released.
class LockHolder {
  public:
    explicit LockHolder(const std::filesystem::path& file, LockKind kind = LockKind::Record) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) ADD_FAILURE() << "pipe failed";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(file.c_str(), O_RDWR | O_CREAT, 0666);
            bool locked = false;
            if (fd >= 0 && kind == LockKind::Record) {
                struct flock lock {};
                lock.l_type = F_WRLCK;
                lock.l_whence = SEEK_SET;
                locked = ::fcntl(fd, F_SETLK, &lock) == 0;
            } else if (fd >= 0) {
                locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            }
            const char held = locked ? 'y' : 'n';
            (void)!::write(ready[1], &held, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char held = 'n';
        (void)!::read(ready[0], &held, 1);
        ::close(ready[0]);
        EXPECT_EQ(held, 'y') << "the helper process could not lock " << file;
    }
    ~LockHolder() { Release(); }

    // Returns once the holder has gone, and with it its lock.
    void Release() {
        if (pid_ <= 0) return;
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
};

PlotFileEntry Entry(std::string filePath, std::string renderedFile = {}) {
    PlotFileEntry entry;
    entry.filePath = std::move(filePath);
    entry.renderedFile = std::move(renderedFile);
    return entry;
}

// The line of the fixture's ticket and date for a plot file of this name.
std::string LineFor(const std::string& name) {
    return "2024-03-07, \"Smith\", \"Tower B\", \"4711\", \"Rev 3\", \"" + name +
           "\", \"Site\", \"Bond\"\r\n";
}

JobTicket Ticket(TicketTexts texts) {
    JobTicket ticket;
    ticket.Confirm(texts);
    return ticket;
}

class AccountingTest : public ::testing::Test {
  protected:
    AccountingWriter Writer(const std::filesystem::path& file) {
        return AccountingWriter(file, messages, clock, sleeper, folder / "KSAct");
    }

    TempFolder folder;
    CollectingMessageSink messages;
    FixedClock clock{LocalTime{2024, 3, 7, 16, 45, 0}};
    RecordingSleeper sleeper;
    FakeJobRecord record{"Plotter"};
    FakeSpoolJob job{record};
    JobTicket ticket = Ticket({"Smith", "Tower B", "4711", "Rev 3", "Site", "Bond"});
};

struct LineRow {
    const char* name;
    LocalTime date;
    TicketTexts ticket;
    const char* filePath;
    const char* line;
};

class AccountingLineTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(AccountingLineTest, FormatsTheFieldsInOrder) {
    const LineRow& row = GetParam();
    EXPECT_EQ(AccountingLine(row.date, Ticket(row.ticket), row.filePath), row.line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AccountingLineTest,
    ::testing::Values(
        LineRow{"fileNameBetweenDAndE",
                {2024, 3, 7},
                {"a", "b", "c", "d", "e", "f"},
                "/plots/house.plt",
                "2024-03-07, \"a\", \"b\", \"c\", \"d\", \"house.plt\", \"e\", \"f\"\r\n"},
        LineRow{"emptyTicket",
                {2024, 12, 31},
                {},
                "/x/y/z.hpg",
                "2024-12-31, \"\", \"\", \"\", \"\", \"z.hpg\", \"\", \"\"\r\n"},
        LineRow{"quotesDoubledCommasKept",
                {2025, 1, 2},
                {"say \"hi\", ok", "", "", "", "\"", "a,b"},
                "/x/\"q\".plt",
                "2025-01-02, \"say \"\"hi\"\", ok\", \"\", \"\", \"\", \"\"\"q\"\".plt\", "
                "\"\"\"\", \"a,b\"\r\n"},
        LineRow{"shortYearPadded",
                {987, 1, 5},
                {},
                "a.b.c",
                "0987-01-05, \"\", \"\", \"\", \"\", \"a.b.c\", \"\", \"\"\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccountingTest, OneLinePerFileAndSetInSendOrderAppended) {
    const auto file = folder / "account.txt";
    WriteFile(file, "earlier line\r\n");
    // The entry's own copy count does not matter, and a drawing is logged under its own name.
    std::vector<PlotFileEntry> sendList{Entry("/plots/a.plt"),
                                        Entry("/drawings/b.dwg", "/tmp/kslAbc123")};

    ASSERT_TRUE(Writer(file).WriteAccounting(ticket, sendList, 3, job));

    const std::string a = LineFor("a.plt");
    const std::string b = LineFor("b.dwg");
    EXPECT_EQ(ReadFile(file), "earlier line\r\n" + a + b + a + b + a + b);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(sleeper.waits.empty());
    EXPECT_EQ(record.abortCalls, 0);
}

TEST_F(AccountingTest, CreatesTheDefaultFolderOnlyForAFileInIt) {
    const auto inDefault = folder / "KSAct" / "account.txt";
    ASSERT_TRUE(Writer(inDefault).WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job));
    EXPECT_EQ(ReadFile(inDefault), LineFor("p.plt"));

    const auto elsewhere = folder / "Other" / "account.txt";
    EXPECT_FALSE(Writer(elsewhere).WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job));
    EXPECT_FALSE(std::filesystem::exists(folder / "Other"));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kAccountPathNotFoundMessage);
}

class AccountingLockTest : public AccountingTest, public ::testing::WithParamInterface<LockKind> {};

TEST_P(AccountingLockTest, WaitsForAnotherWriterThenWrites) {
    const auto file = folder / "account.txt";
    WriteFile(file, "held\r\n");
    LockHolder holder(file, GetParam());
    sleeper.onSleep = [&](int wait) {
        if (wait == 3) holder.Release();
    };

    auto written = Writer(file).WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job);

    ASSERT_TRUE(written);
    EXPECT_EQ(written.value(), AccountingEnd::Written);
    EXPECT_EQ(sleeper.waits, (std::vector{250ms, 150ms, 150ms}));
    EXPECT_EQ(ReadFile(file), "held\r\n" + LineFor("p.plt"));
    EXPECT_EQ(record.abortCalls, 0);
}

TEST_P(AccountingLockTest, CancelDuringTheWaitIsACancel) {
    const auto file = folder / "account.txt";
    WriteFile(file, "held\r\n");
    LockHolder holder(file, GetParam());
    bool cancelled = false;
    sleeper.onSleep = [&](int wait) {
        if (wait == 2) cancelled = true;
    };

    auto written = Writer(file).WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job,
                                                [&] { return cancelled; });

    ASSERT_TRUE(written);
    EXPECT_EQ(written.value(), AccountingEnd::Cancelled);
    EXPECT_EQ(sleeper.waits, (std::vector{250ms, 150ms}));
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(record.abortCalls, 1);
    EXPECT_EQ(ReadFile(file), "held\r\n");
}

INSTANTIATE_TEST_SUITE_P(Kinds, AccountingLockTest,
                         ::testing::Values(LockKind::Record, LockKind::Flock),
                         [](const auto& info) {
                             return std::string(info.param == LockKind::Record ? "recordLock"
                                                                               : "flock");
                         });

TEST_F(AccountingTest, GivesUpOnAFileHeldForGoodAndAbortsTheJob) {
    const auto file = folder / "account.txt";
    WriteFile(file, "held\r\n");
    LockHolder holder(file);

    auto written = Writer(file).WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job);

    ASSERT_FALSE(written);
    EXPECT_EQ(sleeper.waits, AllWaits());
    ASSERT_EQ(messages.messages().size(), 1u);
    const Message& message = messages.messages()[0];
    EXPECT_EQ(message.resource, rid::kAccountOpenFailedMessage);
    EXPECT_EQ(message.caption, "Kestrum Desktop");
    EXPECT_EQ(message.icon, MessageIcon::Stop);
    EXPECT_NE(message.text.find(file.string()), std::string::npos) << message.text;
    EXPECT_EQ(written.error().message, message.text);
    EXPECT_EQ(record.abortCalls, 1);
    EXPECT_EQ(ReadFile(file), "held\r\n");
}

struct OpenFailureRow {
    const char* name;
    const char* file;  // inside the test folder
    int resource;
    bool needsPermissions;  // a privileged user writes anywhere
};

class AccountingOpenFailureTest : public AccountingTest,
                                  public ::testing::WithParamInterface<OpenFailureRow> {};

TEST_P(AccountingOpenFailureTest, NamesTheFileAndAbortsAtOnce) {
    const OpenFailureRow& row = GetParam();
    if (row.needsPermissions && ::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    std::filesystem::create_directory(folder / "folder");
    WriteFile(folder / "plain", "x");
    std::filesystem::create_directory(folder / "locked");
    ::chmod((folder / "locked").c_str(), 0500);
    const auto file = folder / row.file;

    EXPECT_FALSE(Writer(file).WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job,
                                              [] { return false; }));

    // Only another writer's lock goes away by waiting.
    EXPECT_TRUE(sleeper.waits.empty());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, row.resource);
    EXPECT_NE(messages.messages()[0].text.find(file.string()), std::string::npos);
    EXPECT_EQ(record.abortCalls, 1);
    ::chmod((folder / "locked").c_str(), 0700);
}

INSTANTIATE_TEST_SUITE_P(Rows, AccountingOpenFailureTest,
                         ::testing::Values(OpenFailureRow{"missingFolder", "missing/account.txt",
                                                          rid::kAccountPathNotFoundMessage, false},
                                           OpenFailureRow{"folderIsAFile", "plain/account.txt",
                                                          rid::kAccountPathNotFoundMessage, false},
                                           OpenFailureRow{"fileIsAFolder", "folder",
                                                          rid::kAccountAccessDeniedMessage, false},
                                           OpenFailureRow{"unwritableFolder", "locked/account.txt",
                                                          rid::kAccountAccessDeniedMessage, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccountingTest, DefaultFolderThatCannotBeMadeNamesWhyAtOnce) {
    WriteFile(folder / "plain", "x");
    const auto ksact = folder / "plain" / "KSAct";  // a file where its parent folder should be

    EXPECT_FALSE(AccountingWriter(ksact / "account.txt", messages, clock, sleeper, ksact)
                     .WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job));

    EXPECT_TRUE(sleeper.waits.empty());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kAccountPathNotFoundMessage);
    EXPECT_NE(messages.messages()[0].text.find("folder cannot be made"), std::string::npos)
        << messages.messages()[0].text;
    EXPECT_EQ(record.abortCalls, 1);
}

TEST_F(AccountingTest, FailedWriteAbortsTheJob) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_FALSE(AccountingWriter("/dev/full", messages, clock, sleeper, folder / "KSAct")
                     .WriteAccounting(ticket, std::vector{Entry("p.plt")}, 1, job));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].resource, rid::kAccountWriteFailedMessage);
    EXPECT_EQ(record.abortCalls, 1);
}

TEST(JobTicketTest, KeepsEachTextCutToItsFieldNeverInsideACharacter) {
    const std::string longText(60, 'x');
    // Field C keeps 24 bytes: the two-byte character after 23 letters would straddle the cut.
    const std::string straddling = std::string(23, 'a') + "\xC3\xA9z";
    JobTicket ticket;
    ticket.Confirm({longText, longText, straddling, longText, longText, longText});
    for (TicketField field :
         {TicketField::A, TicketField::B, TicketField::D, TicketField::E, TicketField::F}) {
        EXPECT_EQ(ticket.text(field), std::string(49, 'x'));
    }
    EXPECT_EQ(ticket.text(TicketField::C), std::string(23, 'a'));
}

}  // namespace
}  // namespace kestrum
