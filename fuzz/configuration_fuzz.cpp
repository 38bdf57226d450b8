// Feeds arbitrary bytes to the configuration loader as a .cfg file, then composes a header and
// trailer from whatever loaded, for each printer type.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "compose/job_stream.h"
#include "config/configuration_file.h"
#include "platform/private_profile.h"

namespace {

class DiscardingSink final : public kestrum::MessageSink {
  public:
    void Show(const kestrum::Message&) override {}
};

std::string FuzzFile() {
    static const std::string path = [] {
        std::string pattern = "/tmp/kestrum-fuzz-cfg-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd >= 0) close(fd);
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum;
    const std::string file = FuzzFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    profile::Forget(file);

    DiscardingSink sink;
    OptionState state(size % 2 == 0 ? Unit::English : Unit::Metric);
    state.values.currentConfiguration = file;
    LoadAll(state, sink);
    state.values.setCurrentFlag = size % 3 == 0 ? 1 : 0;

    OptionStateExports exports(state);
    const FixedClock clock({2026, 1, 2, 3, 4, 5});
    for (PrinterType type : {PrinterType::Velmar, PrinterType::Oce9400}) {
        MemoryPrintJob job;
        JobStreamComposer composer(state.values, type, clock, &exports);
        (void)composer.ComposeJobHeader(job);
        (void)composer.ComposeJobTrailer(job);
    }
    return 0;
}
