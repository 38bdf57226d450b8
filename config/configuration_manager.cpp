#include "config/configuration_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "config/configuration_file.h"
#include "platform/error_text.h"
#include "platform/private_profile.h"
#include "platform/system_printer.h"
#include "platform/unique_fd.h"
#include "shell/language_strings.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;

// A name beside `file` that no other save uses, in the same folder so the rename is atomic.
fs::path TemporaryBeside(const fs::path& file) {
    return file.parent_path() /
           ("." + file.filename().string() + "." + std::to_string(getpid()) + ".saving");
}

}  // namespace

bool SplitPrinterEntry(const std::string& entry, PrinterEntryParts& parts) {
    const std::size_t comma = entry.find(',');
    if (comma == std::string::npos) return false;
    parts.name = entry.substr(0, comma);
    // The rest is cut into words at "," and " ", skipping empty words.
    std::string words[2];
    int found = 0;
    std::size_t i = comma + 1;
    while (i < entry.size() && found < 2) {
        while (i < entry.size() && (entry[i] == ',' || entry[i] == ' ')) ++i;
        std::size_t end = i;
        while (end < entry.size() && entry[end] != ',' && entry[end] != ' ') ++end;
        if (end > i) words[found++] = entry.substr(i, end - i);
        i = end;
    }
    parts.driver = words[0];
    parts.port = words[1];
    return !parts.name.empty() && found == 2;
}

ConfigurationManager::ConfigurationManager(OptionState& state, ProgramSettings& settings,
                                           MessageSink& messages,
                                           DefaultPrinterSource defaultPrinter)
    : state_(state),
      settings_(settings),
      messages_(messages),
      defaultPrinter_(defaultPrinter ? std::move(defaultPrinter) : SystemDefaultPrinterEntry) {
    Initialise();
}

void ConfigurationManager::Initialise() {
    state_.values.currentConfiguration =
        (fs::path(settings_.configFilesFolder) / "config1.cfg").string();
    state_.values.kind = ConfigurationKind::General;
    TakeSystemDefaultPrinter();
    state_.values.setCurrentFlag = settings_.outputMode == OutputMode::Ksl ? 1 : 0;
}

void ConfigurationManager::TakeSystemDefaultPrinter() {
    const std::string entry = defaultPrinter_();
    PrinterEntryParts parts;
    if (!SplitPrinterEntry(entry, parts)) {
        messages_.Show(MakeMessage(rid::kDefaultPrinterIncompleteMessage, MessageIcon::Exclamation,
                                   "(\"" + entry + "\")"));
        parts = {entry, entry, entry};
    }
    if (settings_.printerName == LoadResourceString(rid::kSystemDefaultPrinterName)) {
        settings_.printerName = parts.name;
        settings_.printerDriver = parts.driver;
        settings_.printerPort = parts.port;
    }
}

bool ConfigurationManager::LoadDefaultConfiguration() {
    // Non-blocking: a pipe in the file's place must not hold up start-up waiting for a writer.
    const UniqueFd fd(
        ::open(settings_.defaultConfiguration.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) return false;
    // A folder or a pipe opens for reading too, but holds no configuration.
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    state_.values.currentConfiguration = settings_.defaultConfiguration.string();
    LoadAll(state_, messages_);
    return true;
}

void ConfigurationManager::New() {
    Initialise();
    ResetAll(state_, messages_);
    hasName_ = false;
}

Result<void> ConfigurationManager::Open(const fs::path& file) {
    // Loading an unreadable file would quietly show every option at its default, and a later
    // Save would then overwrite the file with them.
    std::error_code error;
    std::string why;
    if (fs::is_directory(file, error)) {
        why = "it is a folder.";
    } else if (fs::exists(file, error)) {
        UniqueFd readable(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!readable.valid()) why = ErrorText(errno) + ".";
    }
    if (!why.empty()) {
        return MakeError(rid::kCannotOpenConfiguration, ErrorKind::File,
                         "\"" + file.string() + "\": " + why);
    }
    hasName_ = true;
    state_.values.currentConfiguration = file.string();
    LoadAll(state_, messages_);
    return Ok();
}

Result<ConfigurationManager::SaveOutcome> ConfigurationManager::Save() {
    if (!hasName_) return SaveOutcome::NeedsName;
    if (auto saved = SaveAll(state_, state_.values.currentConfiguration, messages_); !saved) {
        return saved.error();
    }
    return SaveOutcome::Saved;
}

Result<void> ConfigurationManager::SaveAs(const fs::path& file) {
    const fs::path temporary = TemporaryBeside(file);
    std::error_code error;
    fs::remove(temporary, error);
    profile::Forget(temporary);

    Result<void> written = SaveAll(state_, temporary, messages_);
    profile::Forget(temporary);
    if (!written) {
        fs::remove(temporary, error);
        return written;
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        const std::string cause = ErrorText(errno);
        fs::remove(temporary, error);
        return MakeError(rid::kSaveAsDeleteFailedMessage, ErrorKind::File,
                         "(\"" + file.string() + "\": " + cause + ")");
    }
    profile::Forget(file);
    hasName_ = true;
    state_.values.currentConfiguration = file.string();
    return Ok();
}

void ConfigurationManager::ApplyDeviceMode() {
    state_.values.setCurrentFlag = 0;
}

}  // namespace kestrum
