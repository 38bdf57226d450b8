#pragma once

// MLINE: parallel element lines along a run of vertices, with caps, joints and a fill that its
// style (an MLINESTYLE object) asks for. Styles live in the OBJECTS section at the end of the
// file, after every entity that uses them, so an MLINE is read first and drawn once its style
// is known.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plugins/acadhpgl/drawing.h"
#include "plugins/acadhpgl/dxf_fields.h"

namespace acadhpgl {

struct MultiLineStyle {
    // Flags of group 70.
    static constexpr int kFill = 1;
    static constexpr int kJoints = 2;
    static constexpr int kStartLine = 16;
    static constexpr int kStartInnerArcs = 32;
    static constexpr int kStartOuterArc = 64;
    static constexpr int kEndLine = 256;
    static constexpr int kEndInnerArcs = 512;
    static constexpr int kEndOuterArc = 1024;

    int flags = 0;
    int fillColour = kColourByLayer;
    std::vector<int> elementColours;  // in the order the MLINE lists its elements
};

// The MLINESTYLE objects of a file, found by handle or, failing that, by name.
class MultiLineStyles {
  public:
    void Define(DxfFields& style);
    // The style an MLINE names; nullptr when the file does not hold it.
    const MultiLineStyle* Find(std::string_view handle, std::string_view name) const;

  private:
    std::vector<MultiLineStyle> styles_;
    std::unordered_map<std::string, std::size_t> byHandle_;
    std::unordered_map<std::string, std::size_t> byName_;
};

// One MLINE record as the file gives it.
struct MultiLine {
    struct Element {
        double offset = 0;  // along the vertex's mitre
        // Where the element is broken, from the offset point along the segment: drawn from the
        // first to the second, from the third to the fourth, ..., the last to the segment's end.
        std::vector<double> stretches;
    };
    struct Vertex {
        Point at;
        Point direction;  // of the segment that starts here
        Point mitre;
        std::vector<Element> elements;
    };
    std::vector<Vertex> vertices;
    bool closed = false;
    bool startCaps = true;
    bool endCaps = true;
    std::string styleHandle;
    std::string styleName;
};

// The record's vertices and elements; nullopt when it has nothing to draw or bad numbers.
std::optional<MultiLine> ReadMultiLine(DxfFields& fields);

struct ColouredShape {
    Shape shape;
    std::optional<int> colour;  // nullopt: the MLINE's own colour
};

// The fill first (it would cover the lines), then the element lines, joints and caps. A
// missing style draws the element lines only, as the default style does.
std::vector<ColouredShape> MultiLineShapes(const MultiLine& line, const MultiLineStyle* style);

}  // namespace acadhpgl
