#include "launch/accounting.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>
#include <variant>

#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"
#include "platform/xdg_paths.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

struct OpenFailure {
    int resource;
    std::string cause;
    bool locked = false;  // another writer holds the file: worth waiting for
};

// The message for a failed open(2), after the causes users can act on.
int ResourceForOpenError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return rid::kAccountPathNotFoundMessage;
        case EMFILE:
        case ENFILE:
            return rid::kAccountTooManyFilesMessage;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:  // a folder cannot be written as a file: the user chose the wrong name
            return rid::kAccountAccessDeniedMessage;
        default:
            return rid::kAccountOpenFailedMessage;
    }
}

// Takes a write lock on the whole file. Open-file-description locks conflict with the classic
// fcntl locks other programs take, and also with a second descriptor in this process, which
// classic locks would let through; kernels without them get the classic lock.
int RecordLockWhole(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return 0;
    if (errno != EINVAL) return -1;
    return ::fcntl(fd, F_SETLK, &lock);
}

// Other programs lock with either call, and the two kinds do not see each other, so a writer
// holds both. Closing the descriptor releases both.
int LockWhole(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return -1;
    return RecordLockWhole(fd);
}

// One attempt: the descriptor, or why there is none.
std::variant<UniqueFd, OpenFailure> TryOpen(const fs::path& file, int folderError) {
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        // A folder that could not be made explains the missing path better than the open does.
        if ((error == ENOENT || error == ENOTDIR) && folderError != 0) {
            return OpenFailure{ResourceForOpenError(folderError),
                               "its folder cannot be made: " + ErrorText(folderError)};
        }
        return OpenFailure{ResourceForOpenError(error), ErrorText(error)};
    }
    UniqueFd owned(fd);
    if (LockWhole(fd) != 0) {
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK || error == EACCES) {
            return OpenFailure{rid::kAccountOpenFailedMessage, "in use by another program", true};
        }
        return OpenFailure{rid::kAccountOpenFailedMessage,
                           std::string("cannot be locked: ") + ErrorText(error)};
    }
    return owned;
}

// A field between double quotes, with each quote inside doubled.
void AppendQuoted(std::string& line, std::string_view field) {
    line += '"';
    for (char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

}  // namespace

void SystemSleeper::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

fs::path DefaultAccountingFolder() {
    auto home = HomeFolder();
    return home ? home.value() / "KSAct" : fs::path();
}

std::string AccountingLine(const LocalTime& date, const JobTicket& ticket,
                           std::string_view plotFilePath) {
    char day[32];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", date.year, date.month, date.day);
    const std::string name = fs::path(plotFilePath).filename().string();
    std::string line = day;
    for (std::string_view field :
         {std::string_view(ticket.text(TicketField::A)),
          std::string_view(ticket.text(TicketField::B)),
          std::string_view(ticket.text(TicketField::C)),
          std::string_view(ticket.text(TicketField::D)), std::string_view(name),
          std::string_view(ticket.text(TicketField::E)),
          std::string_view(ticket.text(TicketField::F))}) {
        line += ", ";
        AppendQuoted(line, field);
    }
    line += "\r\n";
    return line;
}

AccountingWriter::AccountingWriter(fs::path file, MessageSink& messages, const Clock& clock,
                                   Sleeper& sleeper, fs::path defaultFolder)
    : file_(std::move(file)),
      messages_(messages),
      clock_(clock),
      sleeper_(sleeper),
      defaultFolder_(std::move(defaultFolder)) {}

Error AccountingWriter::Refuse(int resource, const std::string& cause, SpoolJob& job) {
    Message message =
        MakeMessage(resource, MessageIcon::Stop, "(\"" + file_.string() + "\": " + cause + ")");
    message.caption = "Kestrum Desktop";
    messages_.Show(message);
    job.AbortPrintJob();
    return Fail(message.text);
}

Result<AccountingEnd> AccountingWriter::WriteAccounting(const JobTicket& ticket,
                                                        std::span<const PlotFileEntry> sendList,
                                                        int jobCopies, SpoolJob& job,
                                                        const AccountingCancelCheck& cancelled) {
    int folderError = 0;
    if (!defaultFolder_.empty() &&
        file_.parent_path().lexically_normal() == defaultFolder_.lexically_normal()) {
        std::error_code error;
        if (!fs::create_directory(defaultFolder_, error) && error) folderError = error.value();
    }

    // Only a lock held by another writer goes away by waiting; each wait may end the send.
    auto attempt = TryOpen(file_, folderError);
    const auto waitable = [&] {
        const auto* failure = std::get_if<OpenFailure>(&attempt);
        return failure != nullptr && failure->locked;
    };
    const auto cancel = [&] { return cancelled && cancelled(); };
    for (int wait = 0; wait <= kAccountingRetries && waitable(); ++wait) {
        if (cancel()) break;
        sleeper_.Sleep(wait == 0 ? kAccountingFirstWait : kAccountingRetryWait);
        if (cancel()) break;
        attempt = TryOpen(file_, folderError);
    }
    if (waitable() && cancel()) {
        job.AbortPrintJob();
        return AccountingEnd::Cancelled;
    }
    if (const auto* failure = std::get_if<OpenFailure>(&attempt)) {
        return Refuse(failure->resource, failure->cause, job);
    }
    UniqueFd fd = std::get<UniqueFd>(std::move(attempt));

    // O_APPEND puts every line at the end, even after a writer that ignores the lock.
    for (int set = 0; set < jobCopies; ++set) {
        for (const PlotFileEntry& entry : sendList) {
            if (!WriteAll(fd.get(), AccountingLine(clock_.Now(), ticket, entry.filePath))) {
                return Refuse(rid::kAccountWriteFailedMessage, ErrorText(errno), job);
            }
        }
    }
    // Files that cannot be synchronised (pipes, devices) have nothing to flush.
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
        return Refuse(rid::kAccountWriteFailedMessage, ErrorText(errno), job);
    }
    if (!fd.Close() && errno != EINTR) {
        return Refuse(rid::kAccountWriteFailedMessage, ErrorText(errno), job);
    }
    return AccountingEnd::Written;
}

}  // namespace kestrum
