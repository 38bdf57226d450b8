#include "render/render_parameters.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "render/drawing_rendering.h"
#include "render/renderer_binding.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

// A little-endian field of the record read at its byte offset, as a third-party renderer sees it.
template <typename T>
T At(const AcadRenderRecord& record, std::size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const char*>(&record) + offset, sizeof value);
    return value;
}

struct ExportTest : testing::Test {
    OptionState state{Unit::English};
    RenderParameters parameters;

    // The values as a loaded configuration holds them: the page shows them before the export
    // takes them back, as after a load.
    const AcadRenderRecord& Export(void (*change)(AutoCadOptions&)) {
        change(state.values.autocad);
        state.autocad.Refresh(state.values.autocad);
        EXPECT_TRUE(ExportRenderParameters(state, parameters).ok());
        return parameters.record();
    }
};

TEST_F(ExportTest, CustomPaperRatioAndOffsetsLandAtTheirOffsets) {
    state.values.colourTable[0] = {.pen = "5", .width = "350", .style = "2"};
    state.values.colourTable[255] = {"", "", ""};
    const AcadRenderRecord& record = Export([](AutoCadOptions& v) {
        v.paperSize = "X3400 Y2200";
        v.marginA = "40";
        v.marginB = "60";
        v.marginC = "100";
        v.plotChoice = "2";
        v.outputChoice = Text(rid::kAcadOutputAlternateEntry);
        v.plotScale = "1.5:48";
        v.offsetX = "2.5";
        v.offsetY = "-1.25";
    });
    EXPECT_EQ(At<std::int32_t>(record, 4), 60);     // x0 = MarginB
    EXPECT_EQ(At<std::int32_t>(record, 8), 40);     // y0 = MarginA
    EXPECT_EQ(At<std::int32_t>(record, 12), 3300);  // paper x - MarginC
    EXPECT_EQ(At<std::int32_t>(record, 16), 2100);  // paper y - MarginC
    EXPECT_EQ(At<std::int32_t>(record, 20), 3400);
    EXPECT_EQ(At<std::int32_t>(record, 24), 2200);
    EXPECT_EQ(At<std::uint8_t>(record, 32), 2);
    EXPECT_EQ(At<std::int16_t>(record, 36), ACADHPGL_SCALE_RATIO);
    EXPECT_EQ(At<std::int16_t>(record, 38), ACADHPGL_PAPER_CUSTOM);
    EXPECT_EQ(At<double>(record, 40), 1.5);
    EXPECT_EQ(At<double>(record, 48), 48.0);
    EXPECT_EQ(At<double>(record, 56), -2.5);  // x negated
    EXPECT_EQ(At<double>(record, 64), -1.25);
    // Colour 1: width, style, pen.
    EXPECT_EQ(At<std::int16_t>(record, 72), 350);
    EXPECT_EQ(At<std::int16_t>(record, 74), 2);
    EXPECT_EQ(At<std::int16_t>(record, 76), 5);
    // Colour 256 with empty fields: all 0.
    EXPECT_EQ(At<std::int16_t>(record, 72 + 255 * 6), 0);
    EXPECT_EQ(At<std::int16_t>(record, 76 + 255 * 6), 0);
    EXPECT_EQ(At<std::int32_t>(record, 1608), 1);
    EXPECT_EQ(At<std::int32_t>(record, 1612), 0);
    EXPECT_EQ(At<char>(record, 1616), '\0');
    // Fields that only the caller fills, and the unused bytes, stay zero.
    EXPECT_EQ(At<std::int16_t>(record, 1876), 0);
    EXPECT_EQ(At<std::int32_t>(record, 2140), 0);
    EXPECT_EQ(At<std::int32_t>(record, 28), 0);
    EXPECT_EQ(At<std::uint8_t>(record, 33), 0);
    for (std::size_t offset = 2144; offset < 2404; ++offset) {
        ASSERT_EQ(At<std::uint8_t>(record, offset), 0) << offset;
    }
}

TEST_F(ExportTest, FitFollowsTheAreaChoice) {
    const AcadRenderRecord& limits = Export([](AutoCadOptions& v) {
        v.plotScale = Text(rid::kAcadExportFitText);
        v.areaChoice = Text(rid::kAcadAreaLimitsEntry);
    });
    EXPECT_EQ(limits.scaleMode, ACADHPGL_SCALE_FIT);
    EXPECT_EQ(limits.fitSubMode, ACADHPGL_REGION_LIMITS);

    const AcadRenderRecord& display = Export([](AutoCadOptions& v) {
        v.plotScale = Text(rid::kAcadExportFitText);
        v.areaChoice = Text(rid::kAcadAreaDisplayEntry);
    });
    EXPECT_EQ(display.fitSubMode, ACADHPGL_REGION_EXTENTS);
}

TEST_F(ExportTest, PaperThatFollowsTheDrawingHasNoSize) {
    const AcadRenderRecord& record = Export([](AutoCadOptions& v) {
        v.paperSize = Text(rid::kAcadAreaExtentsEntry);
        v.areaChoice = Text(rid::kAcadAreaExtentsEntry);
        v.plotScale = "1:1";  // a fitted plot needs a paper size
        v.marginC = "50";
    });
    EXPECT_EQ(record.paperMode, ACADHPGL_PAPER_EXTENTS);
    EXPECT_EQ(record.paperX, 0);
    EXPECT_EQ(record.areaX1, -50);
}

TEST_F(ExportTest, DamagedNumbersStayWithinTheirFields) {
    state.values.colourTable[3] = {.pen = "99999999", .width = "-70000", .style = "pen"};
    const AcadRenderRecord& record = Export([](AutoCadOptions& v) {
        v.paperSize = "X99999999999 Y";
        v.plotScale = "nan:inf";
        v.offsetX = "1e999";
    });
    EXPECT_EQ(record.paperX, INT32_MAX);
    EXPECT_EQ(record.paperY, 0);
    EXPECT_EQ(record.plottedUnits, 0.0);
    EXPECT_EQ(record.drawingUnits, 0.0);
    EXPECT_EQ(record.offsetX, 0.0);
    EXPECT_EQ(record.colours[3].pen, INT16_MAX);
    EXPECT_EQ(record.colours[3].width, INT16_MIN);
    EXPECT_EQ(record.colours[3].style, 0);
}

TEST_F(ExportTest, ReferenceFoldersReachTheRendererAsZeroEndedPaths) {
    state.references = {"/plots/xrefs", "", "/shared/blocks"};
    Export([](AutoCadOptions&) {});
    const int fd = parameters.record().referenceList;
    ASSERT_GT(fd, 0);
    char contents[64] = {};
    const ssize_t got = ::pread(fd, contents, sizeof contents, 0);
    EXPECT_EQ(std::string(contents, static_cast<std::size_t>(got)),
              std::string("/plots/xrefs\0/shared/blocks\0", 28));

    state.references.clear();
    Export([](AutoCadOptions&) {});
    EXPECT_EQ(parameters.record().referenceList, 0);
}

TEST(RenderParametersTest, APathThatDoesNotFitIsRefusedRatherThanCut) {
    RenderParameters parameters;
    EXPECT_TRUE(parameters.SetDrawingPath(std::string(259, 'a')).ok());
    EXPECT_FALSE(parameters.SetDrawingPath(std::string(260, 'a')).ok());
    EXPECT_EQ(std::string(parameters.record().drawingPath).size(), 259u);
}

TEST(RendererBindingTest, MissingLibraryOrEntryPointLeavesRenderingUnavailable) {
    EXPECT_FALSE(RendererBinding::FromFile("/nonexistent/libacadhpgl.so").available());
    EXPECT_FALSE(RendererBinding::FromFile("libm.so.6").available());
    test::TempFolder folder;
    const auto garbage = folder.path() / "libacadhpgl.so";
    test::WriteFile(garbage, "not a library");
    EXPECT_FALSE(RendererBinding::FromFile(garbage.string()).available());

    const RendererBinding unavailable;
    EXPECT_FALSE(IsDrawingToRender(unavailable, garbage.string()));
    OptionState state(Unit::English);
    EXPECT_FALSE(RenderPreview(unavailable, state, garbage.string()).ok());
}

}  // namespace
}  // namespace kestrum
