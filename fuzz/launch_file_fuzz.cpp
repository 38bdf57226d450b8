// Reads arbitrary bytes as a launch file. Whatever reads must write and read back to the same
// entries, so a list saved from a file that opened is the list the user saw.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "launch/launch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum;
    const LaunchFileReading first = DecodeLaunchFile(std::span(data, size), "fuzz.lch");
    if (!first.ok()) {
        if (first.message.empty() || !first.entries.empty()) std::abort();
        return 0;
    }
    const Result<std::vector<std::uint8_t>> written = EncodeLaunchFile(first.entries);
    if (!written) std::abort();
    const LaunchFileReading second = DecodeLaunchFile(written.value(), "fuzz.lch");
    if (!second.ok() || second.entries != first.entries) std::abort();
    return 0;
}
