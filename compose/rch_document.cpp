#include "compose/rch_document.h"

#include <string>

#include "shell/resource_ids.h"
#include "shell/text_compare.h"

namespace kestrum {

void RchApplicationData(CompositionBuffer& buffer, const JobOptionsValues& job) {
    if (job.copies != 0) {
        buffer.Append("APPLDATA 002 \"CO=" + std::to_string(job.copies) + "\";\r\n");
    }
    if (!job.tray.empty() && !MatchesResource(job.tray, rid::kDefaultText)) {
        std::string_view roll;
        if (MatchesResource(job.tray, rid::kTray1)) roll = "RN=1";
        if (MatchesResource(job.tray, rid::kTray2) || MatchesResource(job.tray, rid::kTray3)) {
            roll = "RN=2";
        }
        buffer.Append("APPLDATA 021 \"");
        buffer.Append(roll);
        buffer.Append("\";\r\n");
    }
}

}  // namespace kestrum
