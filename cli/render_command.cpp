#include "cli/render_command.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "cli/cli_commands.h"
#include "config/configuration_file.h"
#include "config/option_state.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"
#include "render/drawing_rendering.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"
#include "shell/resource_ids.h"

namespace kestrum::cli {
namespace {

// A file written under a temporary name beside its destination and renamed over it only when
// it is complete, so that a failed render never leaves a half plot under the asked-for name.
// A destination that is not a regular file (a device, a pipe) is written to directly.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string destination) : destination_(std::move(destination)) {}
    ~ReplacementFile() {
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
    }

    Result<int> Open() {
        // A device or a pipe named as the output (/dev/stdout, a FIFO) is written to as it is:
        // renaming a file over it would replace the device itself.
        struct stat status {};
        if (::stat(destination_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
            if (S_ISDIR(status.st_mode)) {
                return Fail("cannot write \"" + destination_ + "\": it is a folder.");
            }
            file_ = UniqueFd(::open(destination_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
            if (!file_.valid()) {
                return Fail("cannot open \"" + destination_ + "\": " + ErrorText(errno) + ".");
            }
            direct_ = true;
            return file_.get();
        }
        std::string name = destination_ + ".XXXXXX";
        file_ = UniqueFd(::mkstemp(name.data()));
        if (!file_.valid()) {
            return Fail("cannot create a file beside \"" + destination_ +
                        "\": " + ErrorText(errno) + ".");
        }
        temporary_ = name;
        // mkstemp makes the file private; the result should be as readable as any new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(file_.get(), 0666 & ~mask) != 0) {
            return Fail("cannot set the permissions of \"" + destination_ +
                        "\": " + ErrorText(errno) + ".");
        }
        return file_.get();
    }

    Result<void> Commit() {
        if (direct_) {
            if (!file_.Close()) {
                return Fail("cannot write \"" + destination_ + "\": " + ErrorText(errno) + ".");
            }
            return Ok();
        }
        if (::fsync(file_.get()) != 0 || !file_.Close() ||
            ::rename(temporary_.c_str(), destination_.c_str()) != 0) {
            return Fail("cannot write \"" + destination_ + "\": " + ErrorText(errno) + ".");
        }
        temporary_.clear();
        return Ok();
    }

  private:
    std::string destination_;
    std::string temporary_;
    UniqueFd file_;
    bool direct_ = false;
};

// What the renderer said after a render: the notes of what it left out go to standard error.
// True when the plot is empty, which the caller reports as a failure.
bool ReportNotes(const std::string& notes, const std::string& drawing) {
    if (notes.empty()) return false;
    std::size_t start = 0;
    while (start < notes.size()) {
        std::size_t end = notes.find('\n', start);
        if (end == std::string::npos) end = notes.size();
        PrintError(drawing + ": " + notes.substr(start, end - start));
        start = end + 1;
    }
    return notes.starts_with(ACADHPGL_EMPTY_PLOT_TEXT);
}

// A failed render: an output that could not be written is named with the system's cause; a
// drawing's own fault gets the renderer's explanation.
void ReportRenderFailure(const Error& error, const std::string& said, const std::string& output) {
    constexpr std::string_view kWriteFailed = ACADHPGL_WRITE_FAILED_TEXT;
    if (said.starts_with(kWriteFailed)) {
        std::string cause = said.substr(kWriteFailed.size());
        if (cause.starts_with(": ")) cause.erase(0, 2);
        PrintError("cannot write the plot to " + output + ": " + cause + ".");
        return;
    }
    PrintError(said.empty() ? error.message : error.message + " " + said);
}

int RenderHpgl(const RendererBinding& renderer, OptionState& state, const RenderOptions& options) {
    if (options.output.empty()) {
        Result<void> rendered =
            RenderDrawingToFile(renderer, state, options.drawing, STDOUT_FILENO);
        const std::string said = renderer.LastMessage();
        if (!rendered) {
            ReportRenderFailure(rendered.error(), said, "standard output");
            return kExitFailed;
        }
        // Some files only say at their close that what was written did not arrive.
        if (::close(STDOUT_FILENO) != 0 && errno != EINTR) {
            PrintError("cannot write the plot to standard output: " + ErrorText(errno) + ".");
            return kExitFailed;
        }
        return ReportNotes(said, options.drawing) ? kExitFailed : kExitOk;
    }
    ReplacementFile output(options.output);
    Result<int> fd = output.Open();
    if (!fd) {
        PrintError(fd.error().message);
        return kExitFailed;
    }
    Result<void> done = RenderDrawingToFile(renderer, state, options.drawing, fd.value());
    const std::string said = renderer.LastMessage();
    if (!done) {
        ReportRenderFailure(done.error(), said, "\"" + options.output + "\"");
        return kExitFailed;
    }
    // An empty plot is not worth a file: the asked-for name is left as it was.
    if (ReportNotes(said, options.drawing)) return kExitFailed;
    if (done = output.Commit(); !done) {
        PrintError(done.error().message);
        return kExitFailed;
    }
    return kExitOk;
}

// `notes`: whether to report what the renderer says; once is enough when the plot was rendered
// as well.
int RenderPicture(const RendererBinding& renderer, OptionState& state, const RenderOptions& options,
                  bool notes) {
    Result<PreviewBitmap> picture = RenderPreview(renderer, state, options.drawing);
    const std::string said = renderer.LastMessage();
    if (!picture) {
        PrintError(said.empty() ? picture.error().message : picture.error().message + " " + said);
        return kExitFailed;
    }
    if (notes && ReportNotes(said, options.drawing)) return kExitFailed;
    ReplacementFile output(options.previewFile);
    Result<int> fd = output.Open();
    Result<void> done = fd ? Result<void>() : Result<void>(fd.error());
    if (done && !WriteAll(fd.value(), picture.value().ToPbm())) done = Fail(ErrorText(errno));
    if (done) done = output.Commit();
    if (!done) {
        PrintError("cannot write the preview \"" + options.previewFile +
                   "\": " + done.error().message);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int RunRender(const RenderOptions& options) {
    if (auto readable = CheckReadableFile(options.drawing, "drawing"); !readable) {
        PrintError(readable.error().message);
        return kExitBadInput;
    }
    if (!options.configFile.empty()) {
        if (auto readable = CheckReadableFile(options.configFile, "configuration file");
            !readable) {
            PrintError(readable.error().message);
            return kExitBadInput;
        }
    }
    const RendererBinding renderer = RendererBinding::ForProgram();
    if (!renderer.available()) {
        PrintError(std::string("the drawing renderer is not available: no ") + kRendererFileName +
                   " with IsaACAD and RenderACAD was found beside kestrum-cli or in the "
                   "library folder, nor at " +
                   kRendererVariable + ".");
        return kExitBadInput;
    }
    // A send renders only what the renderer fully takes; the preview shows anything it takes.
    const bool hpgl = !options.output.empty() || options.previewFile.empty();
    const int answer = RendererAnswer(renderer, options.drawing);
    if (hpgl ? answer != 1 : answer == 0) {
        PrintError(std::string(LoadResourceString(rid::kPreviewNotDrawingMessage)) + " (" +
                   options.drawing + ")");
        return kExitBadInput;
    }

    StderrMessageSink messages;
    const ProgramSettings settings = LoadUserProgramSettings(SettingsWriteBack::No, messages);
    OptionState state(settings.unit, settings.printerType);
    if (!options.configFile.empty()) {
        state.values.currentConfiguration = std::filesystem::absolute(options.configFile).string();
        LoadAll(state, messages);
    } else if (CheckReadableFile(settings.defaultConfiguration.string(), "configuration file")) {
        state.values.currentConfiguration = settings.defaultConfiguration.string();
        LoadAll(state, messages);
    }

    if (hpgl) {
        if (const int status = RenderHpgl(renderer, state, options); status != kExitOk) {
            return status;
        }
    }
    if (!options.previewFile.empty()) return RenderPicture(renderer, state, options, !hpgl);
    return kExitOk;
}

}  // namespace kestrum::cli
