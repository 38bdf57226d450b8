// The launcher as the user meets it, each figure beside a baseline taken in the same run:
//
//  1. A 10,000-entry launch file opened in the shown launcher (the model's reading, the check
//     for missing files, the list view's rows and the next paint), against the model's reading
//     alone. Target: under 1 s.
//  2. The event loop's longest block while a large file (1 GiB unless --send-mib says otherwise)
//     is sent from the launcher to a hot folder through the modal status window, against the
//     same probe on the idle loop. Target: under 50 ms.
//
// Runs on the offscreen platform unless another is chosen. Usage:
//     kestrum_launcher_bench [--runs N] [--send-mib MIB] [--folder SCRATCH]

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

#include "config/option_state.h"
#include "desktop/launcher_window.h"
#include "launch/launch_file.h"
#include "launch/launch_list.h"
#include "launch/launch_status.h"
#include "platform/clock.h"
#include "platform/hot_folder_spooler.h"
#include "render/renderer_binding.h"
#include "shell/message_sink.h"
#include "shell/printer_selection.h"

namespace kestrum {
namespace {

struct Options {
    int runs = 5;
    long sendMib = 1024;
    std::string folder;  // scratch space; a temporary folder when empty
};

// The core objects a launcher works on, as the main window owns them.
struct Launcher {
    Launcher(const std::filesystem::path& plotFolder, Spooler& spooler)
        : options(Unit::Metric, PrinterType::Velmar) {
        settings.plotFilesFolder = plotFolder.string();
        settings.configFilesFolder = plotFolder.string();
        window = std::make_unique<LauncherWindow>(
            LauncherContext{list, settings, options, printers, ticket, renderer, messages,
                            SendServices{&spooler, &clock, nullptr}});
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
    }

    SystemClock clock;
    LaunchList list;
    ProgramSettings settings;
    OptionState options;
    PrinterSelection printers;
    JobTicket ticket;
    RendererBinding renderer;
    CollectingMessageSink messages;
    std::unique_ptr<LauncherWindow> window;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 ThreadCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Records the longest gap between the ticks of a 1 ms timer: how long the event loop was kept
// from running.
class LoopProbe {
  public:
    LoopProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const qint64 cpu = ThreadCpuNanoseconds();
            if (now - last_ > longest_) {
                longest_ = now - last_;
                longestAt_ = last_;
                longestCpu_ = cpu - lastCpu_;
            }
            lastCpu_ = cpu;
            if (now - last_ > 20'000'000) ++over20_;
            last_ = now;
            ++ticks_;
        });
    }
    void Start() {
        longest_ = 0;
        longestAt_ = 0;
        longestCpu_ = 0;
        lastCpu_ = ThreadCpuNanoseconds();
        over20_ = 0;
        ticks_ = 0;
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    double longestMs() const { return static_cast<double>(longest_) / 1e6; }
    // When the longest block began, in seconds after Start.
    double longestAtSeconds() const { return static_cast<double>(longestAt_) / 1e9; }
    // How much of the longest block the user-interface thread spent running: the rest it was
    // waiting, for a processor or a lock.
    double longestCpuMs() const { return static_cast<double>(longestCpu_) / 1e6; }
    long ticks() const { return ticks_; }
    long blocksOver20Ms() const { return over20_; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 longestAt_ = 0;
    qint64 longestCpu_ = 0;
    qint64 lastCpu_ = 0;
    long over20_ = 0;
    long ticks_ = 0;
};

bool OpenBigLaunchFile(const std::filesystem::path& scratch, HotFolderSpooler& spooler, int runs) {
    const std::filesystem::path plots = scratch / "plots";
    std::filesystem::create_directories(plots);
    std::vector<PlotFileEntry> entries(10000);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // Distinct files that exist, as in a real list: each one is looked for when it opens.
        const std::filesystem::path file = plots / ("sheet" + std::to_string(i) + ".plt");
        std::ofstream(file) << "IN;SP1;PA0,0;PD100,100;PU;";
        entries[i].filePath = file.string();
        entries[i].configuration = (plots / ("plot" + std::to_string(i % 40) + ".cfg")).string();
    }
    const std::filesystem::path list = scratch / "big.lch";
    if (Result<void> written = WriteLaunchFile(list, entries); !written) {
        std::fprintf(stderr, "launcher_bench: %s\n", written.error().message.c_str());
        return false;
    }

    std::vector<double> model, shown;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        {
            LaunchList plain;
            if (!plain.Open(list).ok()) return false;
        }
        model.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        Launcher launcher(plots, spooler);
        timer.restart();
        if (!launcher.window->OpenLaunchFile(QString::fromStdString(list.string()))) return false;
        launcher.window->repaint();
        QApplication::processEvents();
        shown.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (launcher.list.size() != entries.size() || !launcher.messages.messages().empty()) {
            std::fprintf(stderr, "launcher_bench: the list did not open whole\n");
            return false;
        }
    }
    std::printf("%-52s %9.1f ms   (baseline)\n", "10,000-entry launch file, model read alone",
                Median(model));
    std::printf("%-52s %9.1f ms   (target < 1000 ms)\n",
                "10,000-entry launch file, opened and shown", Median(shown));
    std::printf("%-52s %9.1f ms\n", "  of which the window's own share",
                Median(shown) - Median(model));
    return true;
}

bool SendLargeFile(const std::filesystem::path& scratch, const std::filesystem::path& ini,
                   long mib) {
    const std::filesystem::path folder = scratch / "send";
    const std::filesystem::path hot = scratch / "hot";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(hot);
    const std::filesystem::path plot = folder / "large.plt";
    {
        std::ofstream out(plot, std::ios::binary);
        out << "IN;";
    }
    // Sparse: reading it costs no disk, so the figure is the program's, not the input's.
    std::filesystem::resize_file(plot, static_cast<std::uintmax_t>(mib) << 20);

    HotFolderSpooler spooler(ini, {});
    Launcher launcher(folder, spooler);
    if (!launcher.printers.Rebuild(spooler.Printers(), {}).ok() ||
        !launcher.printers.SetChecked(0, true, launcher.settings).ok()) {
        std::fprintf(stderr, "launcher_bench: the hot folder is not a printer\n");
        return false;
    }
    launcher.list.AddEntry(plot.string());
    launcher.window->Refresh();

    LoopProbe probe;
    probe.Start();
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 1000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    probe.Stop();
    const double idleLongest = probe.longestMs();
    const long idleOver20 = probe.blocksOver20Ms();

    // Presses Start once the modal status window is up.
    QTimer starter;
    QObject::connect(&starter, &QTimer::timeout, [&starter] {
        QWidget* status = QApplication::activeModalWidget();
        auto* start = status != nullptr
                          ? status->findChild<QPushButton*>(
                                QStringLiteral("control%1").arg(LaunchStatus::kStartPauseButton))
                          : nullptr;
        if (start == nullptr) return;
        starter.stop();
        start->click();
    });
    starter.start(10);
    QElapsedTimer send;
    probe.Start();
    const qint64 cpuBefore = ThreadCpuNanoseconds();
    send.start();
    launcher.window->Send();  // returns when the modal status window has closed
    const double seconds = static_cast<double>(send.elapsed()) / 1000;
    const double uiCpuMs = static_cast<double>(ThreadCpuNanoseconds() - cpuBefore) / 1e6;
    probe.Stop();

    std::uintmax_t written = 0;
    for (const auto& job : std::filesystem::directory_iterator(hot)) {
        written += job.file_size();
        std::filesystem::remove(job.path());
    }
    std::filesystem::remove(plot);
    if (written < (static_cast<std::uintmax_t>(mib) << 20)) {
        std::fprintf(stderr, "launcher_bench: the hot folder holds %ju bytes, not the file\n",
                     written);
        return false;
    }
    std::printf("%-52s %9.1f ms   (baseline; %ld blocks over 20 ms)\n",
                "event loop's longest block, idle 1 s", idleLongest, idleOver20);
    char label[80];
    std::snprintf(label, sizeof label, "event loop's longest block, sending %ld MiB", mib);
    std::printf("%-52s %9.1f ms   (target < 50 ms)\n", label, probe.longestMs());
    std::printf("%-52s %9.1f ms   (%.2f s into the send; %ld blocks over 20 ms)\n",
                "  of which the user-interface thread ran", probe.longestCpuMs(),
                probe.longestAtSeconds(), probe.blocksOver20Ms());
    std::snprintf(label, sizeof label, "  the send itself (%ld MiB to a hot folder)", mib);
    std::printf("%-52s %9.2f s    (%ld probe ticks)\n", label, seconds, probe.ticks());
    std::printf("%-52s %9.1f ms   (probe included)\n",
                "  user-interface thread's processor time in it", uiCpuMs);
    return true;
}

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    kestrum::Options options;
    for (int i = 1; i < argc; ++i) {
        const bool value = i + 1 < argc;
        if (std::strcmp(argv[i], "--runs") == 0 && value) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--send-mib") == 0 && value) {
            options.sendMib = std::max(1L, std::atol(argv[++i]));
        } else if (std::strcmp(argv[i], "--folder") == 0 && value) {
            options.folder = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: kestrum_launcher_bench [--runs N] [--send-mib MIB] "
                         "[--folder SCRATCH]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir temporary(options.folder.empty()
                                ? QDir::tempPath() + "/kestrum-bench-XXXXXX"
                                : QString::fromStdString(options.folder) + "/kestrum-bench-XXXXXX");
    if (!temporary.isValid()) {
        std::fprintf(stderr, "launcher_bench: no scratch folder\n");
        return 1;
    }
    const std::filesystem::path scratch = temporary.path().toStdString();
    // Settings of its own: the hot folder is the one printer, and nothing of the user's is read.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((scratch / "config").string()));
    std::filesystem::create_directories(scratch / "config");
    const std::filesystem::path ini = scratch / "config" / "kestrum.ini";
    std::ofstream(ini) << "[HotFolders]\nBench=" << (scratch / "hot").string() << "\n";

    QApplication app(argc, argv);
    std::printf("\n%-52s %12s\n", "launcher (offscreen)", "value");
    kestrum::HotFolderSpooler spooler(ini, {});
    if (!kestrum::OpenBigLaunchFile(scratch, spooler, options.runs)) return 1;
    if (!kestrum::SendLargeFile(scratch, ini, options.sendMib)) return 1;
    return 0;
}
