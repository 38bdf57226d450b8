#include "launch/accounting.h"

#include <fcntl.h>
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
#include "platform/xdg_paths.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

struct OpenFailure {
    int resource;
    std::string cause;
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
int LockWhole(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return 0;
    if (errno != EINVAL) return -1;
    return ::fcntl(fd, F_SETLK, &lock);
}

// One attempt: the descriptor, or why there is none.
std::variant<int, OpenFailure> TryOpen(const fs::path& file) {
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        return OpenFailure{ResourceForOpenError(error), ErrorText(error)};
    }
    if (LockWhole(fd) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EAGAIN || error == EACCES) {
            return OpenFailure{rid::kAccountOpenFailedMessage, "in use by another program"};
        }
        return OpenFailure{rid::kAccountOpenFailedMessage,
                           std::string("cannot be locked: ") + ErrorText(error)};
    }
    return fd;
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
        line += ", \"";
        line += field;
        line += '"';
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

Result<void> AccountingWriter::Refuse(int resource, const std::string& cause, SpoolJob& job) {
    Message message =
        MakeMessage(resource, MessageIcon::Stop, "(\"" + file_.string() + "\": " + cause + ")");
    message.caption = "Kestrum Desktop";
    messages_.Show(message);
    job.AbortPrintJob();
    return Fail(message.text);
}

Result<void> AccountingWriter::WriteAccounting(const JobTicket& ticket,
                                               std::span<const PlotFileEntry> sendList,
                                               int jobCopies, SpoolJob& job) {
    if (!defaultFolder_.empty() &&
        file_.parent_path().lexically_normal() == defaultFolder_.lexically_normal()) {
        std::error_code ignored;  // a folder that cannot be made shows up as a failed open
        fs::create_directory(defaultFolder_, ignored);
    }

    auto attempt = TryOpen(file_);
    const auto failed = [&] { return std::holds_alternative<OpenFailure>(attempt); };
    if (failed()) {
        sleeper_.Sleep(kAccountingFirstWait);
        attempt = TryOpen(file_);
    }
    for (int retry = 0; retry < kAccountingRetries && failed(); ++retry) {
        sleeper_.Sleep(kAccountingRetryWait);
        attempt = TryOpen(file_);
    }
    if (failed()) {
        const auto& failure = std::get<OpenFailure>(attempt);
        return Refuse(failure.resource, failure.cause, job);
    }
    const int fd = std::get<int>(attempt);

    // O_APPEND puts every line at the end, even after a writer that ignores the lock.
    for (int set = 0; set < jobCopies; ++set) {
        for (const PlotFileEntry& entry : sendList) {
            if (!WriteAll(fd, AccountingLine(clock_.Now(), ticket, entry.filePath))) {
                const int error = errno;
                ::close(fd);
                return Refuse(rid::kAccountWriteFailedMessage, ErrorText(error), job);
            }
        }
    }
    // Files that cannot be synchronised (pipes, devices) have nothing to flush.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        const int error = errno;
        ::close(fd);
        return Refuse(rid::kAccountWriteFailedMessage, ErrorText(error), job);
    }
    if (::close(fd) != 0 && errno != EINTR) {
        return Refuse(rid::kAccountWriteFailedMessage, ErrorText(errno), job);
    }
    return Ok();
}

}  // namespace kestrum
