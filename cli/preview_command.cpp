#include "cli/preview_command.h"

#include <fcntl.h>
#include <png.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "cli/cli_commands.h"
#include "config/configuration_file.h"
#include "config/option_state.h"
#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"
#include "render/drawing_rendering.h"
#include "render/hpgl_preview.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"
#include "shell/resource_ids.h"

namespace kestrum::cli {
namespace {

constexpr int kLargestSize = 8192;

// The drawing's 300 x 300 picture at `size`: each new pixel is ink when any pixel it covers is,
// so thin lines survive a reduction; an enlargement repeats pixels.
GreyPicture Scaled(const PreviewBitmap& bitmap, int size) {
    GreyPicture picture(size, size);
    const auto Span = [size](int i, int full) {
        const int from = i * full / size;
        return std::pair{from, std::max(from + 1, (i + 1) * full / size)};
    };
    for (int y = 0; y < size; ++y) {
        const auto [top, bottom] = Span(y, PreviewBitmap::kHeight);
        for (int x = 0; x < size; ++x) {
            const auto [left, right] = Span(x, PreviewBitmap::kWidth);
            bool ink = false;
            for (int sy = top; sy < bottom && !ink; ++sy) {
                for (int sx = left; sx < right && !ink; ++sx) ink = bitmap.Ink(sx, sy);
            }
            if (ink) picture.pixels[static_cast<std::size_t>(y) * size + x] = 0;
        }
    }
    return picture;
}

Result<std::string> EncodePng(const GreyPicture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_GRAY;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, picture.pixels.data(), 0, nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        return Fail("cannot encode the picture as PNG: " + message + ".");
    }
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.pixels.data(), 0,
                                   nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        return Fail("cannot encode the picture as PNG: " + message + ".");
    }
    bytes.resize(size);
    return bytes;
}

// Writes `bytes` to `path`. A regular file (or a new one) is written under a temporary name
// beside it and renamed over it only when it is complete and on the disk, so that a failure never
// leaves half a picture under the asked-for name; anything else (a pipe, a device) is written
// directly. Every write, the flush and the close are checked.
Result<void> WriteOutput(const std::string& path, const std::string& bytes) {
    const auto failed = [&path](const char* what) {
        return Fail("cannot " + std::string(what) + " the preview \"" + path +
                    "\": " + ErrorText(errno) + ".");
    };
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (S_ISDIR(status.st_mode)) {
            return Fail("cannot write the preview \"" + path + "\": it is a folder.");
        }
        UniqueFd out(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
        if (!out.valid()) return failed("open");
        if (!WriteAll(out.get(), bytes)) return failed("write");
        if (!out.Close()) return failed("write");
        return Ok();
    }
    std::string temporary = path + ".XXXXXX";
    UniqueFd out(::mkstemp(temporary.data()));
    if (!out.valid()) return failed("create a file beside");
    // mkstemp makes the file private; the picture should be as readable as any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    Result<void> done = Ok();
    if (::fchmod(out.get(), 0666 & ~mask) != 0) {
        done = failed("set the permissions of");
    } else if (!WriteAll(out.get(), bytes) || ::fsync(out.get()) != 0 || !out.Close()) {
        done = failed("write");
    } else if (::rename(temporary.c_str(), path.c_str()) != 0) {
        done = failed("write");
    }
    if (!done) ::unlink(temporary.c_str());
    return done;
}

// The option state of the launcher's previews: the user's settings and default configuration.
OptionState PreviewState() {
    StderrMessageSink messages;
    const ProgramSettings settings = LoadUserProgramSettings(SettingsWriteBack::No, messages);
    OptionState state(settings.unit, settings.printerType);
    if (CheckReadableFile(settings.defaultConfiguration.string(), "configuration file")) {
        state.values.currentConfiguration = settings.defaultConfiguration.string();
        LoadAll(state, messages);
    }
    return state;
}

// The drawing's preview through the renderer, as the launcher shows it: the renderer's own
// picture at its own size; at any other size the drawing as the renderer plots it, drawn at that
// size (the renderer's picture enlarged when that plot cannot be made).
Result<GreyPicture> DrawingPreview(const RendererBinding& renderer, const std::string& path,
                                   int size) {
    OptionState state = PreviewState();
    Result<PreviewBitmap> own = RenderPreview(renderer, state, path);
    if (!own) return own.error();
    if (size != PreviewBitmap::kWidth) {
        if (Result<HpglPlot> plot = RenderDrawingPlot(renderer, state, path);
            plot && plot.value().hasInk()) {
            GreyPicture picture(size, size);
            DrawHpgl(plot.value(), picture);
            return picture;
        }
    }
    return Scaled(own.value(), size);
}

}  // namespace

void AddPreviewCommand(CLI::App& app, PreviewOptions& options) {
    CLI::App* command = app.add_subcommand(
        "preview",
        "Write the preview picture of an HP-GL or HP-GL/2 plot file, or of a drawing that the "
        "drawing renderer reads, as a PNG image of N x N pixels. A plot that is damaged is "
        "drawn up to the damage, with a warning. Exit 2 when the file is neither; 1 when the "
        "picture cannot be written.");
    command->add_option("PLOTFILE", options.plotFile, "The plot file or drawing.")->required();
    command
        ->add_option("-o,--output", options.output,
                     "The PNG file to write (written whole or not at all).")
        ->required();
    command->add_option("--size", options.size, "The picture's width and height (default 300).")
        ->check(CLI::Range(1, kLargestSize));
}

int RunPreview(const PreviewOptions& options) {
    const std::string& path = options.plotFile;
    if (auto readable = CheckReadableFile(path, "plot file"); !readable) {
        PrintError(readable.error().message);
        return kExitBadInput;
    }
    GreyPicture picture;
    const RendererBinding renderer = RendererBinding::ForProgram();
    if (RendererAnswer(renderer, path) != 0) {
        Result<GreyPicture> drawing = DrawingPreview(renderer, path, options.size);
        if (!drawing) {
            PrintError(drawing.error().message);
            return kExitBadInput;
        }
        picture = std::move(drawing.value());
    } else {
        Result<std::vector<std::uint8_t>> bytes = ReadPlotFile(path);
        if (!bytes) {
            PrintError(bytes.error().message);
            return kExitBadInput;
        }
        const HpglPlot plot = InterpretHpgl(bytes.value());
        if (!LooksLikeHpgl(plot)) {
            PrintError(std::string(LoadResourceString(rid::kHpglPreviewNotPlotMessage)) + " (" +
                       path + ")");
            return kExitBadInput;
        }
        if (plot.outcome != HpglPlot::Outcome::Complete) PrintError(HpglProblemText(plot, path));
        picture = GreyPicture(options.size, options.size);
        DrawHpgl(plot, picture);
    }
    Result<std::string> png = EncodePng(picture);
    Result<void> written =
        png ? WriteOutput(options.output, png.value()) : Result<void>(png.error());
    if (!written) {
        PrintError(written.error().message);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace kestrum::cli
