#pragma once

// The configuration manager without its window: which file is current, whether it has a name the
// user chose, and the New, Open, Save and Save As commands. The window shows the current path,
// runs the file dialogs and passes the chosen paths in. Runs on the user-interface thread.

#include <filesystem>
#include <functional>
#include <string>

#include "config/option_state.h"
#include "platform/result.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

namespace kestrum {

class ConfigurationManager {
  public:
    // Answers the system default printer as "name,driver,port"; the spooler's by default.
    using DefaultPrinterSource = std::function<std::string()>;

    // Does not take ownership; all three must outlive the manager. Runs the manager's
    // initialisation, as creating its window does.
    ConfigurationManager(OptionState& state, ProgramSettings& settings, MessageSink& messages,
                         DefaultPrinterSource defaultPrinter = {});

    // The path every group loads from and saves to.
    const std::string& currentConfiguration() const { return state_.values.currentConfiguration; }
    // Set when the current file was chosen by Open or Save As.
    bool hasName() const { return hasName_; }

    // The start-up step: loads default.cfg from the working directory when it can be read.
    // Returns whether it did. The file keeps no name the user chose.
    bool LoadDefaultConfiguration();

    // Every group back to its defaults, as "config1.cfg" in the configuration folder. No file is
    // written.
    void New();

    // Makes `file` current and loads every group from it. A file that does not exist yet loads
    // as an empty one. Fails, changing nothing, when `file` is a folder or cannot be read; the
    // caller shows the error.
    Result<void> Open(const std::filesystem::path& file);

    // The failures of Save and SaveAs come as SaveAll's do (configuration_file.h): show them with
    // ShowError and the stop icon; refused keys were shown already.
    enum class SaveOutcome { Saved, NeedsName };
    // Saves to the named current file; NeedsName when the user has not chosen one yet, and the
    // window then asks for one and calls SaveAs.
    Result<SaveOutcome> Save();

    // Saves every group to `file`, replacing whatever it held. The new file is written under a
    // temporary name beside it and renamed over the old one, so a failure part-way leaves the
    // old file as it was. On failure the current file and the has-name flag stay unchanged.
    Result<void> SaveAs(const std::filesystem::path& file);

    // The output mode changed to device: the set-current flag is cleared.
    void ApplyDeviceMode();

    // The configuration kind (1 general, 2 queue) chosen with the window's radio buttons.
    void SetKind(ConfigurationKind kind) { state_.values.kind = kind; }
    void SetSetCurrentFlag(bool on) { state_.values.setCurrentFlag = on ? 1 : 0; }

  private:
    void Initialise();
    void TakeSystemDefaultPrinter();

    OptionState& state_;
    ProgramSettings& settings_;
    MessageSink& messages_;
    DefaultPrinterSource defaultPrinter_;
    bool hasName_ = false;
};

// Splits "name,driver,port" as the system's default-printer entry is read: the name up to the
// first ",", then driver and port separated by "," or " ". False when a part is missing.
struct PrinterEntryParts {
    std::string name;
    std::string driver;
    std::string port;
};
bool SplitPrinterEntry(const std::string& entry, PrinterEntryParts& parts);

}  // namespace kestrum
