#include "launch/launch_list.h"

#include <algorithm>
#include <utility>

#include "launch/launch_file.h"
#include "launch/launch_texts.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {

namespace {

std::string Text(int resource) {
    return std::string(LoadResourceString(resource));
}

std::string_view AfterLastSeparator(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string Quoted(const std::filesystem::path& file) {
    return "\"" + file.string() + "\"";
}

}  // namespace

bool ConfigurationsApply(OutputMode mode, PrinterType type) {
    return !(mode == OutputMode::Device && type == PrinterType::Generic);
}

std::string LaunchLine(const PlotFileEntry& entry) {
    std::string line(AfterLastSeparator(entry.filePath));
    line += '\t';
    line += AfterLastSeparator(entry.configuration);
    return line;
}

std::string MarkerText(ConfigurationMarker marker) {
    return Text(marker == ConfigurationMarker::CurrentSettings ? rid::kCurrentSettingsMarker
                                                               : rid::kNoConfigurationMarker);
}

ConfigurationChoice ChoiceFor(std::string_view configuration) {
    if (MatchesResource(configuration, rid::kCurrentSettingsChoice)) {
        return ConfigurationChoice::CurrentSettings;
    }
    if (MatchesResource(configuration, rid::kNoConfigurationChoice)) {
        return ConfigurationChoice::NoConfiguration;
    }
    return ConfigurationChoice::File;
}

std::string FileChoiceText(std::string_view configuration) {
    if (ChoiceFor(configuration) != ConfigurationChoice::File) return {};
    return std::string(configuration);
}

Result<void> CheckDrawingName(std::string_view name) {
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos) {
        const std::string_view ending = name.substr(dot);
        if (EqualsNoCase(ending, ".dwg") || EqualsNoCase(ending, ".dxf")) return Ok();
    }
    return Fail(std::string(name) + "\n\n" + Text(rid::kNotADrawingNameMessage));
}

LaunchList::LaunchList(DrawingTest isDrawing) : isDrawing_(std::move(isDrawing)) {}

std::vector<PlotFileEntry> LaunchList::Entries() const {
    std::vector<PlotFileEntry> entries;
    entries.reserve(items_.size());
    for (const Item& item : items_) entries.push_back(item.entry);
    return entries;
}

void LaunchList::Select(std::optional<std::size_t> index) {
    if (index && *index >= items_.size()) index.reset();
    selection_ = index;
}

PlotFileEntry* LaunchList::Selected() {
    return selection_ ? &items_[*selection_].entry : nullptr;
}

std::string LaunchList::SelectedPath() const {
    return selection_ ? items_[*selection_].entry.filePath : std::string();
}

bool LaunchList::SelectedIsDrawing() const {
    return selection_ && items_[*selection_].entry.isDrawing == 1;
}

void LaunchList::SetConfigurationsApply(bool apply) {
    if (apply == configurationsApply_) return;
    configurationsApply_ = apply;
    for (Item& item : items_) {
        if (!apply) {
            item.keptConfiguration = std::move(item.entry.configuration);
            item.entry.configuration.clear();
            item.line = item.entry.filePath;
        } else if (item.keptConfiguration) {
            item.entry.configuration = std::move(*item.keptConfiguration);
            item.keptConfiguration.reset();
            item.line = LaunchLine(item.entry);
        }
    }
}

void LaunchList::AddEntry(const std::string& path) {
    Item item;
    item.entry.filePath = path;
    item.entry.isDrawing = isDrawing_ && isDrawing_(path) ? 1 : 0;
    if (configurationsApply_) item.entry.configuration = Text(rid::kNewEntryConfiguration);
    item.line = LaunchLine(item.entry);
    items_.push_back(std::move(item));
    selection_ = items_.size() - 1;
}

void LaunchList::RemoveSelected() {
    if (!selection_) return;
    const std::size_t index = *selection_;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    if (items_.empty()) {
        selection_.reset();
    } else {
        selection_ = std::min(index, items_.size() - 1);
    }
}

void LaunchList::Clear() {
    items_.clear();
    selection_.reset();
}

void LaunchList::MoveBefore(std::size_t from, std::size_t dropOn) {
    if (from >= items_.size() || dropOn > items_.size()) return;
    std::size_t to = from;
    if (dropOn < from) {
        to = dropOn;
    } else if (dropOn > from + 1) {
        to = dropOn - 1;  // the gap the entry leaves shifts the drop point up by one
    }
    if (to != from) {
        Item moved = std::move(items_[from]);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(from));
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    }
    selection_ = to;
}

Result<void> LaunchList::AssignConfiguration(std::string configuration) {
    if (!configurationsApply_) return Ok();
    PlotFileEntry* entry = Selected();
    if (entry == nullptr) return Fail(Text(rid::kNoEntrySelectedMessage));
    entry->configuration = std::move(configuration);
    items_[*selection_].line = LaunchLine(*entry);
    return Ok();
}

Result<void> LaunchList::AssignMarker(ConfigurationMarker marker) {
    return AssignConfiguration(MarkerText(marker));
}

void LaunchList::Replace(std::vector<PlotFileEntry> entries) {
    items_.clear();
    items_.reserve(entries.size());
    for (PlotFileEntry& entry : entries) {
        std::string line = LaunchLine(entry);
        items_.push_back(Item{std::move(entry), std::move(line), std::nullopt});
    }
    Select(items_.empty() ? std::nullopt : std::optional<std::size_t>(items_.size() - 1));
}

Result<void> LaunchList::Save(const std::filesystem::path& file) const {
    return WriteLaunchFile(file, Entries());
}

Result<void> LaunchList::Open(const std::filesystem::path& file) {
    LaunchFileReading reading = ReadLaunchFileWithCause(file);
    switch (reading.fault) {
        case LaunchFileFault::None:
            Replace(std::move(reading.entries));
            return Ok();
        case LaunchFileFault::NotALaunchFile:
            Clear();
            return Fail(Quoted(file) + "\n\n" + Text(rid::kLaunchFileInvalidMessage));
        case LaunchFileFault::CannotRead:
        case LaunchFileFault::Damaged:
            break;
    }
    return Fail(LaunchText(rid::kListUnchanged, {reading.message}));
}

}  // namespace kestrum
