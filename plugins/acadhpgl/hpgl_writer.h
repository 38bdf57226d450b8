#pragma once

// The HP-GL/2 sink: turns what the walker draws into plotter commands and writes them to a file
// descriptor through a 64 KiB buffer. Commands only ever enter the buffer whole, and after the
// first failed write nothing more is written, so the output never gains a torn command after a
// failure beyond the one the failing write may have cut.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "plugins/acadhpgl/acadhpgl.h"
#include "plugins/acadhpgl/plot_sink.h"

namespace acadhpgl {

class HpglWriter final : public PlotSink {
  public:
    // Writes to `fd` (left open) at its current position. `colours` is the record's colour
    // table, row n - 1 for colour n. Without `penWidths` no PW command is written, for plotters
    // whose pens have fixed widths. A write that would raise SIGPIPE (a pipe without a reader)
    // fails with EPIPE instead of ending the process.
    HpglWriter(int fd, std::span<const AcadColourRow, ACADHPGL_COLOURS> colours, bool penWidths);

    // The opening commands; `window` (plotter units) is where drawing is allowed, none for the
    // whole plotter range.
    void Begin(const std::optional<Box>& window);
    // The closing commands, then everything still buffered is written. False, with the system's
    // reason, when any write failed.
    bool Finish(std::string& error);

    void SetColour(int colour) override;
    void Polyline(std::span<const Point> points) override;
    void Dot(Point at) override;
    void Fill(std::span<const std::vector<Point>> loops) override;
    void Label(Point at, double height, double directionDegrees, double widthFactor,
               std::string_view text) override;
    void SlantedLabel(Point at, double height, double directionDegrees, double widthFactor,
                      double slant, std::string_view text) override;

    // Characters of the labels that no plotter character set here holds (plotted as '?').
    std::uint64_t unshownCharacters() const { return unshown_; }

  private:
    void Append(std::string_view command);
    void Flush();
    void AppendPoint(std::string& out, std::int64_t x, std::int64_t y);

    int fd_;
    std::span<const AcadColourRow, ACADHPGL_COLOURS> colours_;
    bool penWidths_;
    std::string buffer_;
    std::string command_;
    int failure_ = 0;  // errno of the first failed write
    int colour_ = -1;
    int pen_ = -1;
    int width_ = -1;        // the width last set for the current pen
    int style_ = 0;         // IN selects solid lines
    int characterSet_ = 0;  // the CS selected; 0 the one IN selects, of which only ASCII is sure
    std::uint64_t unshown_ = 0;
    std::string size_;
    std::string direction_;
};

// A plotter coordinate for a sink coordinate: rounded and held inside the range every HP-GL/2
// device accepts; not-a-number becomes 0.
std::int64_t ToPlotterUnits(double value);

}  // namespace acadhpgl
