// The configuration pages as the user meets them: switching between two shown pages (one frame
// is 16 ms), and loading a configuration with every pen and colour row set into the shown pages
// (target 50 ms). Runs on the offscreen platform unless another is chosen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <string>

#include "config/configuration_file.h"
#include "config/option_state.h"
#include "desktop/pages/option_page_widgets.h"
#include "platform/private_profile.h"

namespace kestrum {
namespace {

struct ShownPages {
    ShownPages() : state(Unit::Metric, PrinterType::Velmar) {
        widgets = CreateOptionPageWidgets(state, settings, messages, &stack);
        for (OptionPageWidget* page : widgets.All()) stack.addWidget(page);
        stack.show();
        QApplication::processEvents();
    }

    QTemporaryDir folder;
    std::filesystem::path settings = (folder.path() + "/kestrum.ini").toStdString();
    CollectingMessageSink messages;
    OptionState state;
    QStackedWidget stack;
    OptionPageWidgets widgets{};
};

void BM_SwitchPage(benchmark::State& run) {
    ShownPages pages;
    int next = 0;
    for (auto _ : run) {
        next = (next + 1) % pages.stack.count();
        pages.stack.setCurrentIndex(next);
        pages.stack.repaint();  // painted now, as the next frame would
    }
}
BENCHMARK(BM_SwitchPage)->Unit(benchmark::kMillisecond);

void BM_LoadConfigurationIntoShownPages(benchmark::State& run) {
    ShownPages pages;
    const std::filesystem::path file = (pages.folder.path() + "/full.cfg").toStdString();
    CUserObject& v = pages.state.values;
    for (int pen = 0; pen < kPenCount; ++pen) {
        for (auto* table : {&v.hpglPens, &v.calcompPens}) {
            PenParms& p = (*table)[static_cast<std::size_t>(pen)];
            p.width = std::to_string(pen + 1);
            p.lineEnd = "Round";
            p.lineJoin = "Miter";
            p.grayLevel = "50";
            p.opaque = "Enable";
            p.lineUpper = "Disable";
        }
    }
    for (int row = 0; row < kColourCount; ++row) {
        ACPenParms& c = v.colourTable[static_cast<std::size_t>(row)];
        c.pen = std::to_string(row % 15 + 1);
        c.width = std::to_string(250 + row);
        c.style = std::to_string(row % 9);
    }
    if (!SaveAll(pages.state, file, pages.messages)) run.SkipWithError("cannot save");
    pages.stack.setCurrentWidget(pages.widgets.hpgl);
    for (auto _ : run) {
        profile::Forget(file);  // read from the disk, as an Open does
        pages.state.values.currentConfiguration = file.string();
        LoadAll(pages.state, pages.messages);
        for (OptionPageWidget* page : pages.widgets.All()) page->Push();
        pages.stack.repaint();
    }
}
BENCHMARK(BM_LoadConfigurationIntoShownPages)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
