#include "shell/printer_selection.h"

#include <charconv>
#include <set>
#include <utility>

#include "platform/private_profile.h"
#include "shell/text_compare.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using namespace printer_keys;

// A key missing below PrinterCount reads as this name, as it always has.
constexpr std::string_view kMissingName = "Default";
constexpr std::size_t kNameBuffer = 260;

std::string Numbered(std::string_view key, long long k) {
    return std::string(key) + std::to_string(k);
}

// k when `key` is `base` followed by k in plain decimal (no sign, blank or leading zero), the
// only spelling a read of base + k finds; 0 otherwise.
long long NumberAfter(std::string_view key, std::string_view base) {
    if (!StartsWithNoCase(key, base)) return 0;
    const std::string_view digits = key.substr(base.size());
    if (digits.empty() || digits.front() == '0') return 0;
    long long k = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
    if (error != std::errc() || end != digits.data() + digits.size()) return 0;
    return k;
}

int ButtonOf(PrinterType type) {
    switch (type) {
        case PrinterType::Velmar:
            return PrinterSelection::kVelmarButton;
        case PrinterType::Oce9400:
            return PrinterSelection::kOce9400Button;
        case PrinterType::Generic:
            break;
    }
    return PrinterSelection::kGenericButton;
}

// Collects the writes of one change and takes them to the disk together; the first failure wins.
class ChangeWriter {
  public:
    explicit ChangeWriter(const fs::path& file) : file_(file) {}

    void Write(std::string_view key, std::string_view value) {
        if (!failure_.empty()) return;
        if (auto written = profile::WriteString(file_, kSection, key, value); !written) {
            failure_ = written.error().message;
        }
    }

    Result<void> Finish() {
        auto flushed = profile::Flush(file_);
        if (!failure_.empty()) return Fail(failure_);
        return flushed;
    }

  private:
    const fs::path& file_;
    std::string failure_;
};

}  // namespace

void PrinterSelection::AddPrinterTypeListener(PrinterTypeListener listener) {
    listeners_.push_back(std::move(listener));
}

Result<void> PrinterSelection::Initialise(ProgramSettings& settings) {
    // Oce9400 is applied too: start-up keeps that type, and leaving it unapplied would show no
    // type chosen and keep the pages' Velmar-only controls enabled.
    return ChoosePrinterType(settings.printerType, settings);
}

Result<void> PrinterSelection::ChoosePrinterType(PrinterType type, ProgramSettings& settings) {
    settings.printerType = type;
    for (const auto& listener : listeners_) listener(type);
    chosenTypeButton_ = ButtonOf(type);
    if (settings.settingsFile.empty()) return Ok();
    ChangeWriter writer(settings.settingsFile);
    writer.Write(kPrinterType, PrinterTypeName(type));
    return writer.Finish();
}

void PrinterSelection::ApplyOutputMode(OutputMode mode) {
    typeControlsEnabled_ = mode == OutputMode::Device;
}

Result<void> PrinterSelection::Rebuild(const Result<std::vector<PrinterQueue>>& queues,
                                       const fs::path& settingsFile) {
    entries_.clear();
    if (!queues) return queues.error();
    for (const PrinterQueue& queue : queues.value()) {
        if (queue.name == kReservedQueueName) continue;
        entries_.push_back(Entry{queue, false});
    }
    RestoreCheckMarks(settingsFile);
    return Ok();
}

void PrinterSelection::RestoreCheckMarks(const fs::path& settingsFile) {
    const int count =
        settingsFile.empty() ? 0 : profile::ReadInt(settingsFile, kSection, kPrinterCount, 0);
    if (count == 0) {
        // The spooler flags its default queue itself; matching its name as a prefix could
        // check a longer-named queue listed before it instead.
        for (Entry& entry : entries_) {
            if (entry.queue.isDefault) {
                entry.checked = true;
                break;
            }
        }
        return;
    }
    // A hand-edited count may be as large as an int holds: visit the keys that exist instead of
    // asking for every number. Check marks do not depend on the order names are applied in.
    std::set<long long> found;
    for (const std::string& key : profile::KeyNames(settingsFile, kSection)) {
        const long long k = NumberAfter(key, kPrinterName);
        if (k < 1 || k > count || !found.insert(k).second) continue;
        CheckFirstBeginningWith(profile::ReadString(settingsFile, kSection,
                                                    Numbered(kPrinterName, k), "", kNameBuffer));
    }
    if (found.size() < static_cast<std::size_t>(count > 0 ? count : 0)) {
        CheckFirstBeginningWith(kMissingName);
    }
}

void PrinterSelection::CheckFirstBeginningWith(std::string_view name) {
    // An empty name would match the first queue, sending to a printer nobody chose.
    if (name.empty()) return;
    // A queue whose whole name is the stored one wins over a longer name listed before it ("Plot"
    // must not check "Plot 2"); the prefix is for names cut short by an older, shorter field.
    for (Entry& entry : entries_) {
        if (EqualsNoCase(entry.queue.name, name)) {
            entry.checked = true;
            return;
        }
    }
    for (Entry& entry : entries_) {
        if (StartsWithNoCase(entry.queue.name, name)) {
            entry.checked = true;
            return;
        }
    }
}

Result<void> PrinterSelection::SetChecked(std::size_t index, bool checked,
                                          ProgramSettings& settings) {
    if (index >= entries_.size()) return Ok();
    entries_[index].checked = checked;
    return SaveCheckMarks(settings);
}

Result<void> PrinterSelection::SaveCheckMarks(ProgramSettings& settings) const {
    std::vector<std::string> fromBottom;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->checked) fromBottom.push_back(entry->queue.name);
    }
    if (!fromBottom.empty()) {
        settings.printerName = fromBottom.front();
        settings.printerPort.clear();
        settings.printerDriver.clear();
    }
    if (settings.settingsFile.empty()) return Ok();

    ChangeWriter writer(settings.settingsFile);
    writer.Write(kPrinterCount, "0");
    for (std::size_t k = fromBottom.size(); k >= 1; --k) {
        const auto number = static_cast<long long>(k);
        writer.Write(Numbered(kPrinterName, number), fromBottom[k - 1]);
        writer.Write(Numbered(kPrinterPort, number), "");
        writer.Write(Numbered(kPrinterDriver, number), "");
    }
    // Written last, so a names write that failed leaves a count that reads none of them.
    if (!fromBottom.empty()) writer.Write(kPrinterCount, std::to_string(fromBottom.size()));
    return writer.Finish();
}

std::vector<std::string> PrinterSelection::CheckedPrinters() const {
    std::vector<std::string> names;
    for (const Entry& entry : entries_) {
        if (entry.checked) names.push_back(entry.queue.name);
    }
    return names;
}

}  // namespace kestrum
