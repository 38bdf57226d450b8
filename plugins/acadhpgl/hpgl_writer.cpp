#include "plugins/acadhpgl/hpgl_writer.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <system_error>

#include "plugins/acadhpgl/code_pages.h"
#include "plugins/acadhpgl/drawing_walker.h"

namespace acadhpgl {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr std::size_t kPointsPerCommand = 64;
constexpr double kPlotterUnitsPerCentimetre = 400;
constexpr double kLargestCoordinate = 1073741823;  // 2^30 - 1
// Character sizes outside this range (centimetres) are errors to a plotter.
constexpr double kSmallestCharacter = 0.001;
constexpr double kLargestCharacter = 32767;
constexpr double kSteepestSlant = 11.43;  // tan 85 degrees
// A plotter advances a label by one and a half character widths (SI sets the character's own
// width, the cell around it is half as wide again); the width sent is the placement's pitch
// divided by this, so that a label is as long as the walker placed and wrapped it.
constexpr double kCellPerCharacterWidth = 1.5;

void AppendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    out.append(digits, result.ptr);
}

// Fixed decimals whatever the process's locale says (a GUI may have set a decimal comma).
void AppendDecimal(std::string& out, double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    value = std::round(value * scale) / scale;
    if (value == 0 || !std::isfinite(value)) value = 0;  // no "-0.000"
    char digits[64];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value,
                                      std::chars_format::fixed, decimals);
    if (result.ec == std::errc()) out.append(digits, result.ptr);
}

// Keeps SIGPIPE from ending the process while it writes: the signal is blocked on this thread,
// and one raised by the writes is taken back before the old mask returns.
class SigpipeBlock {
  public:
    SigpipeBlock() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        blocked_ = pthread_sigmask(SIG_BLOCK, &pipe_, &old_) == 0;
    }
    ~SigpipeBlock() {
        if (!blocked_) return;
        if (broken_ && !wasPending_) {
            const timespec none{};
            while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

    void NoteBrokenPipe() { broken_ = true; }

  private:
    sigset_t pipe_;
    sigset_t old_;
    bool wasPending_ = false;
    bool blocked_ = false;
    bool broken_ = false;
};

}  // namespace

std::int64_t ToPlotterUnits(double value) {
    if (!std::isfinite(value)) return 0;
    return std::llround(std::clamp(value, -kLargestCoordinate, kLargestCoordinate));
}

HpglWriter::HpglWriter(int fd, std::span<const AcadColourRow, ACADHPGL_COLOURS> colours,
                       bool penWidths)
    : fd_(fd), colours_(colours), penWidths_(penWidths) {
    buffer_.reserve(kBufferBytes);
}

void HpglWriter::Begin(const std::optional<Box>& window) {
    command_ = "IN;";
    if (window) {
        command_ += "IW";
        AppendPoint(command_, ToPlotterUnits(window->min.x), ToPlotterUnits(window->min.y));
        command_ += ',';
        AppendPoint(command_, ToPlotterUnits(window->max.x), ToPlotterUnits(window->max.y));
        command_ += ';';
    }
    command_ += "PA;";
    Append(command_);
}

bool HpglWriter::Finish(std::string& error) {
    Append("PU;SP0;");
    Flush();
    if (failure_ == 0) return true;
    error =
        std::string(ACADHPGL_WRITE_FAILED_TEXT) + ": " + std::system_category().message(failure_);
    return false;
}

void HpglWriter::SetColour(int colour) {
    if (colour == colour_) return;
    colour_ = colour;
    const AcadColourRow& row =
        colours_[colour >= 1 && colour <= ACADHPGL_COLOURS ? colour - 1 : kDefaultLayerColour - 1];
    command_.clear();
    const int pen = row.pen > 0 ? row.pen : 1;
    if (pen != pen_) {
        command_ += "SP";
        AppendInteger(command_, pen);
        command_ += ';';
        pen_ = pen;
        width_ = -1;
    }
    if (penWidths_ && row.width > 0 && row.width != width_) {
        command_ += "PW";
        AppendDecimal(command_, row.width / 1000.0, 3);
        command_ += ',';
        AppendInteger(command_, pen);
        command_ += ';';
        width_ = row.width;
    }
    const int style = row.style >= 1 && row.style <= 8 ? row.style : 0;
    if (style != style_) {
        command_ += "LT";
        if (style != 0) AppendInteger(command_, style);
        command_ += ';';
        style_ = style;
    }
    Append(command_);
}

void HpglWriter::Polyline(std::span<const Point> points) {
    if (points.empty()) return;
    std::int64_t x = ToPlotterUnits(points[0].x), y = ToPlotterUnits(points[0].y);
    command_ = "PU";
    AppendPoint(command_, x, y);
    command_ += ';';
    Append(command_);
    // Points that round to where the pen already is add nothing but bytes; a run that never
    // leaves its first point still draws it, as a dot.
    std::size_t inCommand = 0;
    bool moved = false;
    command_.clear();
    for (std::size_t i = 1; i < points.size(); ++i) {
        const std::int64_t nextX = ToPlotterUnits(points[i].x);
        const std::int64_t nextY = ToPlotterUnits(points[i].y);
        if (nextX == x && nextY == y && (moved || i + 1 < points.size())) continue;
        x = nextX;
        y = nextY;
        moved = true;
        command_ += inCommand == 0 ? "PD" : ",";
        AppendPoint(command_, x, y);
        if (++inCommand == kPointsPerCommand) {
            command_ += ';';
            Append(command_);
            command_.clear();
            inCommand = 0;
        }
    }
    if (inCommand > 0) {
        command_ += ';';
        Append(command_);
    }
}

void HpglWriter::Dot(Point at) {
    command_ = "PU";
    AppendPoint(command_, ToPlotterUnits(at.x), ToPlotterUnits(at.y));
    command_ += ";PD;";
    Append(command_);
}

void HpglWriter::Fill(std::span<const std::vector<Point>> loops) {
    // Polygon mode: every loop a subpolygon, filled by the odd-even rule with the solid fill
    // type that IN selects; then the outline, so that the fill's edge is as sharp as a line.
    command_.clear();
    bool any = false;
    for (const std::vector<Point>& loop : loops) {
        if (loop.size() < 3) continue;
        command_ += "PU";
        AppendPoint(command_, ToPlotterUnits(loop[0].x), ToPlotterUnits(loop[0].y));
        command_ += any ? ";" : ";PM0;";
        command_ += "PD";
        for (std::size_t i = 1; i < loop.size(); ++i) {
            if (i > 1) command_ += ',';
            AppendPoint(command_, ToPlotterUnits(loop[i].x), ToPlotterUnits(loop[i].y));
        }
        command_ += ";PM1;";
        any = true;
        Append(command_);
        command_.clear();
    }
    if (!any) return;
    Append("PM2;FP0;");
    for (const std::vector<Point>& loop : loops) {
        if (loop.size() >= 2) Polyline(loop);
    }
}

void HpglWriter::Label(Point at, double height, double directionDegrees, double widthFactor,
                       std::string_view text) {
    SlantedLabel(at, height, directionDegrees, widthFactor, 0, text);
}

void HpglWriter::SlantedLabel(Point at, double height, double directionDegrees, double widthFactor,
                              double slant, std::string_view text) {
    PlotterText shown = ForPlotter(text, characterSet_);
    if (shown.pieces.empty() || !(height > 0) || !std::isfinite(height)) return;
    unshown_ += shown.unshown;
    if (!(widthFactor > 0) || !std::isfinite(widthFactor)) widthFactor = 1;
    // Steeper than this a character lies nearly flat; the oblique angles drawings allow stop
    // well short of it.
    if (!std::isfinite(slant)) slant = 0;
    slant = std::clamp(slant, -kSteepestSlant, kSteepestSlant);
    command_.clear();
    const auto centimetres = [](double units) {
        return std::clamp(units / kPlotterUnitsPerCentimetre, kSmallestCharacter,
                          kLargestCharacter);
    };
    std::string size = "SI";
    AppendDecimal(size,
                  centimetres(kCharacterWidth * height * widthFactor / kCellPerCharacterWidth), 3);
    size += ',';
    AppendDecimal(size, centimetres(height), 3);
    size += ';';
    if (size != size_) {
        command_ += size;
        size_ = size;
    }
    const double radians = directionDegrees * std::numbers::pi / 180;
    std::string direction = "DI";
    AppendDecimal(direction, std::cos(radians), 4);
    direction += ',';
    AppendDecimal(direction, std::sin(radians), 4);
    direction += ';';
    if (direction != direction_) {
        command_ += direction;
        direction_ = direction;
    }
    std::string lean;
    AppendDecimal(lean, slant, 4);
    const bool slanted = lean != "0.0000";
    if (slanted) command_ += "SL" + lean + ';';
    // The sets' lower halves are all ASCII, so a set stays selected until a label needs
    // another; each LB goes on where the one before it ended.
    for (std::size_t i = 0; i < shown.pieces.size(); ++i) {
        const PlotterPiece& piece = shown.pieces[i];
        if (piece.characterSet != kAnyCharacterSet && piece.characterSet != characterSet_) {
            command_ += "CS";
            AppendInteger(command_, piece.characterSet);
            command_ += ';';
            characterSet_ = piece.characterSet;
        }
        if (i == 0) {
            command_ += "PU";
            AppendPoint(command_, ToPlotterUnits(at.x), ToPlotterUnits(at.y));
            command_ += ';';
        }
        command_ += "LB";
        command_ += piece.bytes;
        command_ += '\x03';
    }
    // Back upright at once, so that nothing drawn later leans, whoever draws it.
    if (slanted) command_ += "SL0;";
    Append(command_);
}

void HpglWriter::AppendPoint(std::string& out, std::int64_t x, std::int64_t y) {
    AppendInteger(out, x);
    out += ',';
    AppendInteger(out, y);
}

void HpglWriter::Append(std::string_view command) {
    if (failure_ != 0) return;
    if (buffer_.size() + command.size() > kBufferBytes) Flush();
    buffer_.append(command);
    if (buffer_.size() >= kBufferBytes) Flush();
}

void HpglWriter::Flush() {
    SigpipeBlock sigpipe;
    std::size_t done = 0;
    while (done < buffer_.size() && failure_ == 0) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A non-blocking descriptor: wait until it takes more, as a blocking one would.
            pollfd ready{fd_, POLLOUT, 0};
            if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
        }
        failure_ = written < 0 ? errno : EIO;
        if (failure_ == EPIPE) sigpipe.NoteBrokenPipe();
    }
    buffer_.clear();
}

}  // namespace acadhpgl
