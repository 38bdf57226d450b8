#include "cli/cli_commands.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "compose/job_stream.h"
#include "config/configuration_file.h"
#include "config/option_state.h"
#include "launch/plot_file_check.h"
#include "platform/error_text.h"
#include "platform/print_job.h"
#include "platform/unique_fd.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"
#include "shell/resource_ids.h"

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

// Gregorian calendar; `month` is 1 to 12.
int DaysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

void PrintError(const std::string& text) {
    std::fprintf(stderr, "kestrum-cli: %s\n", text.c_str());
}

std::string CliText(int resource, std::initializer_list<std::string_view> details) {
    const std::string_view text = LoadResourceString(resource);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : 0;
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (text[i] == '%' && next >= '1' && next <= '9' && index < details.size()) {
            out += details.begin()[index];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

Result<void> CheckReadableFile(const std::string& path, std::string_view what) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return Fail(CliText(rid::kCliFolderNotFile, {what, path}));
    }
    // Non-blocking: a pipe under the name must not hold the check up waiting for a writer.
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) return Fail(CliText(rid::kCliCannotRead, {what, path, ErrorText(errno)}));
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
        if (auto readable = CheckReadableFile(options.configFile,
                                              LoadResourceString(rid::kCliConfigurationFileWord));
            !readable) {
            PrintError(readable.error().message);
            return kExitBadInput;
        }
    }

    std::ifstream plot;
    if (!options.plotFile.empty()) {
        if (auto regular = CheckPlotFileKind(options.plotFile); !regular) {
            PrintError(regular.error().message);
            return kExitBadInput;
        }
        if (auto readable =
                CheckReadableFile(options.plotFile, LoadResourceString(rid::kCliPlotFileWord));
            !readable) {
            PrintError(readable.error().message);
            return kExitBadInput;
        }
        plot.open(options.plotFile, std::ios::binary);
        if (!plot) {
            PrintError(CliText(rid::kCliCannotRead, {LoadResourceString(rid::kCliPlotFileWord),
                                                     options.plotFile, ErrorText(errno)}));
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
               CheckReadableFile(settings.defaultConfiguration.string(),
                                 LoadResourceString(rid::kCliConfigurationFileWord))) {
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
        PrintError(CliText(plot.bad() ? rid::kCliPlotReadFailed : rid::kCliOutputWriteFailed,
                           {options.plotFile}));
        return kExitFailed;
    }
    if (withHeader && !composed(composer.ComposeJobTrailer(job))) return kExitFailed;
    if (std::fflush(out) != 0) {
        PrintError(CliText(rid::kCliJobStreamWriteFailed, {ErrorText(errno)}));
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
                         time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 &&
                         time.hour <= 23 && time.minute >= 0 && time.minute <= 59 &&
                         time.second >= 0 && time.second <= 60;
    if (!shaped || !inRange) {
        return Fail(CliText(rid::kCliBadNow, {text}));
    }
    return time;
}

Result<PrinterType> ParsePrinterTypeOption(const std::string& text) {
    if (auto type = ParsePrinterType(text)) return *type;
    return Fail(CliText(rid::kCliBadPrinterType, {text}));
}

}  // namespace kestrum::cli
