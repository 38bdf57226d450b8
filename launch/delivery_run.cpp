#include "launch/delivery_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "launch/accounting.h"
#include "platform/unique_fd.h"
#include "shell/message_sink.h"

namespace kestrum {
namespace {

// The size of a file, or -1 when it cannot be looked at.
off_t FileSize(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_size : -1;
}

// Takes back the lines a job appended to the accounting file, [from, to), when nothing has been
// appended after them; lines another writer added since stay, and so do ours then.
void TruncateAccounting(const std::filesystem::path& file, off_t from, off_t to) {
    // A file the lines created counts as empty before them.
    if (from < 0) from = 0;
    if (to <= from) return;
    UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid() || ::lockf(fd.get(), F_LOCK, 0) != 0) return;
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && info.st_size == to) {
        [[maybe_unused]] const int truncated = ::ftruncate(fd.get(), from);
    }
}

}  // namespace

// The worker and the composer report through a message sink; here the sink is the observer.
class DeliveryRun::MessageRouter final : public MessageSink {
  public:
    explicit MessageRouter(DeliveryObserver& observer) : observer_(observer) {}
    void Show(const Message& message) override { observer_.ShowMessage(message); }

  private:
    DeliveryObserver& observer_;
};

DeliveryRun::DeliveryRun(DeliveryRequest request, DeliveryObserver& observer,
                         RunStateCell* runState)
    : observer_(observer),
      runState_(runState != nullptr ? runState : &ownRunState_),
      spooler_(std::move(request.spooler)),
      renderer_(std::move(request.renderer)),
      clock_(request.clock ? std::move(request.clock) : std::make_shared<SystemClock>()),
      accountFile_(std::move(request.accountFile)),
      ticket_(std::move(request.ticket)),
      messages_(std::make_unique<MessageRouter>(observer)) {
    worker_ = std::make_unique<DeliveryWorker>(
        *spooler_, std::move(request.state), std::move(request.entries),
        std::move(request.settings), *runState_, observer_, *messages_, *clock_);
    if (renderer_) worker_->SetDrawingRenderer(renderer_.get());
}

DeliveryRun::~DeliveryRun() {
    if (thread_.joinable()) {
        Cancel();
        thread_.join();
    }
}

void DeliveryRun::Start() {
    if (used_) return;
    used_ = true;
    thread_ = std::jthread([this] { result_ = Execute(); });
}

DeliveryResult DeliveryRun::RunHere() {
    if (used_) return result_.value_or(DeliveryResult{});
    used_ = true;
    result_ = Execute();
    return *result_;
}

void DeliveryRun::Cancel() {
    runState_->store(RunState::Stopped);
    runState_->notify_all();
}

void DeliveryRun::Wait() {
    if (thread_.joinable()) thread_.join();
}

DeliveryResult DeliveryRun::Execute() {
    SystemSleeper sleeper;
    AccountingWriter accounting(accountFile_, *messages_, *clock_, sleeper);
    off_t before = -1;
    off_t after = -1;
    worker_->SetAccountingHook(
        [&](std::span<const PlotFileEntry> sendList, int copies, SpoolJob& job) {
            before = FileSize(accountFile_);
            // A cancel while the account file is locked by another writer ends the wait as a
            // cancel; the worker sees the stopped run state and says so.
            const auto end = accounting.WriteAccounting(ticket_, sendList, copies, job, [this] {
                return runState_->load() == RunState::Stopped;
            });
            const bool written = end.ok() && end.value() == AccountingEnd::Written;
            after = FileSize(accountFile_);
            return written;
        },
        [&] { TruncateAccounting(accountFile_, before, after); });
    const DeliveryResult result = worker_->Run();
    observer_.SendFinished(result);
    return result;
}

}  // namespace kestrum
