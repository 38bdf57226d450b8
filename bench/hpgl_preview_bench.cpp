// The preview of a 20 MB HP-GL/2 plot file: read from the disk, interpreted and drawn into the
// 300 x 300 picture, as the launcher's preview button does it; and the same plot drawn again into
// a window-sized picture, as a resize does. The plot mixes what such files hold: long polylines
// in plain and encoded form, circles, arcs and labels, wrapped in job-control and PCL.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "render/hpgl_preview.h"

namespace kestrum {
namespace {

constexpr std::size_t kPlotBytes = 20u << 20;

std::string Encoded(long value) {
    unsigned long n = value < 0 ? static_cast<unsigned long>(-value) * 2 + 1
                                : static_cast<unsigned long>(value) * 2;
    std::string out;
    while (n >= 64) {
        out += static_cast<char>(63 + n % 64);
        n /= 64;
    }
    out += static_cast<char>(191 + n);
    return out;
}

std::string LargePlot() {
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> position(0, 40000), step(-200, 200);
    std::string plot =
        "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n\x1b"
        "E\x1b%1B"
        "BPIN;PS48000,36000;SC;SP1;PW0.25;";
    while (plot.size() < kPlotBytes) {
        switch (random() % 8) {
            case 0:
            case 1:
            case 2: {
                // A contour: mostly short steps, as drawings' polylines are.
                int x = position(random), y = position(random);
                plot += "PU" + std::to_string(x) + "," + std::to_string(y) + ";PD";
                for (int i = 0; i < 40; ++i) {
                    x += step(random) * 4;
                    y += step(random) * 4;
                    plot += std::to_string(x) + "," + std::to_string(y) + (i < 39 ? "," : ";");
                }
                break;
            }
            case 3:
            case 4:
            case 5:
                plot += "PE<=" + Encoded(position(random)) + Encoded(position(random));
                for (int i = 0; i < 60; ++i) plot += Encoded(step(random)) + Encoded(step(random));
                plot += ";";
                break;
            case 6:
                plot += "PA" + std::to_string(position(random)) + "," +
                        std::to_string(position(random)) + ";CI" +
                        std::to_string(50 + random() % 500) + ";AA20000,18000,45;";
                break;
            default:
                plot += "SP" + std::to_string(1 + random() % 8) + ";PA" +
                        std::to_string(position(random)) + ",1000;LBDETAIL " +
                        std::to_string(random() % 1000) + "\x03";
                break;
        }
    }
    return plot +
           "PU;SP0;\x1b%0A\x1b"
           "E\x1b%-12345X";
}

class PlotFile {
  public:
    PlotFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrum-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
        path_ = (folder_ / "large.plt").string();
        std::ofstream(path_, std::ios::binary) << LargePlot();
    }
    ~PlotFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& path() const { return path_; }

  private:
    std::filesystem::path folder_;
    std::string path_;
};

const PlotFile& LargeFile() {
    static const PlotFile file;
    return file;
}

void BM_HpglPreview20MB(benchmark::State& state) {
    const std::string& path = LargeFile().path();
    for (auto _ : state) {
        Result<std::vector<std::uint8_t>> bytes = ReadPlotFile(path);
        if (!bytes) {
            state.SkipWithError(bytes.error().message.c_str());
            break;
        }
        const HpglPlot plot = InterpretHpgl(bytes.value());
        if (plot.outcome != HpglPlot::Outcome::Complete) {
            state.SkipWithError("the plot did not read to its end");
            break;
        }
        PreviewBitmap picture;
        DrawHpgl(plot, picture);
        benchmark::DoNotOptimize(picture.bits.data());
        state.counters["points"] = static_cast<double>(plot.pointCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_HpglPreview20MB)->Unit(benchmark::kMillisecond);

// The reading alone, without the drawing.
void BM_HpglInterpret20MB(benchmark::State& state) {
    const Result<std::vector<std::uint8_t>> bytes = ReadPlotFile(LargeFile().path());
    if (!bytes) {
        state.SkipWithError(bytes.error().message.c_str());
        return;
    }
    for (auto _ : state) {
        const HpglPlot plot = InterpretHpgl(bytes.value());
        benchmark::DoNotOptimize(plot.points.data());
    }
}
BENCHMARK(BM_HpglInterpret20MB)->Unit(benchmark::kMillisecond);

void BM_HpglRedrawAt1600x1200(benchmark::State& state) {
    const Result<std::vector<std::uint8_t>> bytes = ReadPlotFile(LargeFile().path());
    if (!bytes) {
        state.SkipWithError(bytes.error().message.c_str());
        return;
    }
    const HpglPlot plot = InterpretHpgl(bytes.value());
    for (auto _ : state) {
        GreyPicture picture(1600, 1200);
        DrawHpgl(plot, picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_HpglRedrawAt1600x1200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum
