#include "platform/cups_job_state.h"

#include <cups/cups.h>
#include <sys/socket.h>

#include <memory>

namespace kestrum {
namespace {

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

std::string JobName(const std::string& printer, int jobId) {
    return "job " + std::to_string(jobId) + " of printer \"" + printer + "\"";
}

}  // namespace

Result<CupsJobStatus> QueryCupsJobState(const std::string& printer, int jobId, bool* unknownJob) {
    if (unknownJob != nullptr) *unknownJob = false;
    if (jobId <= 0) {
        // The scheduler would take job 0 as "the printer's current job".
        return Fail("Cannot ask about " + JobName(printer, jobId) + ": it has no job number.");
    }
    // Copied at once: libcups's text is per-thread state that later calls may replace.
    const char* serverText = cupsServer();
    const std::string server = serverText != nullptr ? serverText : "";
    std::unique_ptr<http_t, HttpCloser> http(httpConnect2(
        server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr));
    if (!http) {
        return Fail("Cannot ask about " + JobName(printer, jobId) + ": the print scheduler at " +
                    server + " cannot be reached.");
    }
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/jobs/%d", jobId);
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    static const char* const kWanted[] = {"job-state", "job-state-reasons",
                                          "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kWanted)), nullptr, kWanted);
    // cupsDoRequest frees the request.
    std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(http.get(), request, "/"));
    const ipp_status_t status = cupsLastError();
    const char* statusText = cupsLastErrorString();
    if (status == IPP_STATUS_ERROR_NOT_FOUND) {
        if (unknownJob != nullptr) *unknownJob = true;
        return Fail("The print scheduler does not know " + JobName(printer, jobId) + ".");
    }
    ipp_attribute_t* state =
        response ? ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM) : nullptr;
    if (status > IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED || state == nullptr) {
        return Fail("The print scheduler did not say what became of " + JobName(printer, jobId) +
                    (statusText != nullptr && statusText[0] != '\0'
                         ? std::string(" (") + statusText + ")."
                         : std::string(".")));
    }
    const int value = ippGetInteger(state, 0);
    if (value < static_cast<int>(CupsJobState::Pending) ||
        value > static_cast<int>(CupsJobState::Completed)) {
        return Fail("The print scheduler gave " + JobName(printer, jobId) + " an unknown state (" +
                    std::to_string(value) + ").");
    }
    CupsJobStatus result;
    result.state = static_cast<CupsJobState>(value);
    if (ipp_attribute_t* reasons =
            ippFindAttribute(response.get(), "job-state-reasons", IPP_TAG_KEYWORD)) {
        for (int i = 0; i < ippGetCount(reasons); ++i) {
            if (const char* reason = ippGetString(reasons, i, nullptr)) {
                if (!result.reasons.empty()) result.reasons += ", ";
                result.reasons += reason;
            }
        }
    }
    if (ipp_attribute_t* message =
            ippFindAttribute(response.get(), "job-printer-state-message", IPP_TAG_TEXT)) {
        const char* text = ippGetString(message, 0, nullptr);
        if (text != nullptr && text[0] != '\0') {
            result.reasons += (result.reasons.empty() ? "" : ": ") + std::string(text);
        }
    }
    return result;
}

}  // namespace kestrum
