#include "launch/launch_status.h"

#include <algorithm>

#include "launch/launch_texts.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
LaunchStatus::LaunchStatus(bool persistent, bool folderOptions)
    : persistent_(persistent), folderBoxShown_(folderOptions) {}

void LaunchStatus::StoreRunState(RunState state) {
    runState_.store(state);
    runState_.notify_all();
}

void LaunchStatus::PrepareForWorker() {
    // A destroyed window gets no new worker; keep it stopped so a late restart ends at once.
    if (destroyed_.load()) return;
    StoreRunState(RunState::Paused);
}

RunState LaunchStatus::ToggleStartPause() {
    // The worker and the user (or a command client) may toggle at the same moment; the exchange
    // makes each toggle act on the state the other left.
    RunState state = runState_.load();
    RunState next;
    do {
        if (state == RunState::Stopped) return RunState::Stopped;
        next = state == RunState::Running ? RunState::Paused : RunState::Running;
    } while (!runState_.compare_exchange_weak(state, next));
    runState_.notify_all();
    return next;
}

void LaunchStatus::Cancel() {
    StoreRunState(RunState::Stopped);
}

RunState LaunchStatus::WaitWhilePaused() const {
    RunState state = runState_.load();
    while (state == RunState::Paused) {
        runState_.wait(RunState::Paused);
        state = runState_.load();
    }
    return state;
}

RunState LaunchStatus::ReturnToWaiting() {
    RunState expected = RunState::Running;
    if (runState_.compare_exchange_strong(expected, RunState::Paused)) {
        runState_.notify_all();
        return RunState::Paused;
    }
    return expected;
}

std::string_view LaunchStatus::StartPauseCaption() const {
    return LoadResourceString(runState() == RunState::Running ? rid::kPauseCaption
                                                              : rid::kStartCaption);
}

void LaunchStatus::OnShownOrHidden(PrinterType printerType) {
    reverseOrder_.store(false);
    folderBoxChecked_.store(false);
    if (printerType != PrinterType::Velmar) folderBoxShown_.store(false);
}

CloseAction LaunchStatus::OnCloseRequested() const {
    return persistent_ ? CloseAction::HideAndShowMainWindow : CloseAction::CloseModal;
}

void LaunchStatus::OnDestroyed() {
    destroyed_.store(true);
    StoreRunState(RunState::Stopped);
}

std::vector<std::string> LaunchStatus::CopiesItems() {
    std::vector<std::string> items;
    items.reserve(kCopiesChoices);
    for (int copies = 1; copies <= kCopiesChoices; ++copies)
        items.push_back(std::to_string(copies));
    return items;
}

Result<void> LaunchStatus::SetCopiesChoice(int index) {
    if (index < 0 || index >= kCopiesChoices) {
        return Fail(LaunchText(
            rid::kCopiesOutOfRange,
            {std::to_string(kCopiesChoices), std::to_string(static_cast<long long>(index) + 1)}));
    }
    copiesChoice_.store(index);
    return Ok();
}

void LaunchStatus::SetFolderBoxChecked(bool checked) {
    folderBoxChecked_.store(checked);
}

void LaunchStatus::SetPrinterCaption(std::string_view printer) {
    std::lock_guard lock(displayMutex_);
    display_.caption = printer;
}

void LaunchStatus::ResetCaption() {
    SetPrinterCaption(kLaunchStatusCaption);
}

void LaunchStatus::SetListProgress(std::size_t position, std::size_t range) {
    std::lock_guard lock(displayMutex_);
    display_.listPosition = position;
    display_.listRange = range;
}

void LaunchStatus::StartFile(std::string_view path, std::uint64_t size) {
    std::lock_guard lock(displayMutex_);
    display_.currentFile = path;
    display_.fileSize = size;
    display_.fileBytesSent = 0;
}

void LaunchStatus::SetFileBytesSent(std::uint64_t sent) {
    std::lock_guard lock(displayMutex_);
    display_.fileBytesSent = sent;
}

void LaunchStatus::ResetFileProgress() {
    SetFileBytesSent(0);
}

LaunchStatusDisplay LaunchStatus::display() const {
    std::lock_guard lock(displayMutex_);
    return display_;
}

int LaunchStatus::FilePermille(const LaunchStatusDisplay& display) {
    // An empty file counts as sent; a file that grew while it was read does not pass the end.
    if (display.fileSize == 0) return 1000;
    const std::uint64_t sent = std::min(display.fileBytesSent, display.fileSize);
    if (sent == display.fileSize) return 1000;
    // In floating point: sent * 1000 would overflow 64 bits beyond 2^64 / 1000 bytes.
    return static_cast<int>(static_cast<long double>(sent) * 1000 /
                            static_cast<long double>(display.fileSize));
}

FinishAction LaunchStatus::FinishLaunch(std::optional<std::string> message) const {
    FinishAction finish;
    if (!destroyed_.load()) {
        finish.action = persistent_ ? WindowAction::RestartWorker : WindowAction::CloseModal;
    }
    // Only the sends command clients start set the busy mark, and they all run in the persistent
    // window; the end of a modal send leaves the mark to the send it belongs to.
    finish.clearBusyMark = persistent_;
    // The persistent window reports its failures too: dropping them would let a send to a
    // printer that cannot be opened end with no word to anyone.
    if (message) {
        finish.message = Message{0, std::move(*message), std::string(kFinishMessageCaption),
                                 MessageIcon::Exclamation};
    }
    return finish;
}

std::optional<Message> EndOfJobNotice(bool eojNotification) {
    if (!eojNotification) return std::nullopt;
    return Message{0, std::string(kJobCompleteText), "Kestrum", MessageIcon::Information};
}

}  // namespace kestrum
