#include "launch/launch_status_feed.h"

namespace kestrum {

void LaunchStatusFeed::DrawingRendering(const std::string& path) {
    status_.SetBusy(true);
    next_.DrawingRendering(path);
}

void LaunchStatusFeed::PrinterStarted(const std::string& printer) {
    status_.SetBusy(false);
    status_.SetPrinterCaption(printer);
    next_.PrinterStarted(printer);
}

void LaunchStatusFeed::ListProgress(std::size_t position, std::size_t count) {
    status_.SetListProgress(position, count);
    next_.ListProgress(position, count);
}

void LaunchStatusFeed::FileStarted(const std::string& path, std::uint64_t size) {
    status_.SetBusy(false);
    status_.StartFile(path, size);
    next_.FileStarted(path, size);
}

void LaunchStatusFeed::FileProgress(std::uint64_t sent, std::uint64_t size) {
    status_.SetFileBytesSent(sent);
    next_.FileProgress(sent, size);
}

void LaunchStatusFeed::PrinterFinished(const std::string& printer, std::uint64_t bytes) {
    next_.PrinterFinished(printer, bytes);
}

void LaunchStatusFeed::ShowMessage(const Message& message) {
    next_.ShowMessage(message);
}

void LaunchStatusFeed::SendFinished(const DeliveryResult& result) {
    status_.SetBusy(false);
    status_.ResetCaption();
    if (result.outcome == DeliveryOutcome::Completed && status_.persistent()) {
        status_.ResetFileProgress();
        status_.ReturnToWaiting();
    }
    next_.SendFinished(result);
}

FinishAction LaunchStatusFeed::EndOfSend(const LaunchStatus& status, const DeliveryResult& result) {
    if (result.outcome == DeliveryOutcome::Completed && status.persistent()) return {};
    if (result.outcome == DeliveryOutcome::Failed && !result.finishMessage.empty()) {
        return status.FinishLaunch(result.finishMessage);
    }
    return status.FinishLaunch();
}

}  // namespace kestrum
