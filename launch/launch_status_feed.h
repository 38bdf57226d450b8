#pragma once

// Feeds a send's reports into the status model (launch/launch_status.h) and passes every report on
// to the front end's own observer. Called on the worker's thread; the status model is safe to
// write from there.
//
// A window's send: the front end makes a DeliveryRun with status.runStateCell() and this feed as
// its observer, so the worker waits on the window's start button and stops at its cancel; at the
// end it calls EndOfSend on its own thread to learn what to do with the window.

#include "launch/delivery_worker.h"
#include "launch/launch_status.h"

namespace kestrum {

class LaunchStatusFeed final : public DeliveryObserver {
  public:
    // `next` receives every report after the status model has taken its part; it must outlive
    // the feed.
    LaunchStatusFeed(LaunchStatus& status, DeliveryObserver& next) : status_(status), next_(next) {}

    void DrawingRendering(const std::string& path) override;
    void PrinterStarted(const std::string& printer) override;
    void ListProgress(std::size_t position, std::size_t count) override;
    void FileStarted(const std::string& path, std::uint64_t size) override;
    void FileProgress(std::uint64_t sent, std::uint64_t size) override;
    void PrinterFinished(const std::string& printer, std::uint64_t bytes) override;
    void ShowMessage(const Message& message) override;
    // The caption returns to "Launch Status"; a persistent window whose send went through goes
    // back to its paused wait with the file indicator at 0.
    void SendFinished(const DeliveryResult& result) override;

    // What the front end does with the window after the send: nothing more for a persistent
    // window's completed send (the end-of-job notification follows), else FinishLaunch's answer
    // (a failure's text shown, the busy mark cleared for a persistent window).
    static FinishAction EndOfSend(const LaunchStatus& status, const DeliveryResult& result);

  private:
    LaunchStatus& status_;
    DeliveryObserver& next_;
};

}  // namespace kestrum
