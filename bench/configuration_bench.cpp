// Loading and saving a configuration that has every section: the group sections, 15 pen sections
// of each table and the 256 colour sections.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "config/configuration_file.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

class DiscardingSink final : public MessageSink {
  public:
    void Show(const Message&) override {}
};

std::string Text(int resource) {
    return std::string(LoadResourceString(resource));
}

// A state whose every group holds values, so that every section and key is written.
OptionState FullState() {
    OptionState state(Unit::English);
    CUserObject& v = state.values;
    v.stamp.stampOn = 1;
    v.stamp.text = "CHECKED";
    v.job.copies = 2;
    for (auto* pens : {&v.hpglPens, &v.calcompPens}) {
        for (PenParms& pen : *pens) {
            pen.width = "5";
            pen.grayLevel = "30";
            pen.lineEnd = Text(rid::kStyleRound);
            pen.lineJoin = Text(rid::kStyleBevel);
            pen.opaque = Text(rid::kOnWord);
            pen.lineUpper = Text(rid::kOffWord);
        }
    }
    v.hpgl.rotation = "90";
    v.calcomp.syncCount = "2";
    v.raster[9] = "90";
    for (int i = 0; i < kColourCount; ++i)
        v.colourTable[static_cast<std::size_t>(i)].pen = std::to_string(i % 8 + 1);
    state.references = {"/srv/xref/a", "/srv/xref/b"};
    DiscardingSink sink;
    RefreshAll(state, sink);
    return state;
}

std::filesystem::path BenchFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           (std::string("kestrum-bench-") + name + "-" + std::to_string(getpid()) + ".cfg");
}

void BM_LoadAllFullConfiguration(benchmark::State& bench) {
    DiscardingSink sink;
    OptionState state = FullState();
    const auto file = BenchFile("load");
    (void)SaveAll(state, file, sink);
    for (auto _ : bench) {
        profile::Forget(file);  // parse the file every time, as a first load does
        state.values.currentConfiguration = file.string();
        LoadAll(state, sink);
    }
    bench.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadAllFullConfiguration)->Unit(benchmark::kMillisecond);

void BM_SaveAllFullConfiguration(benchmark::State& bench) {
    DiscardingSink sink;
    OptionState state = FullState();
    const auto file = BenchFile("save");
    for (auto _ : bench) {
        std::filesystem::remove(file);
        profile::Forget(file);
        benchmark::DoNotOptimize(SaveAll(state, file, sink));
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveAllFullConfiguration)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum
