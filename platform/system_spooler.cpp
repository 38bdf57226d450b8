#include "platform/system_spooler.h"

#include <strings.h>

#include <algorithm>
#include <utility>

#include "platform/cups_spooler.h"
#include "platform/xdg_paths.h"

namespace kestrum {

SystemSpooler::SystemSpooler(std::unique_ptr<Spooler> cups,
                             std::unique_ptr<HotFolderSpooler> hotFolders)
    : cups_(std::move(cups)), hotFolders_(std::move(hotFolders)) {}

std::unique_ptr<SystemSpooler> SystemSpooler::ForCurrentUser() {
    auto settings = SettingsFilePath();
    auto data = DataFolder();
    return std::make_unique<SystemSpooler>(
        std::make_unique<CupsSpooler>(),
        std::make_unique<HotFolderSpooler>(settings ? settings.value() : std::filesystem::path(),
                                           data ? data.value() : std::filesystem::path()));
}

Result<std::vector<PrinterQueue>> SystemSpooler::Printers() {
    std::vector<PrinterQueue> hot = hotFolders_->Printers().value();
    // The default hot folder takes jobs whatever else exists, so it is always listed (once: a
    // configured folder of its name takes its place). It is the queue checked by default only
    // when it is the only one.
    const bool onlyFallback = hot.empty();
    if (auto fallback = hotFolders_->DefaultQueue()) {
        const bool configured = std::any_of(hot.begin(), hot.end(), [&](const auto& h) {
            return ::strcasecmp(h.name.c_str(), fallback->name.c_str()) == 0;
        });
        fallback->isDefault = false;
        if (!configured) hot.push_back(std::move(*fallback));
    }
    std::vector<PrinterQueue> queues;
    schedulerError_.reset();
    if (cups_) {
        auto cups = cups_->Printers();
        if (!cups) {
            schedulerError_ = cups.error();
            schedulerError_->kind = ErrorKind::Printer;
        } else {
            for (PrinterQueue& queue : cups.value()) {
                const bool shadowed = std::any_of(hot.begin(), hot.end(), [&](const auto& h) {
                    return ::strcasecmp(h.name.c_str(), queue.name.c_str()) == 0;
                });
                if (!shadowed) queues.push_back(std::move(queue));
            }
        }
    }
    if (onlyFallback && queues.empty() && hot.size() == 1) hot.front().isDefault = true;
    queues.insert(queues.end(), std::make_move_iterator(hot.begin()),
                  std::make_move_iterator(hot.end()));
    return queues;
}

Result<std::unique_ptr<SpoolJob>> SystemSpooler::OpenPrintJob(const std::string& printer) {
    if (hotFolders_->FolderOf(printer) || !cups_) return hotFolders_->OpenPrintJob(printer);
    return cups_->OpenPrintJob(printer);
}

}  // namespace kestrum
