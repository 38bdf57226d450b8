// The cost of rendering a large drawing: 200,000 LINE entities in an ASCII DXF file, read,
// measured for their extents, placed and written as HP-GL into /dev/null. The whole path runs
// through RenderACAD as Kestrum calls it; a second case leaves out the reading to show what
// the walk and the writer cost on their own. A third renders 10,000 pattern-filled hatches,
// each with an island, and reports the process's peak memory beside the time. A fourth
// renders 20,000 paragraph texts that wrap, change height and slant and hold letters that need
// another character set.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "plugins/acadhpgl/acadhpgl.h"
#include "plugins/acadhpgl/drawing_walker.h"
#include "plugins/acadhpgl/dxf_reader.h"
#include "plugins/acadhpgl/hpgl_writer.h"
#include "plugins/acadhpgl/placement.h"

namespace acadhpgl {
namespace {

constexpr int kLines = 200'000;
constexpr int kHatches = 10'000;
constexpr int kParagraphs = 20'000;

// A grid of short lines on a few layers and colours, so that the writer changes pens now and
// then as it would for a real drawing.
std::string LinesDrawing() {
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < kLines; ++i) {
        const double x = (i % 500) * 2.0, y = (i / 500) * 2.0;
        dxf += "0\nLINE\n8\nL" + std::to_string(i % 4) + "\n62\n" + std::to_string(1 + i % 7) +
               "\n10\n" + std::to_string(x) + "\n20\n" + std::to_string(y) + "\n11\n" +
               std::to_string(x + 1.5) + "\n21\n" + std::to_string(y + 1.25) + "\n";
    }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

// A grid of squares of 10 units, each hatched with two families of lines (one dashed) round
// a round island, as a plan's section hatching would be.
std::string HatchesDrawing() {
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < kHatches; ++i) {
        const double x = (i % 100) * 12.0, y = (i / 100) * 12.0;
        const auto n = [](double v) { return std::to_string(v); };
        dxf += "0\nHATCH\n8\nH\n62\n" + std::to_string(1 + i % 7) +
               "\n2\nANSI\n70\n0\n71\n0\n91\n2\n92\n3\n72\n0\n73\n1\n93\n4\n";
        for (const auto& [dx, dy] : {std::pair{0, 0}, {10, 0}, {10, 10}, {0, 10}}) {
            dxf += "10\n" + n(x + dx) + "\n20\n" + n(y + dy) + "\n";
        }
        dxf += "97\n0\n92\n0\n93\n1\n72\n2\n10\n" + n(x + 5) + "\n20\n" + n(y + 5) +
               "\n40\n2\n50\n0\n51\n360\n73\n1\n97\n0\n75\n0\n76\n1\n52\n0\n41\n1\n77\n0\n"
               "78\n2\n53\n45\n43\n0\n44\n0\n45\n-0.7071\n46\n0.7071\n79\n0\n"
               "53\n135\n43\n0\n44\n0\n45\n-0.7071\n46\n-0.7071\n79\n2\n49\n2\n49\n-1\n98\n0\n";
    }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

// Notes of a few paragraphs each, as a plan's legend and remarks would be.
std::string ParagraphsDrawing() {
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < kParagraphs; ++i) {
        const double x = (i % 100) * 40.0, y = (i / 100) * 40.0;
        dxf += "0\nMTEXT\n8\nT\n10\n" + std::to_string(x) + "\n20\n" + std::to_string(y) +
               "\n40\n1\n41\n30\n71\n1\n3\n{\\H1.5x;Note " + std::to_string(i) +
               "}\\P\\pxi-2,l2;\\U+2022 Walls of the ground floor are 240 mm brick, plastered "
               "both sides; lintels %%c12 at 150 spacing.\\P\\U+2022 {\\Q15;\\U+0421\\U+0442"
               "\\U+0435\\U+043D\\U+0430} 90%%d, tolerance %%p2 mm, \n1\n see detail "
               "\\S1/2; and the schedule on sheet 4.\n";
    }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

// The drawing's file, written once for the whole run and removed at exit.
class DrawingFile {
  public:
    explicit DrawingFile(const std::string& contents) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrum-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
        path_ = folder_ / "drawing.dxf";
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~DrawingFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

const DrawingFile& LinesFile() {
    static const DrawingFile file(LinesDrawing());
    return file;
}

const DrawingFile& HatchesFile() {
    static const DrawingFile file(HatchesDrawing());
    return file;
}

const DrawingFile& ParagraphsFile() {
    static const DrawingFile file(ParagraphsDrawing());
    return file;
}

AcadRenderRecord PaperRecord() {
    AcadRenderRecord record;
    std::memset(&record, 0, sizeof record);
    record.outputKind = ACADHPGL_WRITE_HPGL;
    record.paperMode = ACADHPGL_PAPER_CUSTOM;
    record.paperX = 3600;
    record.paperY = 2400;
    record.fitSubMode = ACADHPGL_REGION_EXTENTS;
    for (int i = 0; i < ACADHPGL_COLOURS; ++i)
        record.colours[i] = {250, 0, static_cast<int16_t>(1 + i % 8)};
    return record;
}

// Renders the drawing at `path` to /dev/null through the plugin's entry point, once per
// iteration, counting `items` a render.
void RenderToNothing(benchmark::State& state, const std::filesystem::path& path,
                     std::int64_t items) {
    AcadRenderRecord record = PaperRecord();
    const std::string name = path.string();
    std::memcpy(record.drawingPath, name.c_str(), name.size() + 1);
    const int out = ::open("/dev/null", O_WRONLY);
    record.outputFile = out;
    for (auto _ : state) {
        if (RenderACAD(&record) != 0) state.SkipWithError("the render failed");
    }
    ::close(out);
    state.SetItemsProcessed(state.iterations() * items);
}

void BM_RenderLinesToHpgl(benchmark::State& state) {
    RenderToNothing(state, LinesFile().path(), kLines);
}
BENCHMARK(BM_RenderLinesToHpgl)->Unit(benchmark::kMillisecond);

void BM_WalkLinesToHpgl(benchmark::State& state) {
    Drawing drawing;
    std::string error;
    if (!ReadDxfFile(LinesFile().path().string(), drawing, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const AcadRenderRecord record = PaperRecord();
    const int out = ::open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        std::optional<Box> extents;
        MeasureExtents(drawing, nullptr, extents, error);
        const auto placement = ComputePlacement(record, extents.value_or(Box{}), 0, error);
        if (!placement) {
            state.SkipWithError(error.c_str());
            break;
        }
        WalkOptions options;
        options.toSink = placement->toSink;
        HpglWriter writer(out, record.colours, true);
        writer.Begin(placement->area);
        WalkDrawing(drawing, options, writer, error);
        if (!writer.Finish(error)) state.SkipWithError(error.c_str());
    }
    ::close(out);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_WalkLinesToHpgl)->Unit(benchmark::kMillisecond);

void BM_RenderHatchesToHpgl(benchmark::State& state) {
    RenderToNothing(state, HatchesFile().path(), kHatches);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
    state.counters["file_MiB"] =
        static_cast<double>(std::filesystem::file_size(HatchesFile().path())) / (1024 * 1024);
}
BENCHMARK(BM_RenderHatchesToHpgl)->Unit(benchmark::kMillisecond);

void BM_RenderParagraphTextsToHpgl(benchmark::State& state) {
    RenderToNothing(state, ParagraphsFile().path(), kParagraphs);
}
BENCHMARK(BM_RenderParagraphTextsToHpgl)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace acadhpgl
