#pragma once

// The printer selection page's model: the printer type jobs are composed for, and the spooler's
// queues with a check mark each; the checked queues are the printers a send goes to.
//
// The check marks live in kestrum.ini, section "Printer": PrinterCount, then PrinterName<k>,
// PrinterPort<k> and PrinterDriver<k> for k = 1 .. PrinterCount. They are numbered from the bottom
// of the list upwards (1 is the checked queue nearest the end), the order older settings files
// were written in; keys above PrinterCount left by an earlier, longer list stay and are not read.
//
// Threads: user-interface thread only. The delivery worker does not read this object: it gets
// CheckedPrinters() as a copy taken when the send starts.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "platform/spooler.h"
#include "shell/printer_type.h"
#include "shell/program_settings.h"

namespace kestrum {

namespace printer_keys {
inline constexpr std::string_view kSection = "Printer";
inline constexpr std::string_view kPrinterType = "PrinterType";
inline constexpr std::string_view kPrinterCount = "PrinterCount";
inline constexpr std::string_view kPrinterName = "PrinterName";
inline constexpr std::string_view kPrinterPort = "PrinterPort";
inline constexpr std::string_view kPrinterDriver = "PrinterDriver";
}  // namespace printer_keys

class PrinterSelection {
  public:
    static constexpr int kGenericButton = 1238;
    static constexpr int kVelmarButton = 1236;
    static constexpr int kOce9400Button = 1237;
    static constexpr int kPrinterList = 1233;
    static constexpr int kPrinterButton = 1241;

    struct Entry {
        PrinterQueue queue;
        bool checked = false;
    };

    // Told of every printer-type choice, in the order registered: first the option pages (the
    // option state registers one listener that tells its five pages in their fixed order, see
    // FollowPrinterType in config/option_state.h), then the main window's view buttons.
    using PrinterTypeListener = std::function<void(PrinterType)>;

    void AddPrinterTypeListener(PrinterTypeListener listener);

    // Once, when the page is created: applies the stored type, so the radio buttons and the
    // pages agree with the settings from the start.
    Result<void> Initialise(ProgramSettings& settings);

    // A type button chosen: sets the type in `settings`, tells every listener, checks the type's
    // radio button and writes PrinterType at once. The error names the settings file when the
    // write does not reach the disk; the choice holds in memory regardless.
    Result<void> ChoosePrinterType(PrinterType type, ProgramSettings& settings);

    // The type buttons and button 1241 are usable in device output mode only.
    void ApplyOutputMode(OutputMode mode);

    // The page shown or hidden: the list becomes the spooler's queues in the order given and
    // takes the check marks stored in `settingsFile` (an empty path: nothing stored). A queue
    // named exactly kReservedQueueName is never listed. When the spooler gave no list, the list
    // stays empty, nothing is restored and the spooler's error is passed back.
    Result<void> Rebuild(const Result<std::vector<PrinterQueue>>& queues,
                         const std::filesystem::path& settingsFile);

    // A check box in the list clicked: the mark changes and every check mark is saved at once.
    // An index beyond the list changes nothing.
    Result<void> SetChecked(std::size_t index, bool checked, ProgramSettings& settings);

    // Writes the check marks to settings.settingsFile (nothing when it is empty) and flushes.
    // With at least one mark, settings' printer name becomes that of PrinterName1 and its port
    // and driver become empty; with none, only PrinterCount "0" is written.
    Result<void> SaveCheckMarks(ProgramSettings& settings) const;

    const std::vector<Entry>& entries() const { return entries_; }

    // The checked queues' names from the first entry to the last: the order a send visits them.
    std::vector<std::string> CheckedPrinters() const;

    // The radio button of the chosen type; 0 until a type has been applied.
    int chosenTypeButton() const { return chosenTypeButton_; }
    // The three type buttons and button 1241 share one enabled state.
    bool typeControlsEnabled() const { return typeControlsEnabled_; }

  private:
    void RestoreCheckMarks(const std::filesystem::path& settingsFile);
    void CheckFirstBeginningWith(std::string_view name);

    std::vector<Entry> entries_;
    std::vector<PrinterTypeListener> listeners_;
    int chosenTypeButton_ = 0;
    bool typeControlsEnabled_ = true;
};

}  // namespace kestrum
