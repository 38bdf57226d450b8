// Reading an HP-GL or HP-GL/2 plot into the polylines of its ink (see hpgl_preview.h).
//
// The reader walks the bytes once and never steps back: every step consumes at least one byte or
// stops, arcs and labels are capped, and a number cannot grow without bound, so the time is linear
// in the file's size plus the caps.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "render/hpgl_preview.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

constexpr std::uint8_t kEsc = 0x1b;
constexpr std::uint8_t kEtx = 0x03;
constexpr double kPluPerCm = 400;
// HP-GL/2 numbers lie within +-2^30; a little more is allowed for sloppy writers, but never so
// much that a number turned into an int would overflow.
constexpr double kMaxNumber = 2147483647.0;
// Scaling can carry positions beyond any number; far beyond any plot they are damage.
constexpr double kMaxPosition = 1e15;
constexpr int kMaxDigits = 40;
// What IN sets: the scaling points of a sheet a little larger than A4.
constexpr double kDefaultP2X = 10365;
constexpr double kDefaultP2Y = 7962;
// The default character cell: 0.187 cm wide, 0.269 cm tall.
constexpr double kDefaultCharWidth = 0.187 * kPluPerCm;
constexpr double kDefaultCharHeight = 0.269 * kPluPerCm;
constexpr double kDefaultChord = 5;

struct Point {
    double x = 0;
    double y = 0;
};

constexpr int Mnemonic(char first, char second) {
    return (first << 8) | second;
}

bool IsLetter(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

char Upper(std::uint8_t b) {
    return static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
}

bool IsBlank(std::uint8_t b) {
    return b == ' ' || b == '\t' || b == '\r' || b == '\n' || b == '\f' || b == '\v';
}

// Between commands: blanks, terminators, and the padding some writers leave (NUL, Ctrl-Z, ETX).
bool IsCommandSeparator(std::uint8_t b) {
    return IsBlank(b) || b == ';' || b == ',' || b == 0 || b == 0x1a || b == kEtx;
}

class Interpreter {
  public:
    Interpreter(std::span<const std::uint8_t> bytes, const HpglLimits& limits, HpglPlot& out)
        : bytes_(bytes), limits_(limits), out_(out) {
        Reset(true);
        // Plots hold a point every few bytes; growing the vectors from nothing would copy a
        // large plot's points many times over.
        out_.points.reserve(2 * std::min(limits_.maxPoints, bytes_.size() / 8));
        out_.lineStarts.reserve(std::min(limits_.maxPoints, bytes_.size() / 128));
    }

    void Run() {
        while (!stopped_ && pos_ < bytes_.size()) {
            if (pcl_)
                PclStep();
            else
                HpglStep();
        }
    }

  private:
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    std::uint8_t Byte() const { return bytes_[pos_]; }

    void Stop(HpglPlot::Outcome outcome, int problem, std::size_t at) {
        if (stopped_) return;
        stopped_ = true;
        out_.outcome = outcome;
        out_.problem = problem;
        out_.stoppedAt = at;
    }
    void Damage(int problem, std::size_t at) { Stop(HpglPlot::Outcome::Damaged, problem, at); }

    // ---- Parameters -----------------------------------------------------------------------

    // The next numeric parameter, after blanks and commas. False when none follows (or the number
    // was damaged: then the reading has stopped).
    bool NextParameter(double& value) {
        while (!AtEnd() && (IsBlank(Byte()) || Byte() == ',')) ++pos_;
        if (AtEnd()) return false;
        const std::uint8_t first = Byte();
        if (!((first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.')) {
            return false;
        }
        const std::size_t start = pos_;
        bool negative = false;
        if (first == '+' || first == '-') {
            negative = first == '-';
            ++pos_;
        }
        double number = 0;
        int digits = 0;
        while (!AtEnd() && Byte() >= '0' && Byte() <= '9') {
            number = number * 10 + (Byte() - '0');
            ++pos_;
            if (++digits > kMaxDigits) break;
        }
        if (!AtEnd() && Byte() == '.') {
            ++pos_;
            double scale = 0.1;
            while (!AtEnd() && Byte() >= '0' && Byte() <= '9') {
                number += scale * (Byte() - '0');
                scale /= 10;
                ++pos_;
                if (++digits > kMaxDigits) break;
            }
        }
        if (digits == 0 || digits > kMaxDigits || number > kMaxNumber) {
            Damage(rid::kHpglPreviewBadNumber, start);
            return false;
        }
        value = negative ? -number : number;
        return true;
    }

    // Reads up to `count` parameters; how many there were.
    int Parameters(double* values, int count) {
        int got = 0;
        while (got < count && NextParameter(values[got])) ++got;
        return got;
    }

    // The end of a command's parameters: a terminator, the next command, an escape or the end.
    void EndCommand() {
        if (stopped_) return;
        while (!AtEnd() && (IsBlank(Byte()) || Byte() == ',')) ++pos_;
        if (AtEnd()) return;
        const std::uint8_t b = Byte();
        if (b == ';') {
            ++pos_;
        } else if (!IsLetter(b) && b != kEsc && !IsCommandSeparator(b)) {
            Damage(rid::kHpglPreviewBadByte, pos_);
        }
    }

    // The parameters of a command this reader does not draw: numbers and quoted strings.
    void SkipCommand() {
        while (!stopped_ && !AtEnd()) {
            const std::uint8_t b = Byte();
            if (b == ';') {
                ++pos_;
                return;
            }
            if (IsLetter(b) || b == kEsc) return;
            if (b == '"') {
                const void* close =
                    std::memchr(bytes_.data() + pos_ + 1, '"', bytes_.size() - pos_ - 1);
                pos_ = close == nullptr
                           ? bytes_.size()
                           : static_cast<std::size_t>(static_cast<const std::uint8_t*>(close) -
                                                      bytes_.data()) +
                                 1;
                continue;
            }
            if ((b >= '0' && b <= '9') || b == '+' || b == '-' || b == '.' || b == ',' ||
                IsCommandSeparator(b)) {
                ++pos_;
                continue;
            }
            Damage(rid::kHpglPreviewBadByte, pos_);
        }
    }

    // ---- Coordinates ----------------------------------------------------------------------

    Point ToPlu(Point user) const {
        if (!scaled_) return user;
        return {ax_ * user.x + bx_, ay_ * user.y + by_};
    }
    Point ToPluDelta(Point user) const {
        if (!scaled_) return user;
        return {ax_ * user.x, ay_ * user.y};
    }
    Point ToUser(Point plu) const {
        if (!scaled_) return plu;
        return {(plu.x - bx_) / ax_, (plu.y - by_) / ay_};
    }
    Point Rotated(Point p) const {
        switch (rotation_) {
            case 90:
                return {-p.y, p.x};
            case 180:
                return {-p.x, -p.y};
            case 270:
                return {p.y, -p.x};
            default:
                return p;
        }
    }

    bool Reasonable(Point p, std::size_t at) {
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) < kMaxPosition &&
            std::fabs(p.y) < kMaxPosition) {
            return true;
        }
        Damage(rid::kHpglPreviewBadPosition, at);
        return false;
    }

    // One inked line in plotter units, added to the open polyline when it continues it. In
    // polygon mode the line goes into the polygon buffer instead.
    void Ink(Point from, Point to) {
        if (pen_ == 0 || stopped_) return;
        if (!Reasonable(from, command_) || !Reasonable(to, command_)) return;
        const Point a = Rotated(from), b = Rotated(to);
        if (polygonMode_) {
            PolygonEdge(a, b);
            return;
        }
        FirstInk(a);
        const bool continues = lineOpen_ && a.x == lineEnd_.x && a.y == lineEnd_.y;
        const bool dot = a.x == b.x && a.y == b.y;
        if (continues && dot) return;
        if (out_.pointCount() + (continues ? 0 : 1) + (dot ? 0 : 1) > limits_.maxPoints) {
            Stop(HpglPlot::Outcome::LimitReached, rid::kHpglPreviewTooManyLines, command_);
            return;
        }
        if (!continues) {
            out_.lineStarts.push_back(static_cast<std::uint32_t>(out_.pointCount()));
            Store(a);
        }
        if (!dot) Store(b);
        lineOpen_ = true;
        lineEnd_ = b;
    }

    // The first point of the plot's ink becomes the origin its points are stored against.
    void FirstInk(Point a) {
        if (out_.hasInk()) return;
        out_.originX = a.x;
        out_.originY = a.y;
        out_.minX = out_.maxX = 0;
        out_.minY = out_.maxY = 0;
    }

    void Store(Point p) {
        const float x = static_cast<float>(p.x - out_.originX);
        const float y = static_cast<float>(p.y - out_.originY);
        out_.points.push_back(x);
        out_.points.push_back(y);
        out_.minX = std::min(out_.minX, double{x});
        out_.maxX = std::max(out_.maxX, double{x});
        out_.minY = std::min(out_.minY, double{y});
        out_.maxY = std::max(out_.maxY, double{y});
    }

    void MoveTo(Point target) {
        if (!Reasonable(target, command_)) return;
        if (penDown_) {
            Ink(current_, target);
        } else {
            lineOpen_ = false;
        }
        current_ = target;
    }

    // PU, PD, PA, PR: any number of coordinate pairs; an odd last number is ignored. A pen put
    // down without a move leaves a dot.
    void Coordinates() {
        double x = 0, y = 0;
        bool moved = false;
        while (!stopped_ && NextParameter(x) && NextParameter(y)) {
            const Point delta = ToPluDelta({x, y});
            MoveTo(absolute_ ? ToPlu({x, y}) : Point{current_.x + delta.x, current_.y + delta.y});
            moved = true;
        }
        if (!moved && !stopped_ && penDown_) Ink(current_, current_);
        EndCommand();
    }

    bool CountArcSteps(std::size_t steps) {
        arcSteps_ += steps;
        if (arcSteps_ <= limits_.maxArcSteps) return true;
        Stop(HpglPlot::Outcome::LimitReached, rid::kHpglPreviewTooManyArcs, command_);
        return false;
    }

    static double ChordAngle(int given, double chord) {
        if (given == 0 || !std::isfinite(chord)) return kDefaultChord;
        return std::clamp(std::fabs(chord), 0.5, 180.0);
    }

    // An arc around `centre` (user units) from the current position, `sweep` degrees
    // counter-clockwise, in chords of at most `chord` degrees; inked when the pen is down.
    void Arc(Point centre, double sweep, double chord) {
        if (!std::isfinite(sweep)) return;
        sweep = std::clamp(sweep, -360.0, 360.0);
        const Point start = ToUser(current_);
        const double radius = std::hypot(start.x - centre.x, start.y - centre.y);
        const double from = std::atan2(start.y - centre.y, start.x - centre.x);
        const auto steps =
            static_cast<std::size_t>(std::max(1.0, std::ceil(std::fabs(sweep) / chord)));
        if (!CountArcSteps(steps)) return;
        for (std::size_t i = 1; i <= steps && !stopped_; ++i) {
            const double angle = from + sweep * std::numbers::pi / 180 * static_cast<double>(i) /
                                            static_cast<double>(steps);
            MoveTo(
                ToPlu({centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)}));
        }
    }

    void ArcCommand(bool relative) {
        double p[4] = {};
        const int got = Parameters(p, 4);
        EndCommand();
        if (stopped_ || got < 3) return;
        Point centre{p[0], p[1]};
        if (relative) {
            const Point here = ToUser(current_);
            centre = {here.x + p[0], here.y + p[1]};
        }
        Arc(centre, p[2], ChordAngle(got - 3, p[3]));
    }

    // CI: a whole circle around the current position, always inked; the pen returns to the centre.
    void Circle() {
        double p[2] = {};
        const int got = Parameters(p, 2);
        EndCommand();
        if (stopped_ || got < 1) return;
        const Point centrePlu = current_;
        const Point centre = ToUser(current_);
        const bool wasDown = penDown_;
        penDown_ = false;
        MoveTo(ToPlu({centre.x + p[0], centre.y}));
        penDown_ = true;
        Arc(centre, 360, ChordAngle(got - 1, p[1]));
        penDown_ = false;
        MoveTo(centrePlu);
        penDown_ = wasDown;
    }

    // EA, ER, RA, RR: a rectangle from the current position to the opposite corner, inked
    // whatever the pen's state (RA and RR filled); the current position stays.
    void Rectangle(bool relative, bool filled) {
        double p[2] = {};
        const int got = Parameters(p, 2);
        EndCommand();
        if (stopped_ || got < 2) return;
        const Point a = current_;
        const Point b =
            relative ? Point{a.x + ToPluDelta({p[0], p[1]}).x, a.y + ToPluDelta({p[0], p[1]}).y}
                     : ToPlu({p[0], p[1]});
        if (!Reasonable(b, command_)) return;
        lineOpen_ = false;
        const std::size_t lines = out_.lineCount();
        Polygon({a, {b.x, a.y}, b, {a.x, b.y}, a});
        if (filled && !polygonMode_ && out_.lineCount() == lines + 1) {
            out_.fills.push_back(
                {static_cast<std::uint32_t>(lines), static_cast<std::uint32_t>(lines + 1), false});
        }
    }

    // ---- Polygons -------------------------------------------------------------------------

    // PM0 opens the polygon buffer: from then on what the pen draws is kept there, not inked, in
    // subpaths (PM1 ends one, and a line that does not go on from the last one starts the
    // next). PM2 closes the buffer; FP fills what it holds and EP draws its edges.
    void PolygonModeCommand() {
        double mode = 0;
        const bool given = NextParameter(mode);
        EndCommand();
        if (stopped_) return;
        const int m = given && mode >= 0 && mode <= 2 ? static_cast<int>(mode) : 0;
        if (m == 0) {
            polygon_.clear();
            polygonPoints_ = 0;
            polygonMode_ = true;
        } else if (m == 2) {
            polygonMode_ = false;
        }
        subpathEnded_ = true;
        lineOpen_ = false;
    }

    void PolygonEdge(Point a, Point b) {
        const bool goesOn = !subpathEnded_ && !polygon_.empty() &&
                            polygon_.back().back().x == a.x && polygon_.back().back().y == a.y;
        const std::size_t adding = goesOn ? 1 : 2;
        if (out_.pointCount() + polygonPoints_ + adding > limits_.maxPoints) {
            Stop(HpglPlot::Outcome::LimitReached, rid::kHpglPreviewTooManyLines, command_);
            return;
        }
        if (!goesOn) polygon_.push_back({a});
        polygon_.back().push_back(b);
        polygonPoints_ += adding;
        subpathEnded_ = false;
    }

    // FP [rule]: 0 (or none) fills by the even-odd rule, 1 by non-zero winding. EP: the edges.
    void StorePolygon(bool fill) {
        double rule = 0;
        const bool nonZero = fill && NextParameter(rule) && rule == 1;
        EndCommand();
        if (stopped_ || polygon_.empty()) return;
        const std::size_t first = out_.lineCount();
        for (const std::vector<Point>& path : polygon_) {
            if (out_.pointCount() + path.size() + 1 > limits_.maxPoints) {
                Stop(HpglPlot::Outcome::LimitReached, rid::kHpglPreviewTooManyLines, command_);
                return;
            }
            FirstInk(path.front());
            out_.lineStarts.push_back(static_cast<std::uint32_t>(out_.pointCount()));
            for (const Point& p : path) Store(p);
            Store(path.front());  // every subpath is closed
        }
        if (fill) {
            out_.fills.push_back({static_cast<std::uint32_t>(first),
                                  static_cast<std::uint32_t>(out_.lineCount()), nonZero});
        }
        lineOpen_ = false;
    }

    void Polygon(std::initializer_list<Point> corners) {
        const Point* previous = nullptr;
        for (const Point& corner : corners) {
            if (previous != nullptr) Ink(*previous, corner);
            previous = &corner;
        }
        lineOpen_ = false;
    }

    // ---- Scaling --------------------------------------------------------------------------

    void ScaleCommand() {
        double p[7] = {};
        const int got = Parameters(p, 7);
        EndCommand();
        if (stopped_) return;
        if (got == 0) {
            scaleCount_ = 0;
            scaled_ = false;
            return;
        }
        if (got < 4) return;
        std::copy(p, p + 7, scale_);
        scaleCount_ = got;
        ApplyScale();
    }

    void ApplyScale() {
        scaled_ = false;
        if (scaleCount_ < 4) return;
        const double* s = scale_;
        const int type = scaleCount_ >= 5 ? static_cast<int>(s[4]) : 0;
        double ax = 0, bx = 0, ay = 0, by = 0;
        if (type == 2) {
            ax = s[1];
            ay = s[3];
            bx = p1_.x - ax * s[0];
            by = p1_.y - ay * s[2];
        } else {
            const double spanX = s[1] - s[0], spanY = s[3] - s[2];
            if (spanX == 0 || spanY == 0) return;
            ax = (p2_.x - p1_.x) / spanX;
            ay = (p2_.y - p1_.y) / spanY;
            double left = 0, bottom = 0;
            if (type == 1) {
                const double common = std::min(std::fabs(ax), std::fabs(ay));
                ax = std::copysign(common, ax);
                ay = std::copysign(common, ay);
                const double leftShare = scaleCount_ >= 7 ? std::clamp(s[5], 0.0, 100.0) : 50;
                const double bottomShare = scaleCount_ >= 7 ? std::clamp(s[6], 0.0, 100.0) : 50;
                left = ((p2_.x - p1_.x) - ax * spanX) * leftShare / 100;
                bottom = ((p2_.y - p1_.y) - ay * spanY) * bottomShare / 100;
            }
            bx = p1_.x + left - ax * s[0];
            by = p1_.y + bottom - ay * s[2];
        }
        if (ax == 0 || ay == 0 || !std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) ||
            !std::isfinite(by)) {
            return;
        }
        ax_ = ax;
        ay_ = ay;
        bx_ = bx;
        by_ = by;
        scaled_ = true;
    }

    void InputPoints() {
        double p[4] = {};
        const int got = Parameters(p, 4);
        EndCommand();
        if (stopped_) return;
        if (got == 0) {
            p1_ = {0, 0};
            p2_ = {kDefaultP2X, kDefaultP2Y};
        } else if (got < 4) {
            if (got < 2) return;
            p2_ = {p2_.x + p[0] - p1_.x, p2_.y + p[1] - p1_.y};
            p1_ = {p[0], p[1]};
        } else {
            p1_ = {p[0], p[1]};
            p2_ = {p[2], p[3]};
        }
        ApplyScale();
    }

    void PlotSize() {
        double p[2] = {};
        const int got = Parameters(p, 2);
        EndCommand();
        if (stopped_ || got == 0 || p[0] <= 0) return;
        p1_ = {0, 0};
        p2_ = {p[0], got >= 2 && p[1] > 0 ? p[1] : p2_.y};
        ApplyScale();
    }

    void Rotate() {
        double p[1] = {};
        const int got = Parameters(p, 1);
        EndCommand();
        if (stopped_) return;
        const int angle = got == 0 ? 0 : static_cast<int>(p[0]);
        if (angle == 0 || angle == 90 || angle == 180 || angle == 270) {
            rotation_ = angle;
            lineOpen_ = false;
        }
    }

    // ---- Labels ---------------------------------------------------------------------------

    void CharacterSize(bool relative) {
        double p[2] = {};
        const int got = Parameters(p, 2);
        EndCommand();
        if (stopped_) return;
        if (got < 2) {
            charWidth_ = kDefaultCharWidth;
            charHeight_ = kDefaultCharHeight;
        } else if (relative) {
            charWidth_ = p[0] / 100 * std::fabs(p2_.x - p1_.x);
            charHeight_ = p[1] / 100 * std::fabs(p2_.y - p1_.y);
        } else {
            charWidth_ = p[0] * kPluPerCm;
            charHeight_ = p[1] * kPluPerCm;
        }
    }

    void Direction() {
        double p[2] = {};
        const int got = Parameters(p, 2);
        EndCommand();
        if (stopped_) return;
        const double length = got < 2 ? 0 : std::hypot(p[0], p[1]);
        direction_ =
            length > 0 && std::isfinite(length) ? Point{p[0] / length, p[1] / length} : Point{1, 0};
    }

    void DefineTerminator() {
        if (AtEnd()) return;
        const std::uint8_t b = Byte();
        if (b == ';') {
            terminator_ = kEtx;
            ++pos_;
            return;
        }
        if (b != 0 && b != kEsc && b != '\n') terminator_ = b;
        ++pos_;
        double mode = 0;
        NextParameter(mode);
        EndCommand();
    }

    // LB: text up to the terminator; each printable character shows as its cell's outline.
    void Label(bool draw) {
        const std::size_t start = pos_;
        const void* end = std::memchr(bytes_.data() + pos_, terminator_, bytes_.size() - pos_);
        const std::size_t stop =
            end == nullptr
                ? bytes_.size()
                : static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - bytes_.data());
        pos_ = end == nullptr ? stop : stop + 1;
        if (!draw) return;
        const std::size_t length = std::min(stop - start, limits_.maxCharactersPerLabel);
        labelCharacters_ += length;
        if (labelCharacters_ > limits_.maxLabelCharacters) {
            Stop(HpglPlot::Outcome::LimitReached, rid::kHpglPreviewTooManyLabels, command_);
            return;
        }
        const Point run = direction_;
        const Point up{-direction_.y, direction_.x};
        const double advance = charWidth_ * 1.5, lineFeed = charHeight_ * 2;
        Point lineStart = current_, at = current_;
        for (std::size_t i = 0; i < length && !stopped_; ++i) {
            const std::uint8_t c = bytes_[start + i];
            if (c == '\r') {
                at = lineStart;
            } else if (c == '\n') {
                lineStart = {lineStart.x - up.x * lineFeed, lineStart.y - up.y * lineFeed};
                at = {at.x - up.x * lineFeed, at.y - up.y * lineFeed};
            } else if (c == '\b') {
                at = {at.x - run.x * advance, at.y - run.y * advance};
            } else if (c >= 32) {
                if (c != ' ') {
                    const Point right{at.x + run.x * charWidth_, at.y + run.y * charWidth_};
                    const Point top{right.x + up.x * charHeight_, right.y + up.y * charHeight_};
                    Polygon({at,
                             right,
                             top,
                             {at.x + up.x * charHeight_, at.y + up.y * charHeight_},
                             at});
                }
                at = {at.x + run.x * advance, at.y + run.y * advance};
            }
        }
        if (Reasonable(at, command_)) current_ = at;
        lineOpen_ = false;
    }

    // ---- Polyline encoding ----------------------------------------------------------------

    // PE: flags and base-64 (or base-32) numbers, least significant digit first, the sign in the
    // lowest bit, up to the terminator ";".
    void Encoded() {
        enum class Expect { Coordinate, Pen, Fraction } expect = Expect::Coordinate;
        bool sevenBit = false, nextUp = false, nextAbsolute = false, haveX = false;
        double unit = 1;  // what one step of an encoded number is worth: 2^-fraction bits
        double x = 0;
        std::uint64_t value = 0, weight = 1;
        int digits = 0;
        std::size_t numberStart = pos_;
        while (!stopped_ && !AtEnd()) {
            const std::uint8_t b = Byte();
            if (b == ';') {
                ++pos_;
                break;
            }
            if (b == kEsc) break;
            int digit = -1;
            bool last = false;
            if (sevenBit) {
                if (b >= 63 && b <= 94) digit = b - 63;
                if (b >= 95 && b <= 126) digit = b - 95, last = true;
            } else {
                if (b >= 63 && b <= 126) digit = b - 63;
                if (b >= 191 && b <= 254) digit = b - 191, last = true;
            }
            if (digit < 0) {
                if (digits > 0 && b > ' ') {
                    Damage(rid::kHpglPreviewBadEncoded, pos_);
                    break;
                }
                if (b == ':') expect = Expect::Pen;
                if (b == '<') nextUp = true;
                if (b == '>') expect = Expect::Fraction;
                if (b == '=') nextAbsolute = true;
                if (b == '7') sevenBit = true;
                ++pos_;
                continue;
            }
            if (digits == 0) numberStart = pos_;
            ++pos_;
            if (++digits > 8) {
                Damage(rid::kHpglPreviewBadEncoded, numberStart);
                break;
            }
            value += static_cast<std::uint64_t>(digit) * weight;
            weight *= sevenBit ? 32 : 64;
            if (!last) continue;
            const double number =
                (value & 1) ? -static_cast<double>(value >> 1) : static_cast<double>(value >> 1);
            value = 0;
            weight = 1;
            digits = 0;
            if (expect == Expect::Pen) {
                pen_ = static_cast<int>(std::clamp(number, 0.0, 1e6));
                lineOpen_ = false;
            } else if (expect == Expect::Fraction) {
                unit = std::ldexp(1.0, -static_cast<int>(std::clamp(number, 0.0, 26.0)));
            } else if (!haveX) {
                x = number * unit;
                haveX = true;
                continue;
            } else {
                const double y = number * unit;
                const Point delta = ToPluDelta({x, y});
                const Point target = nextAbsolute
                                         ? ToPlu({x, y})
                                         : Point{current_.x + delta.x, current_.y + delta.y};
                penDown_ = !nextUp;
                MoveTo(target);
                haveX = nextUp = nextAbsolute = false;
            }
            expect = Expect::Coordinate;
        }
    }

    // ---- Escapes and the languages around HP-GL/2 -----------------------------------------

    void Escape() {
        const std::size_t start = pos_++;
        if (AtEnd()) return;
        const std::uint8_t kind = Byte();
        if (kind == '.') {
            // A device-control instruction of older plotters: ESC . letter [numbers] [:].
            pos_ = std::min(bytes_.size(), pos_ + 2);
            std::size_t limit = 64;
            while (!AtEnd() && limit-- > 0 &&
                   ((Byte() >= '0' && Byte() <= '9') || Byte() == ';' || Byte() == ' ')) {
                ++pos_;
            }
            if (!AtEnd() && Byte() == ':') ++pos_;
            return;
        }
        if (kind >= 0x30 && kind <= 0x7e) {
            ++pos_;
            if (kind == 'E') pcl_ = true;  // a printer reset returns to PCL
            return;
        }
        if (kind < 0x21 || kind > 0x2f) {
            Damage(rid::kHpglPreviewBadEscape, start);
            return;
        }
        ++pos_;
        std::uint8_t group = 0;
        if (!AtEnd() && Byte() >= 0x60 && Byte() <= 0x7e) group = Byte(), ++pos_;
        for (int parameters = 0; parameters < 64; ++parameters) {
            bool negative = false;
            if (!AtEnd() && (Byte() == '+' || Byte() == '-')) negative = Byte() == '-', ++pos_;
            double number = 0;
            int digits = 0;
            while (!AtEnd() && ((Byte() >= '0' && Byte() <= '9') || Byte() == '.')) {
                if (Byte() != '.') number = number * 10 + (Byte() - '0');
                ++pos_;
                if (++digits > kMaxDigits) {
                    Damage(rid::kHpglPreviewBadEscape, start);
                    return;
                }
            }
            if (negative) number = -number;
            if (AtEnd()) return;
            const std::uint8_t end = Byte();
            const bool final = end >= 0x40 && end <= 0x5e;
            if (!final && !(end >= 0x60 && end <= 0x7e)) {
                Damage(rid::kHpglPreviewBadEscape, start);
                return;
            }
            ++pos_;
            const char letter = Upper(end);
            if (kind == '%' && group == 0) {
                if (letter == 'X' && number == -12345) {
                    Pjl();
                    return;
                }
                if (letter == 'A') pcl_ = true;
                if (letter == 'B') pcl_ = false;
            } else if (letter == 'W' || (letter == 'V' && kind == '*' && group == 'b') ||
                       (letter == 'X' && kind == '&' && group == 'p')) {
                // Binary data follows (raster rows, fonts, transparent bytes).
                const double skip = std::clamp(number, 0.0, static_cast<double>(bytes_.size()));
                pos_ = std::min(bytes_.size(), pos_ + static_cast<std::size_t>(skip));
            }
            if (final) return;
        }
        Damage(rid::kHpglPreviewBadEscape, start);
    }

    // After the universal exit: job-control lines, one of which may choose the language.
    void Pjl() {
        while (!AtEnd()) {
            while (!AtEnd() && IsBlank(Byte())) ++pos_;
            if (bytes_.size() - pos_ < 4) return;
            const auto* at = reinterpret_cast<const char*>(bytes_.data() + pos_);
            if (!(at[0] == '@' && Upper(at[1]) == 'P' && Upper(at[2]) == 'J' &&
                  Upper(at[3]) == 'L'))
                return;
            const void* newline = std::memchr(at, '\n', bytes_.size() - pos_);
            const std::size_t length =
                newline == nullptr
                    ? bytes_.size() - pos_
                    : static_cast<std::size_t>(static_cast<const char*>(newline) - at);
            std::string line(at, length);
            for (char& c : line) c = Upper(static_cast<std::uint8_t>(c));
            if (line.find("ENTER") != std::string::npos &&
                line.find("LANGUAGE") != std::string::npos) {
                const std::size_t equals = line.find('=');
                const std::size_t name = equals == std::string::npos
                                             ? std::string::npos
                                             : line.find_first_not_of(" \t", equals + 1);
                pcl_ = name == std::string::npos || line.compare(name, 4, "HPGL") != 0;
            }
            pos_ += length;
        }
    }

    void PclStep() {
        const void* escape = std::memchr(bytes_.data() + pos_, kEsc, bytes_.size() - pos_);
        if (escape == nullptr) {
            pos_ = bytes_.size();
            return;
        }
        pos_ = static_cast<std::size_t>(static_cast<const std::uint8_t*>(escape) - bytes_.data());
        Escape();
    }

    // ---- Commands -------------------------------------------------------------------------

    void Reset(bool initialise) {
        if (initialise) {
            pen_ = 1;
            penDown_ = false;
            current_ = {0, 0};
            rotation_ = 0;
            p1_ = {0, 0};
            p2_ = {kDefaultP2X, kDefaultP2Y};
            lineOpen_ = false;
            polygonMode_ = false;
            polygon_.clear();
            polygonPoints_ = 0;
        }
        absolute_ = true;
        scaled_ = false;
        scaleCount_ = 0;
        terminator_ = kEtx;
        charWidth_ = kDefaultCharWidth;
        charHeight_ = kDefaultCharHeight;
        direction_ = {1, 0};
    }

    void HpglStep() {
        while (!AtEnd() && IsCommandSeparator(Byte())) ++pos_;
        if (AtEnd()) return;
        const std::uint8_t first = Byte();
        if (first == kEsc) {
            Escape();
            return;
        }
        if (!IsLetter(first)) {
            Damage(rid::kHpglPreviewBadByte, pos_);
            return;
        }
        if (pos_ + 1 >= bytes_.size()) {
            pos_ = bytes_.size();  // a plot cut off in its last mnemonic
            return;
        }
        if (!IsLetter(bytes_[pos_ + 1])) {
            Damage(rid::kHpglPreviewBadByte, pos_ + 1);
            return;
        }
        command_ = pos_;
        const int mnemonic = Mnemonic(Upper(first), Upper(bytes_[pos_ + 1]));
        pos_ += 2;
        if (Command(mnemonic)) ++out_.commands;
    }

    // Carries out one command; false for one outside the subset, which is skipped.
    bool Command(int mnemonic) {
        switch (mnemonic) {
            case Mnemonic('I', 'N'):
                Reset(true);
                SkipCommand();
                break;
            case Mnemonic('D', 'F'):
                Reset(false);
                SkipCommand();
                break;
            case Mnemonic('S', 'P'): {
                double pen = 0;
                pen_ = NextParameter(pen) ? static_cast<int>(std::clamp(pen, 0.0, 1e6)) : 0;
                lineOpen_ = false;
                EndCommand();
                break;
            }
            case Mnemonic('P', 'U'):
                penDown_ = false;
                lineOpen_ = false;
                Coordinates();
                break;
            case Mnemonic('P', 'D'):
                penDown_ = true;
                Coordinates();
                break;
            case Mnemonic('P', 'A'):
                absolute_ = true;
                Coordinates();
                break;
            case Mnemonic('P', 'R'):
                absolute_ = false;
                Coordinates();
                break;
            case Mnemonic('P', 'E'):
                Encoded();
                break;
            case Mnemonic('C', 'I'):
                Circle();
                break;
            case Mnemonic('A', 'A'):
                ArcCommand(false);
                break;
            case Mnemonic('A', 'R'):
                ArcCommand(true);
                break;
            case Mnemonic('E', 'A'):
                Rectangle(false, false);
                break;
            case Mnemonic('R', 'A'):
                Rectangle(false, true);
                break;
            case Mnemonic('E', 'R'):
                Rectangle(true, false);
                break;
            case Mnemonic('R', 'R'):
                Rectangle(true, true);
                break;
            case Mnemonic('P', 'M'):
                PolygonModeCommand();
                break;
            case Mnemonic('F', 'P'):
                StorePolygon(true);
                break;
            case Mnemonic('E', 'P'):
                StorePolygon(false);
                break;
            case Mnemonic('S', 'C'):
                ScaleCommand();
                break;
            case Mnemonic('I', 'P'):
                InputPoints();
                break;
            case Mnemonic('P', 'S'):
                PlotSize();
                break;
            case Mnemonic('R', 'O'):
                Rotate();
                break;
            case Mnemonic('L', 'B'):
                Label(true);
                break;
            case Mnemonic('B', 'L'):
                Label(false);
                break;
            case Mnemonic('D', 'T'):
                DefineTerminator();
                break;
            case Mnemonic('S', 'I'):
                CharacterSize(false);
                break;
            case Mnemonic('S', 'R'):
                CharacterSize(true);
                break;
            case Mnemonic('D', 'I'):
                Direction();
                break;
            case Mnemonic('D', 'R'):
                Direction();
                break;
            case Mnemonic('S', 'M'):
                // Symbol mode takes one character, which may be any printable one.
                if (!AtEnd() && Byte() != ';' && Byte() > ' ') ++pos_;
                EndCommand();
                break;
            default:
                SkipCommand();
                return false;
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    const HpglLimits& limits_;
    HpglPlot& out_;
    std::size_t pos_ = 0;
    std::size_t command_ = 0;  // where the command being carried out starts
    bool stopped_ = false;
    bool pcl_ = false;

    int pen_ = 1;
    bool penDown_ = false;
    bool absolute_ = true;
    Point current_;
    int rotation_ = 0;
    Point p1_, p2_;
    bool scaled_ = false;
    double scale_[7] = {};
    int scaleCount_ = 0;
    double ax_ = 1, bx_ = 0, ay_ = 1, by_ = 0;
    std::uint8_t terminator_ = kEtx;
    double charWidth_ = kDefaultCharWidth;
    double charHeight_ = kDefaultCharHeight;
    Point direction_{1, 0};

    bool lineOpen_ = false;
    Point lineEnd_;
    bool polygonMode_ = false;
    bool subpathEnded_ = true;
    std::vector<std::vector<Point>> polygon_;  // rotated plotter units
    std::size_t polygonPoints_ = 0;
    std::size_t arcSteps_ = 0;
    std::size_t labelCharacters_ = 0;
};

}  // namespace

HpglPlot InterpretHpgl(std::span<const std::uint8_t> plot, const HpglLimits& limits) {
    HpglPlot result;
    result.fillWork = limits.maxFillWork;
    Interpreter(plot, limits, result).Run();
    return result;
}

}  // namespace kestrum
