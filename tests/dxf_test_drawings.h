#pragma once

// Small DXF drawings for tests, written compactly as text.
//
// A pair is one line "code value": "0 LINE", "8 WALLS", "10 2.5". The value is everything after
// the first blank behind the code, so it may be empty or hold blanks ("1 two words"). Pairs()
// turns such lines into the two-line form of a DXF file; DxfDrawing() wraps records into whole
// sections. The record helpers below write the common entities, so a test reads like
//
//     const std::string dxf = MinimalDxf(LineRecord(0, 0, 10, 0) + CircleRecord(5, 5, 2, "HOLES"));
//
// and a record the helpers lack is written out by hand:
//
//     MinimalDxf("0 ARC\n8 0\n10 0\n20 0\n40 5\n50 0\n51 90\n");

#include <cstdio>
#include <string>
#include <string_view>

namespace acadhpgl::test {

// "code value" lines as DXF text ("code\nvalue\n" each). Blank lines are skipped.
inline std::string Pairs(std::string_view compact) {
    std::string out;
    while (!compact.empty()) {
        const std::size_t end = compact.find('\n');
        std::string_view line = compact.substr(0, end);
        compact = end == std::string_view::npos ? std::string_view() : compact.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty()) continue;
        const std::size_t blank = line.find(' ');
        out.append(line.substr(0, blank)).append("\n");
        if (blank != std::string_view::npos) out.append(line.substr(blank + 1));
        out.append("\n");
    }
    return out;
}

// A number as a pair value: as short as it can be and still exact.
inline std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The compact contents of a drawing's sections; an empty part leaves its section out.
struct DxfParts {
    std::string header{};    // header variables: "9 $INSUNITS\n70 4\n"
    std::string layers{};    // LAYER records (LayerRecord), put into a LAYER table
    std::string blocks{};    // BLOCK ... ENDBLK records (BlockRecord)
    std::string entities{};  // entity records
};

// A whole ASCII drawing: HEADER, TABLES, BLOCKS and ENTITIES as far as they have content (the
// entities section always), then EOF.
inline std::string DxfDrawing(const DxfParts& parts) {
    std::string compact;
    auto section = [&](std::string_view name, const std::string& body) {
        compact.append("0 SECTION\n2 ").append(name).append("\n").append(body);
        if (!body.empty() && body.back() != '\n') compact += '\n';
        compact.append("0 ENDSEC\n");
    };
    if (!parts.header.empty()) section("HEADER", parts.header);
    if (!parts.layers.empty()) {
        section("TABLES", "0 TABLE\n2 LAYER\n" + parts.layers + "\n0 ENDTAB\n");
    }
    if (!parts.blocks.empty()) section("BLOCKS", parts.blocks);
    section("ENTITIES", parts.entities);
    compact.append("0 EOF\n");
    return Pairs(compact);
}

// A drawing of nothing but these entity records.
inline std::string MinimalDxf(std::string_view entities) {
    return DxfDrawing({.entities = std::string(entities)});
}

inline std::string LayerRecord(std::string_view name, int colour, int flags = 0) {
    return "0 LAYER\n2 " + std::string(name) + "\n70 " + std::to_string(flags) + "\n62 " +
           std::to_string(colour) + "\n";
}

// A block definition holding the entity records `entities`. flags 4 with `path` makes it an
// external reference.
inline std::string BlockRecord(std::string_view name, double baseX, double baseY,
                               std::string_view entities, int flags = 0,
                               std::string_view path = {}) {
    std::string out = "0 BLOCK\n8 0\n2 " + std::string(name) + "\n70 " + std::to_string(flags) +
                      "\n10 " + Number(baseX) + "\n20 " + Number(baseY) + "\n";
    if (!path.empty()) out += "1 " + std::string(path) + "\n";
    out += entities;
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out + "0 ENDBLK\n8 0\n";
}

inline std::string LineRecord(double x0, double y0, double x1, double y1,
                              std::string_view layer = "0") {
    return "0 LINE\n8 " + std::string(layer) + "\n10 " + Number(x0) + "\n20 " + Number(y0) +
           "\n11 " + Number(x1) + "\n21 " + Number(y1) + "\n";
}

inline std::string CircleRecord(double x, double y, double radius, std::string_view layer = "0") {
    return "0 CIRCLE\n8 " + std::string(layer) + "\n10 " + Number(x) + "\n20 " + Number(y) +
           "\n40 " + Number(radius) + "\n";
}

inline std::string InsertRecord(std::string_view block, double x, double y,
                                std::string_view layer = "0") {
    return "0 INSERT\n8 " + std::string(layer) + "\n2 " + std::string(block) + "\n10 " + Number(x) +
           "\n20 " + Number(y) + "\n";
}

inline std::string TextRecord(double x, double y, double height, std::string_view text,
                              std::string_view layer = "0") {
    return "0 TEXT\n8 " + std::string(layer) + "\n10 " + Number(x) + "\n20 " + Number(y) + "\n40 " +
           Number(height) + "\n1 " + std::string(text) + "\n";
}

}  // namespace acadhpgl::test
