#pragma once

// ProgramSettings: the program-wide preferences kept in kestrum.ini, read once at start-up.

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "shell/message_sink.h"
#include "shell/printer_type.h"

namespace kestrum {

enum class OutputMode { Device, Ksl };
enum class Unit { English, Metric };

struct ProgramSettings {
    OutputMode outputMode = OutputMode::Device;
    bool jobTicket = false;
    Unit unit = Unit::English;
    bool autoCad = false;
    std::string plotFilesFolder;
    std::string configFilesFolder;
    std::string accountFile;
    PrinterType printerType = PrinterType::Velmar;
    std::string printerName;
    std::string printerPort;
    std::string printerDriver;
    bool eojNotification = false;
    bool folderOptions = false;
    bool hardwareOptions = false;

    // Where the settings live; empty when no settings file can be used, so nothing is saved.
    std::filesystem::path settingsFile;
    // The working directory at start-up, and default.cfg in it.
    std::filesystem::path programFolder;
    std::filesystem::path defaultConfiguration;
};

// Whether reading the settings also writes back the keys that start-up normalises (the output
// mode, the unit, the default folders and the printer texts). The desktop program does; the
// command-line front end only reads.
enum class SettingsWriteBack { Yes, No };

// Reads the settings from `settingsFile` (nothing: no settings folder could be found, which is
// reported once and leaves every default in place). Missing or unreadable keys take their
// defaults. With write-back the normalised keys are written and flushed; a failed flush is
// reported through `messages` and the settings read stay in force.
ProgramSettings LoadProgramSettings(const std::optional<std::filesystem::path>& settingsFile,
                                    const std::filesystem::path& workingFolder,
                                    SettingsWriteBack writeBack, MessageSink& messages);

// Takes to the disk the settings writes that an earlier failure left pending (a full disk that has
// room again); nothing to do succeeds. For the end of the run, so no change is lost unsaid.
Result<void> SaveProgramSettingsAtExit(const ProgramSettings& settings);

// Passes messages on to `next`, but a failure of the settings file only once a run: when the file
// cannot be written every later change fails the same way, and a box at every click helps nobody.
// Such a failure is a message that names the file. Any thread.
class SettingsFailureFilter final : public MessageSink {
  public:
    explicit SettingsFailureFilter(MessageSink& next) : next_(next) {}

    void SetSettingsFile(const std::filesystem::path& file);
    void Show(const Message& message) override;

  private:
    MessageSink& next_;
    std::mutex mutex_;
    std::string file_;
    bool told_ = false;
};

// LoadProgramSettings for the settings file of this user (see platform/xdg_paths.h) and the
// current working directory.
ProgramSettings LoadUserProgramSettings(SettingsWriteBack writeBack, MessageSink& messages);

}  // namespace kestrum
