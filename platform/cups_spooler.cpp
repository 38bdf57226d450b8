#include "platform/cups_spooler.h"

#include <cups/cups.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/error_text.h"
#include "platform/write_gatherer.h"
namespace kestrum {
namespace {

bool Succeeded(ipp_status_t status) {
    return status <= IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED;
}

// libcups's own words for its last failure on this thread, as " (words)" to append to a message
// of ours, or nothing when they would only say "Success". Call right after the failing call.
std::string LastCupsDetail() {
    const ipp_status_t status = cupsLastError();
    const char* text = cupsLastErrorString();
    if (Succeeded(status) || text == nullptr || text[0] == '\0') return {};
    return std::string(" (") + text + ")";
}

// The same for a failed HTTP write: the server's answer when it gave one, else the socket error.
std::string HttpDetail(http_t* http, http_status_t status) {
    if (status >= HTTP_STATUS_CONTINUE) return std::string(" (") + httpStatus(status) + ")";
    if (http != nullptr && httpError(http) != 0) {
        return std::string(" (") + ErrorText(httpError(http)) + ")";
    }
    return LastCupsDetail();
}

std::string Quoted(const std::string& printer) {
    return "\"" + printer + "\"";
}

std::string BytesText(std::uint64_t bytes) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpCloser>;

// The scheduler this thread talks to; the text is copied because libcups's is per-thread state
// that later calls may replace.
std::string CurrentServer() {
    const char* server = cupsServer();
    return server != nullptr ? server : "";
}

Connection Connect(const std::string& server) {
    return Connection(httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                   1, 30000, nullptr));
}

// Cancels the job on a connection of its own: on the connection that streams the document the
// cancel request would break into the unfinished upload. The arguments are checked here because
// the scheduler takes job 0 as "the printer's current job", and answers success for some
// arguments that cancel nothing. Returns the reason when the job could not be cancelled.
std::string CancelJob(const std::string& server, const std::string& printer, int jobId) {
    if (printer.empty() || jobId <= 0) return "it has no job number";
    Connection http = Connect(server);
    if (!http) return "the print scheduler cannot be reached";
    const ipp_status_t status = cupsCancelJob2(http.get(), printer.c_str(), jobId, 0);
    if (Succeeded(status)) return {};
    // A scheduler that went away answers with a transport failure, not a refusal.
    if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL) {
        return "the print scheduler did not answer";
    }
    const std::string detail = LastCupsDetail();
    return "the print scheduler refused to cancel it" + detail;
}

// Jobs that could not be withdrawn because the scheduler was gone: tried again whenever a job is
// opened later in the same run, so that a held half job does not wait for its owner by hand.
struct HeldJob {
    std::string server;
    std::string printer;
    int jobId;
};
std::mutex heldJobsMutex;
std::vector<HeldJob> heldJobs;

void RememberHeldJob(const std::string& server, const std::string& printer, int jobId) {
    std::lock_guard lock(heldJobsMutex);
    heldJobs.push_back({server, printer, jobId});
}

void RetryHeldJobs() {
    std::vector<HeldJob> pending;
    {
        std::lock_guard lock(heldJobsMutex);
        pending.swap(heldJobs);
    }
    std::vector<HeldJob> still;
    for (const HeldJob& job : pending) {
        if (!CancelJob(job.server, job.printer, job.jobId).empty()) still.push_back(job);
    }
    std::lock_guard lock(heldJobsMutex);
    heldJobs.insert(heldJobs.end(), still.begin(), still.end());
}

// What the user is told about a job that is left on the scheduler: its number, so that it can
// be removed by hand.
std::string HeldJobText(int jobId, const std::string& cause) {
    return " Job " + std::to_string(jobId) + " could not be withdrawn (" + cause +
           ") and may stay held on the print scheduler: remove it with \"cancel " +
           std::to_string(jobId) + "\".";
}

// The state the scheduler gives the job, or 0 when it cannot be asked.
int JobState(http_t* http, int jobId) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/jobs/%d", jobId);
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    static const char* const kWanted[] = {"job-state"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1, nullptr,
                  kWanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    int state = 0;
    if (response != nullptr) {
        if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
            state = ippGetInteger(attribute, 0);
        }
        ippDelete(response);
    }
    return state;
}

class CupsSpoolJob final : public SpoolJob {
  public:
    CupsSpoolJob(std::string printer, std::string server, Connection http, int jobId)
        : printer_(std::move(printer)),
          server_(std::move(server)),
          http_(std::move(http)),
          jobId_(jobId) {}

    ~CupsSpoolJob() override {
        if (state_ == State::Open) AbortPrintJob();
    }

    bool WriteToPrinter(const void* bytes, std::size_t length) override;
    std::uint64_t bytesWritten() const override { return gatherer_.accepted(); }
    Result<void> EndPrintJob() override;
    void AbortPrintJob() override;
    std::string lastError() const override { return lastError_; }
    bool withdrawn() const override { return withdrawn_; }
    int jobId() const override { return jobId_; }

  private:
    enum class State { Open, Ended, Failed, Aborted };

    bool Flush();
    bool Send(const char* bytes, std::size_t length);
    // Cancels the job and closes the streaming connection; `message` becomes the job's error.
    void FailAndCancel(std::string message);
    std::string RefusalOfClosedJob() const;

    std::string printer_;
    std::string server_;
    Connection http_;
    int jobId_;
    WriteGatherer gatherer_;
    std::uint64_t sent_ = 0;  // handed to libcups
    State state_ = State::Open;
    std::string lastError_;
    bool withdrawn_ = true;
};

bool CupsSpoolJob::WriteToPrinter(const void* bytes, std::size_t length) {
    if (state_ != State::Open) {
        if (lastError_.empty()) lastError_ = RefusalOfClosedJob();
        return false;
    }
    // An empty cupsWriteRequestData ends the request body: everything after it would be dropped
    // while the job still ends "completed". An empty write therefore never reaches libcups.
    if (length == 0) return true;
    return gatherer_.Write(static_cast<const char*>(bytes), length,
                           [this](const char* data, std::size_t n) { return Send(data, n); });
}

bool CupsSpoolJob::Flush() {
    return gatherer_.Flush([this](const char* data, std::size_t n) { return Send(data, n); });
}

bool CupsSpoolJob::Send(const char* bytes, std::size_t length) {
    const http_status_t status = cupsWriteRequestData(http_.get(), bytes, length);
    if (status == HTTP_STATUS_CONTINUE) {
        sent_ += length;
        return true;
    }
    const std::string detail = HttpDetail(http_.get(), status);
    FailAndCancel("Sending to printer " + Quoted(printer_) + " failed after " + BytesText(sent_) +
                  " had reached the print scheduler: it stopped taking the job's data" + detail +
                  ".");
    return false;
}

void CupsSpoolJob::FailAndCancel(std::string message) {
    // Never finish the document after a failed write: cupsFinishDocument can then wait for an
    // answer that never comes, at full speed, for ever.
    const std::string cancelFailure = CancelJob(server_, printer_, jobId_);
    http_.reset();
    lastError_ = std::move(message);
    if (!cancelFailure.empty()) {
        lastError_ += HeldJobText(jobId_, cancelFailure);
        withdrawn_ = false;
        RememberHeldJob(server_, printer_, jobId_);
    }
    state_ = State::Failed;
}

std::string CupsSpoolJob::RefusalOfClosedJob() const {
    return "The job for printer " + Quoted(printer_) + " is no longer open.";
}

Result<void> CupsSpoolJob::EndPrintJob() {
    if (state_ == State::Failed) return Fail(lastError_);
    if (state_ != State::Open) return Fail(RefusalOfClosedJob());
    if (!Flush()) return Fail(lastError_);

    if (sent_ == 0) {
        // CUPS answers "bad request" to finishing an empty document and keeps the job held, so
        // an empty job is withdrawn. Nothing was to be printed, so nothing is lost.
        const std::string cancelFailure = CancelJob(server_, printer_, jobId_);
        http_.reset();
        state_ = State::Ended;
        if (!cancelFailure.empty()) {
            lastError_ = "The empty job " + std::to_string(jobId_) + " for printer " +
                         Quoted(printer_) + " could not be cancelled: " + cancelFailure + ".";
            return Fail(lastError_);
        }
        return Ok();
    }

    const ipp_status_t status = cupsFinishDocument(http_.get(), printer_.c_str());
    if (!Succeeded(status)) {
        const std::string detail = LastCupsDetail();
        FailAndCancel("Printer " + Quoted(printer_) + " did not accept job " +
                      std::to_string(jobId_) + " after all its " + BytesText(sent_) +
                      " had been sent" + detail + ".");
        return Fail(lastError_);
    }
    // The document's answer can be "ok" for a job the scheduler has already given up on.
    const int jobState = JobState(http_.get(), jobId_);
    http_.reset();
    state_ = State::Ended;
    if (jobState == IPP_JSTATE_CANCELED || jobState == IPP_JSTATE_ABORTED) {
        lastError_ = "The print scheduler " +
                     std::string(jobState == IPP_JSTATE_CANCELED ? "cancelled" : "aborted") +
                     " job " + std::to_string(jobId_) + " for printer " + Quoted(printer_) +
                     " after all its " + BytesText(sent_) + " had been sent.";
        return Fail(lastError_);
    }
    return Ok();
}

void CupsSpoolJob::AbortPrintJob() {
    if (state_ != State::Open) return;
    gatherer_.Discard();
    const std::string cancelFailure = CancelJob(server_, printer_, jobId_);
    http_.reset();
    state_ = State::Aborted;
    if (!cancelFailure.empty()) {
        lastError_ = "The job for printer " + Quoted(printer_) + " was stopped." +
                     HeldJobText(jobId_, cancelFailure);
        withdrawn_ = false;
        RememberHeldJob(server_, printer_, jobId_);
    }
}

// Why the scheduler would not create a job, in the user's terms.
std::string CreateRefusal(ipp_status_t status) {
    switch (status) {
        case IPP_STATUS_ERROR_NOT_FOUND:
            return "there is no such printer queue";
        case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
            return "the queue is not accepting jobs";
        case IPP_STATUS_ERROR_FORBIDDEN:
        case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
        case IPP_STATUS_ERROR_NOT_AUTHORIZED:
            return "the print scheduler does not allow this user to print there";
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
            return "the print scheduler cannot be reached";
        default:
            return "the print scheduler refused to create a job";
    }
}

}  // namespace

Result<std::vector<PrinterQueue>> CupsSpooler::Printers() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const ipp_status_t status = cupsLastError();
    const std::string detail = LastCupsDetail();
    std::vector<PrinterQueue> queues;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        // An instance is a set of saved options on a queue, not a queue of its own.
        if (dest.instance != nullptr || dest.name == nullptr) continue;
        if (std::strcmp(dest.name, kReservedQueueName) == 0) continue;
        const char* uri = cupsGetOption("device-uri", dest.num_options, dest.options);
        queues.push_back(PrinterQueue{dest.name, PrinterQueue::Kind::Cups,
                                      uri != nullptr ? uri : "", dest.is_default != 0});
    }
    cupsFreeDests(count, dests);
    if (count == 0 && !Succeeded(status) && status != IPP_STATUS_ERROR_NOT_FOUND) {
        return Fail("Cannot list the CUPS printer queues: the print scheduler at " +
                    CurrentServer() + " cannot be reached" + detail + ".");
    }
    return queues;
}

Result<std::unique_ptr<SpoolJob>> CupsSpooler::OpenPrintJob(const std::string& printer) {
    if (printer.empty()) return Fail("Cannot open a print job: no printer is named.");
    if (printer == kReservedQueueName) {
        return Fail("Cannot send to printer " + Quoted(printer) +
                    ": the name is reserved for the drawing renderer.");
    }
    RetryHeldJobs();
    const std::string server = CurrentServer();
    Connection http = Connect(server);
    if (!http) {
        return Fail("Cannot send to printer " + Quoted(printer) + ": the print scheduler at " +
                    server + " cannot be reached.");
    }
    const int jobId = cupsCreateJob(http.get(), printer.c_str(), kDocumentName, 0, nullptr);
    if (jobId <= 0) {
        const ipp_status_t status = cupsLastError();
        const std::string detail = LastCupsDetail();
        // libcups reports an unknown queue as an internal error with the text of ENOENT, so
        // whether the queue exists is asked outright.
        if (cups_dest_t* dest = cupsGetNamedDest(http.get(), printer.c_str(), nullptr)) {
            cupsFreeDests(1, dest);
        } else if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
            return Fail("Cannot send to printer " + Quoted(printer) +
                        ": the print scheduler has no such printer queue.");
        }
        return Fail("Cannot send to printer " + Quoted(printer) + ": " + CreateRefusal(status) +
                    detail + ".");
    }
    const http_status_t started =
        cupsStartDocument(http.get(), printer.c_str(), jobId, kDocumentName, CUPS_FORMAT_RAW, 1);
    if (started != HTTP_STATUS_CONTINUE) {
        const std::string detail = HttpDetail(http.get(), started);
        http.reset();
        std::string message = "Cannot send to printer " + Quoted(printer) +
                              ": the print scheduler refused the document of job " +
                              std::to_string(jobId) + detail + ".";
        if (const std::string failure = CancelJob(server, printer, jobId); !failure.empty()) {
            message += " The job could not be cancelled: " + failure + ".";
        }
        return Fail(std::move(message));
    }
    return std::unique_ptr<SpoolJob>(
        std::make_unique<CupsSpoolJob>(printer, server, std::move(http), jobId));
}

}  // namespace kestrum
