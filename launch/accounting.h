#pragma once

// The accounting log: after a printer's job has been written, one line per plot file and set is
// appended to a comma-separated file that several machines or programs may share. Writers take
// turns through an advisory write lock; a writer that finds the file locked waits and tries again
// for about fifteen seconds before it gives up and cancels the job, so no job goes out unlogged.

#include <chrono>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "launch/job_ticket.h"
#include "launch/plot_file_entry.h"
#include "platform/clock.h"
#include "platform/result.h"
#include "platform/spooler.h"
#include "shell/message_sink.h"

namespace kestrum {

// The waits between attempts to open the accounting file: one of 250 ms, then up to 100 of
// 150 ms, 102 attempts and about 15.25 s in all.
inline constexpr std::chrono::milliseconds kAccountingFirstWait{250};
inline constexpr std::chrono::milliseconds kAccountingRetryWait{150};
inline constexpr int kAccountingRetries = 100;

// Waits between attempts; tests pass one that does not wait.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

class SystemSleeper final : public Sleeper {
  public:
    void Sleep(std::chrono::milliseconds duration) override;
};

// ~/KSAct, the folder of the default accounting file; empty when the home folder is unknown.
std::filesystem::path DefaultAccountingFolder();

// One line of the log: the date, ticket texts A to D, the plot file's name without its folder,
// ticket texts E and F. A double quote inside a field is doubled, so that comma-separated readers
// see the field whole; a field without one is written as it stands.
std::string AccountingLine(const LocalTime& date, const JobTicket& ticket,
                           std::string_view plotFilePath);

// Asked before and after each wait for the file: true when the send has been cancelled.
using AccountingCancelCheck = std::function<bool()>;

// How a write that did not fail ended.
enum class AccountingEnd {
    Written,    // every line is in the file
    Cancelled,  // the cancel check said so while the file was locked: nothing was written
};

class AccountingWriter {
  public:
    // `file` is the AccountFile setting. When it lies directly in `defaultFolder` that folder is
    // created before the first attempt, so the default works on a fresh machine. All references
    // must outlive the writer.
    AccountingWriter(std::filesystem::path file, MessageSink& messages, const Clock& clock,
                     Sleeper& sleeper,
                     std::filesystem::path defaultFolder = DefaultAccountingFolder());

    // Appends `jobCopies` times one line for each entry of `sendList`, in send order, each
    // entry logged under its filePath (a drawing under its own name, not its rendered file's).
    // Runs on the delivery worker's thread and blocks while another writer holds the file, by
    // a record lock or by flock; only that is waited for, every other failure to open the file
    // fails at once.
    //
    // On failure the user has been told (caption "Kestrum Desktop", stop icon, the text by cause
    // and the file's name) and `job` has been aborted; the error repeats the text. The caller
    // still finishes the status window and deletes the rendered files, which it owns. Lines
    // written before a failed write stay in the file.
    //
    // When `cancelled` answers true during a wait, the answer is AccountingEnd::Cancelled: no
    // message has been shown, `job` has been aborted and the caller treats the send as cancelled.
    // Without a check (the default) the wait runs its course and the answer is always Written.
    Result<AccountingEnd> WriteAccounting(const JobTicket& ticket,
                                          std::span<const PlotFileEntry> sendList, int jobCopies,
                                          SpoolJob& job,
                                          const AccountingCancelCheck& cancelled = {});

    const std::filesystem::path& file() const { return file_; }

  private:
    // Tells the user, aborts the job and answers the failure.
    Error Refuse(int resource, const std::string& cause, SpoolJob& job);

    std::filesystem::path file_;
    MessageSink& messages_;
    const Clock& clock_;
    Sleeper& sleeper_;
    std::filesystem::path defaultFolder_;
};

}  // namespace kestrum
