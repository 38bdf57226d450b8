#include "cli/render_command.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

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
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string destination) : destination_(std::move(destination)) {}
    ~ReplacementFile() {
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
    }

    Result<int> Open() {
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
};

int RenderHpgl(const RendererBinding& renderer, OptionState& state, const RenderOptions& options) {
    if (options.output.empty()) {
        if (Result<void> rendered =
                RenderDrawingToFile(renderer, state, options.drawing, STDOUT_FILENO);
            !rendered) {
            PrintError(rendered.error().message);
            return kExitFailed;
        }
        return kExitOk;
    }
    ReplacementFile output(options.output);
    Result<int> fd = output.Open();
    if (!fd) {
        PrintError(fd.error().message);
        return kExitFailed;
    }
    Result<void> done = RenderDrawingToFile(renderer, state, options.drawing, fd.value());
    if (done) done = output.Commit();
    if (!done) {
        PrintError(done.error().message);
        return kExitFailed;
    }
    return kExitOk;
}

int RenderPicture(const RendererBinding& renderer, OptionState& state,
                  const RenderOptions& options) {
    Result<PreviewBitmap> picture = RenderPreview(renderer, state, options.drawing);
    if (!picture) {
        PrintError(picture.error().message);
        return kExitFailed;
    }
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
    if (!options.previewFile.empty()) return RenderPicture(renderer, state, options);
    return kExitOk;
}

}  // namespace kestrum::cli
