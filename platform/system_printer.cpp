#include "platform/system_printer.h"

#include <cups/cups.h>

namespace kestrum {

std::string SystemDefaultPrinterEntry() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::string entry = ",,,";
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        if (!dest.is_default || dest.instance != nullptr) continue;
        const char* uri = cupsGetOption("device-uri", dest.num_options, dest.options);
        // The driver is always the spooler's; the port is where the queue sends its jobs.
        entry = std::string(dest.name) + ",cups," + (uri != nullptr ? uri : "");
        break;
    }
    cupsFreeDests(count, dests);
    return entry;
}

}  // namespace kestrum
