// kestrum: the desktop program.

#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "desktop/application.h"
#include "desktop/icons.h"
#include "desktop/main_window.h"
#include "desktop/picture_taker.h"

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the user-interface thread reads the byte and closes the window.
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(signalPipe[1], &byte, 1);
}

sigset_t EndSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

// SIGTERM and SIGINT end the program as the close box does: between two events, so no settings
// or configuration write is cut in half. What the end has to say goes to standard error: a box
// would wait for an answer that may never come.
//
// The signals are caught before start-up begins and acted on once the main window exists: a
// signal that comes while the settings are read waits instead of killing the program. They stay
// blocked in this thread through start-up, so the threads the toolkit starts meanwhile (the bus
// library's among them) inherit the block and never have their calls broken off by them.
bool CatchEndSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return false;
    const sigset_t endSignals = EndSignals();
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return true;
}

// After start-up: this thread takes the signals (one that came meanwhile is delivered now), and
// so do the threads and programs it starts from here on.
void TakeEndSignals() {
    const sigset_t endSignals = EndSignals();
    pthread_sigmask(SIG_UNBLOCK, &endSignals, nullptr);
}

// For a run that only takes pictures: the signals end it at once, as they end other programs.
void LeaveEndSignals() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    TakeEndSignals();
}

void EndOnSignals(kestrum::Application& application) {
    kestrum::MainWindow* window = application.mainWindow();
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [&application, notifier] {
        char byte = 0;
        [[maybe_unused]] const auto ignored = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        application.EndingOnSignal();
        application.mainWindow()->close();
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    const bool signalsCaught = CatchEndSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrum"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRUM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kestrum"));
    QApplication::setWindowIcon(kestrum::ProgramIcon());
    // The program ends through the main window's OK, Cancel or close box, with their codes.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends plot files to large-format printers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption pictures(
        QStringLiteral("pictures"),
        QStringLiteral("Write a PNG of every view into <folder> and end."),
        QStringLiteral("folder"));
    const QCommandLineOption quitWhenShown(
        QStringLiteral("quit-when-shown"),
        QStringLiteral("End as soon as the main window is shown, saying how long that took."));
    parser.addOption(pictures);
    parser.addOption(quitWhenShown);
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Plot files (or folders of them) to add to the launch list; a launch file "
                       "(.lch) is opened in its place."),
        QStringLiteral("[files...]"));
    parser.process(app);

    const bool takePictures = parser.isSet(pictures);
    if (takePictures) LeaveEndSignals();
    kestrum::Application application;
    if (!takePictures) application.EnableCommandInterface();
    application.Start(!takePictures);
    if (!takePictures) application.OpenFiles(parser.positionalArguments());
    if (takePictures) {
        const int written = kestrum::TakePictures(application, parser.value(pictures));
        return written < 0 ? 1 : 0;
    }
    QObject::connect(&application, &kestrum::Application::Finished, &app,
                     [](int code) { QApplication::exit(code); });
    if (signalsCaught) EndOnSignals(application);
    TakeEndSignals();
    if (parser.isSet(quitWhenShown)) {
        QMetaObject::invokeMethod(
            application.mainWindow(),
            [&application, &sinceStart] {
                std::fprintf(stderr, "kestrum: main window shown after %lld ms\n",
                             static_cast<long long>(sinceStart.elapsed()));
                application.mainWindow()->close();
            },
            Qt::QueuedConnection);
    }
    return app.exec();
}
