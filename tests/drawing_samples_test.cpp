// Drawings from other projects and programs (tests/data/drawings, see SOURCES.md in that
// folder), rendered as Kestrum renders them: each must plot, say what it left out, and show
// the parts that once went missing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plugins/acadhpgl/acadhpgl.h"
#include "temp_folder.h"
#include "test_support.h"

namespace acadhpgl {
namespace {

struct SampleRow {
    const char* file;
    bool empty;                        // the plot is empty, and the message says so
    std::vector<std::string> hpgl;     // pieces the HP-GL must hold
    std::vector<std::string> leftOut;  // pieces of the message; none: no message at all
    std::size_t strokes = 0;           // pen lifts (PU) in the plot; 0: not counted
};

TEST(DrawingSamplesTest, EachRendersWithTheReportExpected) {
    const SampleRow rows[] = {
        {"AC1003_LINE_Example.dxf", false, {"SP5;", "SP3;"}, {}},
        {"cc_dxflib.dxf", false, {"PD"}, {}},
        {"r12_blocks_with_no_names.dxf", true, {}, {ACADHPGL_EMPTY_PLOT_TEXT}},
        {"mleader.dxf", false, {"LBI am leader too\x03", "FP"}, {}},
        {"hatch.dxf", false, {"PM0;", "FP"}, {}},
        {"ellipse.dxf", false, {"PD"}, {}},
        // The fill first, then element lines in the style's colours 1, 3 and 5.
        {"multiline_styles.dxf", false, {"PM0;", "SP1;", "SP3;", "SP5;"}, {}},
        // The block's attribute value, where the block is drawn.
        {"multileader_block.dxf", false, {"LB12\x03", "LBA note\x03"}, {}},
        // A cube of faces seen from above: its outline and the diagonals of the top and bottom.
        {"threeDFaces.dxf", false, {"PD"}, {}},
        // A mirrored, turned two-by-three array inside a block: six holes, each one stroke
        // (and the closing pen lift).
        {"array-rotated.dxf", false, {"PD"}, {}, 7},
        // The words either side of a 250-character chunk stay apart.
        {"mtext-test.dxf", false, {"cursus lectus", "lobortis eleifend"}, {}},
        // Lines after the end marker are no part of the drawing.
        {"R12_with_trash_beyond_EOF.dxf", false, {"PD"}, {}},
        // Dimension blocks: their texts, and their arrowheads filled.
        {"dimensions.dxf", false, {"LB80.0000\x03", "LB30.0000\x03", "FP"}, {}},
        // Polylines of a tilted plane with constant and tapering widths: filled bands.
        {"POLI-ALL210_12.dxf", false, {"PM0;", "FP"}, {}},
    };
    for (const SampleRow& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path =
            std::string(KESTRUM_SOURCE_DIR) + "/tests/data/drawings/" + row.file;
        kestrum::test::TempFolder folder;
        AcadRenderRecord record;
        std::memset(&record, 0, sizeof record);
        ASSERT_LT(path.size(), sizeof record.drawingPath);
        std::memcpy(record.drawingPath, path.c_str(), path.size() + 1);
        record.outputKind = ACADHPGL_WRITE_HPGL;
        // Colour n with pen n, so that the pens tell the colours apart.
        for (int colour = 1; colour <= 255 && colour <= ACADHPGL_COLOURS; ++colour) {
            record.colours[colour - 1].pen = static_cast<std::int16_t>(colour);
        }
        const int fd = ::open((folder / "out.plt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        record.outputFile = fd;
        EXPECT_EQ(RenderACAD(&record), 0);
        ::close(fd);
        const std::string hpgl = kestrum::test::ReadFile(folder / "out.plt");
        const std::string said = AcadLastMessage();
        EXPECT_EQ(said.starts_with(ACADHPGL_EMPTY_PLOT_TEXT), row.empty) << said;
        if (!row.empty) {
            // Ink: strokes, or labels alone for a drawing of text.
            EXPECT_TRUE(hpgl.find("PD") != std::string::npos ||
                        hpgl.find("LB") != std::string::npos);
        }
        for (const std::string& piece : row.hpgl) {
            EXPECT_NE(hpgl.find(piece), std::string::npos) << piece;
        }
        if (row.strokes != 0) {
            std::size_t lifts = 0;
            for (std::size_t at = hpgl.find("PU"); at != std::string::npos;
                 at = hpgl.find("PU", at + 2)) {
                ++lifts;
            }
            EXPECT_EQ(lifts, row.strokes) << hpgl;
        }
        if (row.leftOut.empty()) {
            EXPECT_EQ(said, "");
        }
        for (const std::string& piece : row.leftOut) {
            EXPECT_NE(said.find(piece), std::string::npos) << said;
        }
    }
}

}  // namespace
}  // namespace acadhpgl
