#pragma once

// The send owner: one send, from a request to its end, for every front end. It owns what the
// delivery worker borrows (spooler, renderer, accounting writer, clock, message routing) and the
// worker's thread, so nothing a worker holds can be destroyed under it: destroying a running
// send cancels it and waits for its thread.
//
// Everything the worker reports (progress coalesced at the source, messages, and at last the
// end of the send with its outcome) reaches one DeliveryObserver on the worker's thread. The
// desktop program turns those calls into queued signals; kestrum-cli prints them.
//
// Threads: the owner is made, started, cancelled and destroyed on one thread (the front end's).
// Start() runs the send on a thread of its own; RunHere() runs it on the caller's thread (for
// kestrum-cli, whose signal handlers store Stopped into runState()).

#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "config/option_state.h"
#include "launch/delivery_worker.h"
#include "launch/drawing_renderer.h"
#include "launch/job_ticket.h"
#include "launch/plot_file_entry.h"
#include "launch/run_state.h"
#include "platform/clock.h"
#include "platform/spooler.h"

namespace kestrum {

struct DeliveryRequest {
    // A copy of the launch list, in list order, taken on the front end's thread.
    std::vector<PlotFileEntry> entries;
    // Printers (the checked queues, in order), printer type, mode, copies, order, job ticket.
    DeliverySettings settings;
    // The option state as it stands when the send starts; the worker loads entries'
    // configurations into this copy, never into the front end's.
    OptionState state{Unit::English};
    // The queues the printers are looked up in.
    std::shared_ptr<Spooler> spooler;
    // Renders drawings in device mode; none sends drawings as they are.
    std::shared_ptr<DrawingRenderer> renderer;
    // Used when settings.jobTicket is on.
    std::filesystem::path accountFile;
    JobTicket ticket;
    // Dates for the headers and the accounting lines; the system clock when none is given.
    std::shared_ptr<const Clock> clock;
};

class DeliveryRun {
  public:
    // `observer` must outlive the run. `runState`: a cell the front end shares (the status
    // model's); without one the run has its own, set to Running. With a shared cell the worker
    // starts when the cell leaves Paused.
    DeliveryRun(DeliveryRequest request, DeliveryObserver& observer,
                RunStateCell* runState = nullptr);
    // Cancels a send that is still running and waits for its thread.
    ~DeliveryRun();
    DeliveryRun(const DeliveryRun&) = delete;
    DeliveryRun& operator=(const DeliveryRun&) = delete;

    // Runs the send on a thread of its own; once only, and not after RunHere.
    void Start();
    // Runs the send on the caller's thread and answers its result (also told to the observer).
    DeliveryResult RunHere();

    // Stops the send at its next look: the open job is withdrawn, rendered files are deleted.
    void Cancel();
    // Waits for a started send to end. Also done by the destructor.
    void Wait();

    RunStateCell& runState() { return *runState_; }
    // The result once the send has ended (after RunHere, or after Wait).
    const std::optional<DeliveryResult>& result() const { return result_; }

  private:
    class MessageRouter;
    DeliveryResult Execute();

    DeliveryObserver& observer_;
    RunStateCell ownRunState_{RunState::Running};
    RunStateCell* runState_;
    std::shared_ptr<Spooler> spooler_;
    std::shared_ptr<DrawingRenderer> renderer_;
    std::shared_ptr<const Clock> clock_;
    std::filesystem::path accountFile_;
    JobTicket ticket_;
    std::unique_ptr<MessageRouter> messages_;
    std::unique_ptr<DeliveryWorker> worker_;
    std::optional<DeliveryResult> result_;
    bool used_ = false;
    std::jthread thread_;  // last: joined before the parts it uses are destroyed
};

}  // namespace kestrum
