#include "shell/program_settings.h"

#include <system_error>

#include "platform/private_profile.h"
#include "platform/xdg_paths.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kWordBuffer = 80;
constexpr std::size_t kPathBuffer = 260;

// Reads and writes the keys of one settings file; with no file every read is its default and
// every write is dropped.
class SettingsFile {
  public:
    SettingsFile(fs::path file, SettingsWriteBack writeBack)
        : file_(std::move(file)), writeBack_(writeBack == SettingsWriteBack::Yes) {}

    std::string Read(std::string_view section, std::string_view key, std::string_view fallback,
                     std::size_t size) const {
        if (file_.empty()) return std::string(fallback.substr(0, size == 0 ? 0 : size - 1));
        return profile::ReadString(file_, section, key, fallback, size);
    }

    bool ReadYesNo(std::string_view key) const {
        return MatchesResource(Read("General", key, LoadResourceString(rid::kNoWord), kWordBuffer),
                               rid::kYesWord);
    }

    void Write(std::string_view section, std::string_view key, std::string_view value) {
        if (file_.empty() || !writeBack_) return;
        if (auto written = profile::WriteString(file_, section, key, value); !written) {
            if (firstError_.empty()) firstError_ = written.error().message;
        }
    }

    // Takes the writes to the disk; the first failure met, if any.
    std::string Finish() {
        if (file_.empty() || !writeBack_) return {};
        if (!firstError_.empty()) return firstError_;
        auto flushed = profile::Flush(file_);
        return flushed ? std::string() : flushed.error().message;
    }

  private:
    fs::path file_;
    bool writeBack_;
    std::string firstError_;
};

std::string DefaultAccountFile() {
    auto home = HomeFolder();
    return home ? (home.value() / "KSAct" / "account.txt").string() : "KSAct/account.txt";
}

}  // namespace

ProgramSettings LoadProgramSettings(const std::optional<fs::path>& settingsFile,
                                    const fs::path& workingFolder, SettingsWriteBack writeBack,
                                    MessageSink& messages) {
    ProgramSettings settings;
    if (!settingsFile) {
        messages.Show(MakeMessage(rid::kNoSettingsFolder, MessageIcon::Exclamation));
    } else {
        settings.settingsFile = *settingsFile;
    }
    if (writeBack == SettingsWriteBack::Yes && settingsFile) {
        std::error_code ignored;  // a missing folder shows up as a failed flush below
        fs::create_directories(settingsFile->parent_path(), ignored);
    }
    SettingsFile file(settings.settingsFile, writeBack);

    settings.programFolder = workingFolder;
    settings.defaultConfiguration = workingFolder / "default.cfg";

    // Every start is in device mode, whatever was stored.
    settings.outputMode = OutputMode::Device;
    file.Write("General", "OutputMode", "DEVICE");

    settings.jobTicket = file.ReadYesNo("JobTicket");

    const std::string unit =
        file.Read("General", "Unit", LoadResourceString(rid::kEnglishWord), kWordBuffer);
    if (MatchesResource(unit, rid::kEnglishWord)) {
        settings.unit = Unit::English;
        file.Write("General", "Unit", LoadResourceString(rid::kEnglishWord));
    } else if (unit == LoadResourceString(rid::kMetricWord)) {
        settings.unit = Unit::Metric;
        file.Write("General", "Unit", LoadResourceString(rid::kMetricWord));
    }

    settings.autoCad = file.ReadYesNo("AutoCAD");

    const std::string working = workingFolder.string();
    settings.plotFilesFolder = file.Read("DefaultPath", "PlotFiles", working, kPathBuffer);
    file.Write("DefaultPath", "PlotFiles", settings.plotFilesFolder);
    settings.configFilesFolder = file.Read("DefaultPath", "ConfigFiles", working, kPathBuffer);
    file.Write("DefaultPath", "ConfigFiles", settings.configFilesFolder);
    settings.accountFile =
        file.Read("DefaultPath", "AccountFile", DefaultAccountFile(), kPathBuffer);
    file.Write("DefaultPath", "AccountFile", settings.accountFile);

    // "Oce9400" is a printer class of its own: reading it as generic would lose the user's
    // choice at every start.
    const auto type = ParsePrinterType(file.Read("Printer", "PrinterType", "Velmar", kWordBuffer));
    settings.printerType = type.value_or(PrinterType::Generic);
    if (settings.printerType != PrinterType::Generic) {
        for (auto [key, field] : {std::pair{"PrinterName", &settings.printerName},
                                  std::pair{"PrinterPort", &settings.printerPort},
                                  std::pair{"PrinterDriver", &settings.printerDriver}}) {
            *field = file.Read("Printer", key, "Default", kPathBuffer);
            file.Write("Printer", key, *field);
        }
    }

    settings.eojNotification = file.ReadYesNo("EOJNotification");
    settings.folderOptions = file.ReadYesNo("FolderOptions");
    settings.hardwareOptions = file.ReadYesNo("HardwareOptions");

    if (const std::string failure = file.Finish(); !failure.empty()) {
        Message message =
            MakeMessage(rid::kCannotSaveProgramSettings, MessageIcon::Exclamation, failure);
        message.text += "\n";
        message.text += LoadResourceString(rid::kSettingsGoOn);
        messages.Show(message);
    }
    return settings;
}

Result<void> SaveProgramSettingsAtExit(const ProgramSettings& settings) {
    if (settings.settingsFile.empty()) return Ok();
    if (auto flushed = profile::Flush(settings.settingsFile); !flushed) {
        return MakeError(rid::kSettingsNotSavedAtExit, ErrorKind::File, flushed.error().message);
    }
    return Ok();
}

void SettingsFailureFilter::SetSettingsFile(const fs::path& file) {
    std::lock_guard lock(mutex_);
    file_ = file.string();
    told_ = false;
}

void SettingsFailureFilter::Show(const Message& message) {
    {
        std::lock_guard lock(mutex_);
        if (!file_.empty() && message.text.find(file_) != std::string::npos) {
            if (told_) return;
            told_ = true;
        }
    }
    next_.Show(message);
}

ProgramSettings LoadUserProgramSettings(SettingsWriteBack writeBack, MessageSink& messages) {
    std::error_code error;
    fs::path working = fs::current_path(error);
    if (error) working = ".";
    auto settingsFile = SettingsFilePath();
    return LoadProgramSettings(
        settingsFile ? std::optional<fs::path>(settingsFile.value()) : std::nullopt, working,
        writeBack, messages);
}

}  // namespace kestrum
