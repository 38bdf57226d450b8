#include "launch/configuration_sender.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "compose/job_stream.h"
#include "config/configuration_file.h"
#include "platform/error_text.h"
#include "platform/private_profile.h"
#include "platform/unique_fd.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNewConfig = "@KSL NEWCONFIG";
constexpr std::string_view kEnd = "\r\n@KSL END;\r\n";
constexpr std::string_view kSetCurrent = "@KSL SETCURRENT";

// The piece the configuration's text is streamed in, as plot files are.
constexpr std::size_t kPieceSize = 512;

// Removes the temporary copy on every path out unless it was removed already.
class TemporaryCopy {
  public:
    explicit TemporaryCopy(fs::path path) : path_(std::move(path)) {}
    ~TemporaryCopy() {
        if (path_.empty()) return;
        ::unlink(path_.c_str());
        profile::Forget(path_);
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    const fs::path& path() const { return path_; }

    // False with errno set when the file could not be removed; it is not tried again.
    bool Remove() {
        const fs::path path = std::exchange(path_, fs::path());
        profile::Forget(path);
        return ::unlink(path.c_str()) == 0;
    }

  private:
    fs::path path_;
};

std::string Quoted(const fs::path& path, const std::string& cause) {
    return "(\"" + path.string() + "\": " + cause + ")";
}

std::string WriteDetail(const SpoolJob& job) {
    const std::string cause = job.lastError();
    return cause.empty() ? std::string() : "(" + cause + ")";
}

bool Put(SpoolJob& job, std::string_view bytes) {
    return job.WriteToPrinter(bytes.data(), bytes.size());
}

}  // namespace

std::string ConfigurationReference(std::string_view configurationPath, ConfigurationKind kind) {
    const std::size_t slash = configurationPath.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? configurationPath : configurationPath.substr(slash + 1);
    std::string reference = kind == ConfigurationKind::General ? "(GENERAL, " : "(QUEUE, ";
    reference += name;
    reference += ");\r\n\r\n";
    return reference;
}

fs::path TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? fs::path(folder) : fs::path("/tmp");
}

ConfigurationSender::ConfigurationSender(OptionState& state, const ProgramSettings& settings,
                                         Spooler& spooler, MessageSink& messages,
                                         const Clock& clock)
    : state_(state),
      settings_(settings),
      spooler_(spooler),
      messages_(messages),
      clock_(clock),
      temporaryFolder_(TemporaryFolder()) {}

Result<void> ConfigurationSender::Send(const std::string& printer) {
    auto opened = spooler_.OpenPrintJob(printer);
    if (!opened) return opened.error();
    SpoolJob& job = *opened.value();
    return settings_.outputMode == OutputMode::Device ? SendHeader(job) : SendScript(job);
}

Result<void> ConfigurationSender::SendHeader(SpoolJob& job) {
    OptionStateExports exports(state_);
    JobStreamComposer composer(state_.values, settings_.printerType, clock_, &exports);
    if (auto composed = composer.ComposeJobHeader(job); !composed) {
        // Ending the job would hand the printer a cut header.
        job.AbortPrintJob();
        return composed;
    }
    return End(job);
}

Result<void> ConfigurationSender::SendScript(SpoolJob& job) {
    const std::string reference =
        ConfigurationReference(state_.values.currentConfiguration, state_.values.kind);
    if (!Put(job, kNewConfig) || !Put(job, reference)) {
        return Refuse(rid::kScriptSendFailedMessage, WriteDetail(job), job);
    }
    if (auto sent = SendConfigurationText(job); !sent) return sent;
    if (!Put(job, kEnd)) return Refuse(rid::kScriptSendFailedMessage, WriteDetail(job), job);
    if (state_.values.setCurrentFlag == 1 && (!Put(job, kSetCurrent) || !Put(job, reference))) {
        return Refuse(rid::kScriptSendFailedMessage, WriteDetail(job), job);
    }
    return End(job);
}

Result<void> ConfigurationSender::SendConfigurationText(SpoolJob& job) {
    std::string pattern = (temporaryFolder_ / "kslXXXXXX").string();
    UniqueFd made(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!made.valid()) {
        return Refuse(rid::kScriptTempNameFailedMessage, Quoted(temporaryFolder_, ErrorText(errno)),
                      job, ErrorKind::File);
    }
    made.Close();
    TemporaryCopy copy{fs::path(pattern)};

    // The saver writes the whole configuration, as Save would, into the copy. Whatever it could
    // not write it has reported; a configuration missing some of its keys must not be stored on
    // the server under the configuration's name.
    profile::Forget(copy.path());
    if (auto saved = SaveAll(state_, copy.path(), messages_); !saved) {
        job.AbortPrintJob();
        // Why the save failed is shown now; that the send stopped is for the caller to show.
        ShowError(messages_, saved.error(), MessageIcon::Stop);
        return Error{
            FormatResourceString(rid::kConfigurationNotSentMessage, {copy.path().string()}),
            rid::kConfigurationNotSentMessage, ErrorKind::File};
    }

    const UniqueFd fd(::open(copy.path().c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return Refuse(rid::kScriptTempReadFailedMessage, Quoted(copy.path(), ErrorText(errno)), job,
                      ErrorKind::File);
    }
    char piece[kPieceSize];
    for (;;) {
        const ssize_t count = ::read(fd.get(), piece, sizeof piece);
        if (count < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            return Refuse(rid::kScriptTempReadFailedMessage, Quoted(copy.path(), ErrorText(error)),
                          job, ErrorKind::File);
        }
        // A configuration whose size is a multiple of the piece ends with an empty read; it is
        // not handed on, because some spoolers take an empty write as the end of the document.
        if (count > 0 && !job.WriteToPrinter(piece, static_cast<std::size_t>(count))) {
            return Refuse(rid::kScriptSendFailedMessage, WriteDetail(job), job);
        }
        if (static_cast<std::size_t>(count) < sizeof piece) break;
    }

    if (!copy.Remove()) {
        // Only litter is left behind; the script itself is whole, so the send goes on.
        messages_.Show(MakeMessage(rid::kScriptSendFailedMessage, MessageIcon::Exclamation,
                                   Quoted(pattern, ErrorText(errno))));
    }
    return Ok();
}

Result<void> ConfigurationSender::Refuse(int resource, const std::string& detail, SpoolJob& job,
                                         ErrorKind kind) {
    job.AbortPrintJob();
    return MakeError(resource, kind, detail);
}

Result<void> ConfigurationSender::End(SpoolJob& job) {
    auto ended = job.EndPrintJob();
    if (!ended) {
        // The spooler has withdrawn the job already.
        return MakeError(rid::kScriptSendFailedMessage, ErrorKind::Printer,
                         "(" + ended.error().message + ")");
    }
    return Ok();
}

}  // namespace kestrum
