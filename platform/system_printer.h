#pragma once

// The system's default printer as one "name,driver,port" text, the form the configuration
// manager splits. Blocks while it asks the print spooler; call it from the thread that owns the
// manager.

#include <string>

namespace kestrum {

// ",,," when there is no default printer or the spooler cannot be reached.
std::string SystemDefaultPrinterEntry();

}  // namespace kestrum
