#include "render/drawing_rendering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fake_spooler.h"
#include "launch/delivery_worker.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

// The renderer as built beside the tests; the binding is exercised through its real dlopen.
const RendererBinding& Renderer() {
    static const RendererBinding binding = RendererBinding::FromFile(KESTRUM_RENDERER_FILE);
    return binding;
}

// A square of side 100 with a diagonal, on layer 0 in colour 1.
constexpr std::string_view kSquare =
    "0\nSECTION\n2\nENTITIES\n"
    "0\nLWPOLYLINE\n8\n0\n62\n1\n90\n4\n70\n1\n10\n0\n20\n0\n10\n100\n20\n0\n10\n100\n20\n100\n"
    "10\n0\n20\n100\n"
    "0\nLINE\n8\n0\n62\n1\n10\n0\n20\n0\n11\n100\n21\n100\n"
    "0\nENDSEC\n0\nEOF\n";

struct Bounds {
    int left = PreviewBitmap::kWidth, top = PreviewBitmap::kHeight, right = -1, bottom = -1;
};

Bounds InkBounds(const PreviewBitmap& picture) {
    Bounds bounds;
    for (int y = 0; y < PreviewBitmap::kHeight; ++y) {
        for (int x = 0; x < PreviewBitmap::kWidth; ++x) {
            if (!picture.Ink(x, y)) continue;
            bounds.left = std::min(bounds.left, x);
            bounds.right = std::max(bounds.right, x);
            bounds.top = std::min(bounds.top, y);
            bounds.bottom = std::max(bounds.bottom, y);
        }
    }
    return bounds;
}

class DrawingRenderingTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Renderer().available()) << KESTRUM_RENDERER_FILE;
        test::WriteFile(drawing, std::string(kSquare));
    }
    // The configuration's scale as a loaded page shows it.
    void Scale(const std::string& plotScale) {
        state.values.autocad.plotScale = plotScale;
        state.autocad.Refresh(state.values.autocad);
    }

    test::TempFolder folder;
    const std::string drawing = (folder / "square.dxf").string();
    OptionState state{Unit::English};
};

TEST_F(DrawingRenderingTest, PreviewIsAlwaysFittedWhateverTheScale) {
    for (const std::string& scale :
         {std::string("1:1000"), std::string("1000:1"), Text(rid::kAcadFitText)}) {
        Scale(scale);
        Result<PreviewBitmap> picture = RenderPreview(Renderer(), state, drawing);
        ASSERT_TRUE(picture.ok()) << picture.error().message;
        // A square fills the square picture edge to edge in both directions.
        const Bounds ink = InkBounds(picture.value());
        EXPECT_LE(ink.left, 2) << scale;
        EXPECT_GE(ink.right, PreviewBitmap::kWidth - 3) << scale;
        EXPECT_LE(ink.top, 2) << scale;
        EXPECT_GE(ink.bottom, PreviewBitmap::kHeight - 3) << scale;
        // The diagonal runs from the lower left to the upper right: y points up on the picture.
        EXPECT_TRUE(picture.value().Ink(ink.right - 1, ink.top + 1) ||
                    picture.value().Ink(ink.right - 2, ink.top + 2));
        EXPECT_FALSE(picture.value().Ink(ink.left + 150, ink.bottom - 100));
    }
}

TEST_F(DrawingRenderingTest, PreviewOfSomethingElseSaysItIsNotADrawing) {
    test::WriteFile(folder / "notes.txt", "hello\n");
    Result<PreviewBitmap> picture =
        RenderPreview(Renderer(), state, (folder / "notes.txt").string());
    ASSERT_FALSE(picture.ok());
    EXPECT_TRUE(picture.error().message.starts_with(
        std::string(LoadResourceString(rid::kPreviewNotDrawingMessage))));
    EXPECT_NE(picture.error().message.find("notes.txt"), std::string::npos);
}

// A drawing in a launch list with a configuration of its own goes out rendered with that
// configuration's colour table, while the worker's current settings are left as they were.
TEST_F(DrawingRenderingTest, WorkerRendersWithTheEntrysOwnConfiguration) {
    const auto config = folder / "pens.cfg";
    test::WriteFile(config, "[" + Text(rid::kAcadSection) + "]\n" + Text(rid::kAcadPaperSizeKey) +
                                "=X1100 Y850\n[" + Text(rid::kAcadColourSectionPrefix) + "1]\n" +
                                Text(rid::kAcadColourPenKey) + "=6\n");
    test::FakeSpooler spooler({"plotter"});
    RunStateCell runState{RunState::Running};
    DeliveryObserver observer;
    CollectingMessageSink messages;
    FixedClock clock{LocalTime{2026, 12, 7, 10, 0, 0}};
    DeliverySettings settings;
    settings.printers = {"plotter"};
    settings.printerType = PrinterType::Generic;
    PlotFileEntry entry;
    entry.filePath = drawing;
    entry.configuration = config.string();
    LibraryDrawingRenderer renderer(Renderer());
    DeliveryWorker worker(spooler, OptionState(Unit::English), {entry}, settings, runState,
                          observer, messages, clock);
    worker.SetDrawingRenderer(&renderer);
    ASSERT_EQ(worker.Run().outcome, DeliveryOutcome::Completed);
    ASSERT_EQ(spooler.jobs().size(), 1u);
    const std::string& sent = spooler.jobs()[0].bytes;
    EXPECT_TRUE(sent.starts_with("IN;")) << sent.substr(0, 40);
    EXPECT_NE(sent.find("SP6;"), std::string::npos);
    EXPECT_EQ(sent.find("0\nSECTION"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(worker.entries()[0].renderedFile));
    EXPECT_TRUE(messages.messages().empty());
}

}  // namespace
}  // namespace kestrum
