// A command client that times AddFile pokes against a running desktop program: the first poke
// into an empty list, then a run of pokes in a row, in one conversation. The list is cleared at
// the start and, unless --keep is given, at the end.
//
//   command_poke_bench [--pokes N] [--keep] [--wait SECONDS] PLOTFILE

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr unsigned kAcknowledged = 0x8000;

bool Acknowledged(const QDBusReply<unsigned>& reply) {
    return reply.isValid() && reply.value() == kAcknowledged;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int pokes = 10000;
    int waitSeconds = 30;
    bool keep = false;
    QString file;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--pokes") && i + 1 < args.size()) {
            pokes = args[++i].toInt();
        } else if (args[i] == QLatin1String("--wait") && i + 1 < args.size()) {
            waitSeconds = args[++i].toInt();
        } else if (args[i] == QLatin1String("--keep")) {
            keep = true;
        } else {
            file = args[i];
        }
    }
    if (file.isEmpty() || pokes < 1) {
        std::fprintf(stderr, "usage: command_poke_bench [--pokes N] [--keep] PLOTFILE\n");
        return 2;
    }

    QDBusInterface launchList(QStringLiteral("org.kestrum.Kestrum"), QStringLiteral("/LaunchList"),
                              QStringLiteral("org.kestrum.LaunchList"),
                              QDBusConnection::sessionBus());
    // The program may still be starting: its name appears once its launcher exists.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QDBusReply<bool> accepted = launchList.call(QStringLiteral("Connect"));
        if (accepted.isValid() && accepted.value()) break;
        if (waited.elapsed() > waitSeconds * 1000) {
            std::fprintf(stderr, "command_poke_bench: no conversation with the program: %s\n",
                         qPrintable(accepted.error().message()));
            return 1;
        }
        QThread::msleep(50);
    }
    if (!Acknowledged(
            launchList.call(QStringLiteral("Execute"), QStringLiteral("ClearLaunchList")))) {
        std::fprintf(stderr, "command_poke_bench: ClearLaunchList was refused\n");
        return 1;
    }

    std::vector<qint64> nanoseconds;
    nanoseconds.reserve(static_cast<std::size_t>(pokes));
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < pokes; ++i) {
        QElapsedTimer one;
        one.start();
        if (!Acknowledged(
                launchList.call(QStringLiteral("Poke"), QStringLiteral("AddFile"), file))) {
            std::fprintf(stderr, "command_poke_bench: poke %d was refused\n", i + 1);
            return 1;
        }
        nanoseconds.push_back(one.nsecsElapsed());
    }
    const qint64 totalMs = total.elapsed();
    const double firstMs = static_cast<double>(nanoseconds.front()) / 1e6;
    std::sort(nanoseconds.begin(), nanoseconds.end());
    const auto at = [&](double share) {
        const auto index =
            static_cast<std::size_t>(share * static_cast<double>(nanoseconds.size() - 1));
        return static_cast<double>(nanoseconds[index]) / 1e6;
    };
    std::printf(
        "AddFile poke: first %.3f ms, median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms; "
        "%d pokes in a row %lld ms (targets: < 1 ms per poke, 10,000 in < 5 s)\n",
        firstMs, at(0.5), at(0.99), at(1.0), pokes, static_cast<long long>(totalMs));

    if (!keep) launchList.call(QStringLiteral("Execute"), QStringLiteral("ClearLaunchList"));
    launchList.call(QStringLiteral("Disconnect"));
    return 0;
}
