// The cost of composing one full Velmar header: every pen of both tables in use, the stamp on,
// every setting and raster value set.

#include <benchmark/benchmark.h>

#include "compose/job_stream.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

class DiscardingPrintJob final : public PrintJob {
  public:
    bool WriteToPrinter(const void*, std::size_t length) override {
        bytes += length;
        return true;
    }
    std::size_t bytes = 0;
};

std::string Text(int resource) {
    return std::string(LoadResourceString(resource));
}

CUserObject FullVelmarRecord() {
    CUserObject v = DefaultUserObject();
    for (auto* pens : {&v.hpglPens, &v.calcompPens}) {
        for (PenParms& pen : *pens) {
            pen.width = "12";
            pen.lineEnd = Text(rid::kStyleRound);
            pen.lineJoin = Text(rid::kStyleBevel);
            pen.grayLevel = "40";
            pen.opaque = Text(rid::kOnWord);
            pen.lineUpper = Text(rid::kOffWord);
        }
    }
    v.calcomp = {Text(rid::kPlotUnit3),
                 Text(rid::kCalCompTrailerCR),
                 Text(rid::kOnWord),
                 Text(rid::kOnWord),
                 ".5",
                 Text(rid::kOnWord),
                 Text(rid::kCalCompOn),
                 "2",
                 "0d",
                 "1b"};
    v.stamp = {1, 24, 90, "500", "250", 1, 1, 1, "50", "10", "DRAWING CHECKED BY"};
    v.hpgl = {"7585", "90", Text(rid::kOnWord), Text(rid::kIgnoreWord), Text(rid::kHpglTrailerSC)};
    v.job.copies = 5;
    v.job.folding = 4;
    v.job.media = Text(rid::kMediaVellum);
    v.job.tray = Text(rid::kTray2);
    v.job.pageSize = Text(rid::kSizeA0);
    v.job.pageScale = Text(rid::kSizeA0) + " " + Text(rid::kSizeA1);
    v.job.format = Text(rid::kFormatHpgl);
    v.job.rasterMode = Text(rid::kOnWord);
    v.raster = {Text(rid::kRasterNormal),
                Text(rid::kRasterReverse),
                Text(rid::kDitherDP50),
                Text(rid::kRasterNormal),
                Text(rid::kCalCompOn),
                "1200",
                "900",
                Text(rid::kCompressionTG4),
                Text(rid::kOnWord),
                "90"};
    return v;
}

void BM_FullVelmarHeader(benchmark::State& state) {
    const CUserObject values = FullVelmarRecord();
    FixedClock clock({2026, 12, 7, 12, 0, 0});
    JobStreamComposer composer(values, PrinterType::Velmar, clock);
    DiscardingPrintJob job;
    for (auto _ : state) {
        benchmark::DoNotOptimize(composer.ComposeJobHeader(job));
    }
    state.counters["bytes_per_header"] =
        static_cast<double>(job.bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FullVelmarHeader);

}  // namespace
}  // namespace kestrum
