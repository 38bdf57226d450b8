#include "cli/cli_commands.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "compose/job_stream.h"
#include "config/configuration_file.h"
#include "config/option_state.h"
#include "platform/error_text.h"
#include "platform/print_job.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

namespace kestrum::cli {
namespace {

// The worker copies plot files in pieces of this size; the stream is the same either way.
constexpr std::size_t kPieceSize = 512;

bool CopyPlotFile(std::ifstream& plot, PrintJob& job) {
    char piece[kPieceSize];
    while (plot) {
        plot.read(piece, sizeof piece);
        const std::streamsize got = plot.gcount();
        if (got > 0 && !job.WriteToPrinter(piece, static_cast<std::size_t>(got))) return false;
    }
    return plot.eof();
}

}  // namespace

void PrintError(const std::string& text) {
    std::fprintf(stderr, "kestrum-cli: %s\n", text.c_str());
}

Result<void> CheckReadableFile(const std::string& path, const char* what) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return Fail(std::string("cannot read the ") + what + " \"" + path + "\": it is a folder.");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return Fail(std::string("cannot read the ") + what + " \"" + path +
                    "\": " + ErrorText(errno) + ".");
    }
    return Ok();
}

int RunStrings(std::FILE* out) {
    for (const ResourceString& entry : AllResourceStrings()) {
        std::fprintf(out, "%d\t%.*s\n", entry.number, static_cast<int>(entry.text.size()),
                     entry.text.data());
    }
    return std::fflush(out) == 0 ? kExitOk : kExitFailed;
}

int RunJobStream(const JobStreamOptions& options, std::FILE* out) {
    if (options.config == ConfigChoice::File) {
        if (auto readable = CheckReadableFile(options.configFile, "configuration file");
            !readable) {
            PrintError(readable.error().message);
            return kExitBadInput;
        }
    }

    std::ifstream plot;
    if (!options.plotFile.empty()) {
        if (auto readable = CheckReadableFile(options.plotFile, "plot file"); !readable) {
            PrintError(readable.error().message);
            return kExitBadInput;
        }
        plot.open(options.plotFile, std::ios::binary);
        if (!plot) {
            PrintError("cannot read the plot file \"" + options.plotFile +
                       "\": " + ErrorText(errno) + ".");
            return kExitBadInput;
        }
    }

    StderrMessageSink messages;
    const ProgramSettings settings = LoadUserProgramSettings(SettingsWriteBack::No, messages);
    const PrinterType printerType = options.printerType.value_or(settings.printerType);

    // The entry's configuration is made current exactly as the delivery worker does it.
    OptionState state(settings.unit, printerType);
    if (options.config == ConfigChoice::File) {
        state.values.currentConfiguration = options.configFile;
        LoadAll(state, messages);
    } else if (options.config == ConfigChoice::CurrentSettings &&
               CheckReadableFile(settings.defaultConfiguration.string(), "configuration file")) {
        state.values.currentConfiguration = settings.defaultConfiguration.string();
        LoadAll(state, messages);
    }
    state.values.setCurrentFlag = options.setCurrent ? 1 : 0;
    OptionStateExports exports(state);
    std::unique_ptr<Clock> clock;
    if (options.now) {
        clock = std::make_unique<FixedClock>(*options.now);
    } else {
        clock = std::make_unique<SystemClock>();
    }

    StreamPrintJob job(out);
    const bool withHeader = options.config != ConfigChoice::NoConfiguration;
    JobStreamComposer composer(state.values, printerType, *clock, &exports);
    auto composed = [&messages](Result<void> result) {
        if (!result) ShowError(messages, result.error());
        return result.ok();
    };
    if (withHeader && !composed(composer.ComposeJobHeader(job))) return kExitFailed;
    if (plot.is_open() && !CopyPlotFile(plot, job)) {
        PrintError("cannot send the plot file \"" + options.plotFile +
                   "\": " + (plot.bad() ? "reading it failed." : "writing the output failed."));
        return kExitFailed;
    }
    if (withHeader && !composed(composer.ComposeJobTrailer(job))) return kExitFailed;
    if (std::fflush(out) != 0) {
        PrintError(std::string("cannot write the job stream: ") + ErrorText(errno) + ".");
        return kExitFailed;
    }
    return kExitOk;
}

Result<LocalTime> ParseLocalTime(const std::string& text) {
    LocalTime time;
    char tail = 0;
    const int fields =
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &time.second, &tail);
    constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd";
    bool shaped = fields == 6 && text.size() == kShape.size();
    for (std::size_t i = 0; shaped && i < kShape.size(); ++i) {
        shaped = kShape[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == kShape[i];
    }
    const bool inRange = time.year >= 1 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
                         time.day <= 31 && time.hour >= 0 && time.hour <= 23 && time.minute >= 0 &&
                         time.minute <= 59 && time.second >= 0 && time.second <= 60;
    if (!shaped || !inRange) {
        return Fail("--now \"" + text + "\" is not a local time of the form YYYY-MM-DDTHH:MM:SS.");
    }
    return time;
}

Result<PrinterType> ParsePrinterTypeOption(const std::string& text) {
    if (auto type = ParsePrinterType(text)) return *type;
    return Fail("--printer-type \"" + text + "\" is not one of generic, velmar, oce9400.");
}

}  // namespace kestrum::cli
