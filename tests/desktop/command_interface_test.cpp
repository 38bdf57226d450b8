// The command interface on a private session bus (the test runs under dbus-run-session): the
// service in this process, each client on its own bus connection or as kestrum-cli. What it could
// get wrong: hearing a caller that does not hold the conversation, locking every later client out
// after a holder crashed or after a failed send, refusing a second Kestrum too loudly or not at
// all, reporting a failure as success, or sending other bytes than the composer.

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "desktop/command_host.h"
#include "desktop/launch_status_window.h"
#include "desktop/launcher_window.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "tests/fake_spooler.h"

namespace kestrum {
namespace {

constexpr uint kAck = 0x8000;

// The send's messages wait for an answer, as the user would give it.
int CloseMessageBoxes() {
    int closed = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            box->accept();
            ++closed;
        }
    }
    return closed;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

// Holds the opening of every job while closed, so a send stays running while clients call.
class GatedSpooler final : public Spooler {
  public:
    explicit GatedSpooler(Spooler& inner) : inner_(inner) {}
    ~GatedSpooler() override { Open(); }

    void Close() {
        const std::lock_guard lock(mutex_);
        open_ = false;
    }
    void Open() {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

    Result<std::vector<PrinterQueue>> Printers() override { return inner_.Printers(); }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
        return inner_.OpenPrintJob(printer);
    }

  private:
    Spooler& inner_;
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
};

// One bus client: its own connection, so its own unique name.
class Client : public QObject {
    Q_OBJECT

  public:
    explicit Client(const QString& name)
        : name_(name), bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)) {
        bus_.connect(kBusServiceName, kBusObjectPath, kBusInterfaceName, QStringLiteral("JobEnded"),
                     this, SLOT(OnJobEnded(QString, QString)));
    }
    ~Client() override { Leave(); }

    QDBusPendingCall Start(const QString& method, const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(kBusServiceName, kBusObjectPath,
                                                           kBusInterfaceName, method);
        call.setArguments(args);
        return bus_.asyncCall(call, 10000);
    }
    // The service answers on this thread's event loop, so a call must not block it.
    QVariant Call(const QString& method, const QVariantList& args = {}) {
        QDBusPendingCall pending = Start(method, args);
        QEventLoop loop;
        QDBusPendingCallWatcher watcher(pending);
        connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!pending.isFinished()) loop.exec();
        const QDBusMessage reply = pending.reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
        return reply.arguments().front();
    }
    bool Connect() { return Call(QStringLiteral("Connect")).toBool(); }
    uint Execute(const QString& command) {
        return Call(QStringLiteral("Execute"), {command}).toUInt();
    }
    uint Poke(const QString& item, const QString& value) {
        return Call(QStringLiteral("Poke"), {item, value}).toUInt();
    }
    // The connection closes only when nothing refers to it any more.
    void Leave() {
        if (!bus_.isConnected()) return;
        bus_ = QDBusConnection(QStringLiteral("left"));
        QDBusConnection::disconnectFromBus(name_);
    }

    QStringList outcomes;
    QStringList messages;

  public slots:
    void OnJobEnded(const QString& outcome, const QString& message) {
        outcomes << outcome;
        messages << message;
    }

  private:
    QString name_;
    QDBusConnection bus_;
};

// The launcher, its list and the interface, owned as the program owns them.
struct Program {
    explicit Program(const QString& folder) : spooler({"plotter"}), gate(spooler) {
        settings.plotFilesFolder = folder.toStdString();
        options = OptionState(Unit::English, PrinterType::Velmar);
        launcher = std::make_unique<LauncherWindow>(
            LauncherContext{list, settings, options, printers, ticket, renderer, messages,
                            SendServices{&gate, &clock, nullptr}});
        commands = std::make_unique<CommandInterface>(list, *launcher, printers);
    }
    bool Open() { return commands->Open(QDBusConnection::sessionBus(), messages); }
    void CheckPrinter() {
        QVERIFY(printers.Rebuild(spooler.Printers(), {}).ok());
        QVERIFY(printers.SetChecked(0, true, settings).ok());
    }

    test::FakeSpooler spooler;
    GatedSpooler gate;
    SystemClock clock;
    LaunchList list;
    ProgramSettings settings;
    OptionState options{Unit::English, PrinterType::Velmar};
    PrinterSelection printers;
    JobTicket ticket;
    RendererBinding renderer;
    CollectingMessageSink messages;
    std::unique_ptr<LauncherWindow> launcher;
    std::unique_ptr<CommandInterface> commands;
};

class CommandInterfaceTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    std::unique_ptr<Program> program_;

    QString Make(const QString& name, const std::string& bytes) {
        const QString path = dir_.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }

    // kestrum-cli run to its end while this thread keeps serving the bus.
    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    static Run Cli(const QStringList& arguments) {
        QProcess cli;
        cli.start(QStringLiteral(KESTRUM_CLI), arguments);
        Run run;
        if (!cli.waitForStarted(10000)) return run;
        if (!QTest::qWaitFor(
                [&] {
                    CloseMessageBoxes();
                    return cli.state() == QProcess::NotRunning;
                },
                60000)) {
            cli.kill();
            cli.waitForFinished();
            return run;
        }
        run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        run.out = cli.readAllStandardOutput();
        run.err = cli.readAllStandardError();
        return run;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
        Make(QStringLiteral("A.plt"), "IN;SP1;PA0,0;PD100,100;PU;");
        Make(QStringLiteral("B.plt"), "IN;SP2;PA0,0;PD200,0;PU;");
        Make(QStringLiteral("A.cfg"), "[" + std::string(LoadResourceString(59142)) + "]\n" +
                                          std::string(LoadResourceString(59144)) + "=3\n");
        program_ = std::make_unique<Program>(dir_.path());
        QVERIFY(program_->Open());
        QVERIFY(program_->messages.messages().empty());
    }

    void init() {
        // A client of a failed case may still be leaving the bus.
        QTRY_VERIFY(!program_->commands->session().connected());
        QVERIFY(!program_->commands->session().busy());
    }

    // A second program finds the name taken: told once with 59384, and the first serves on.
    void secondProgramRunsWithoutTheInterface() {
        Program second(dir_.path());
        QVERIFY(!second.commands->Open(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("program2")),
            second.messages));
        QCOMPARE(second.messages.messages().size(), std::size_t{1});
        QCOMPARE(second.messages.messages().front().resource, rid::kDdeStartFailedMessage);
        Client client(QStringLiteral("probe"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Call(QStringLiteral("Disconnect")).toBool(), true);
    }

    // Only the holder is heard; a refused client is accepted once the holder has gone, whether
    // it disconnected or left the bus without a word.
    void oneConversationAtATime() {
        const QString a = dir_.filePath(QStringLiteral("A.plt"));
        Client first(QStringLiteral("first"));
        Client second(QStringLiteral("second"));
        QVERIFY(first.Connect());
        QVERIFY(!second.Connect());
        QCOMPARE(second.Execute(QStringLiteral("ClearLaunchList")), 0u);
        QCOMPARE(second.Poke(QStringLiteral("AddFile"), a), 0u);
        QCOMPARE(first.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(first.Execute(QStringLiteral("clearlaunchlist")), 0u);
        QCOMPARE(first.Poke(QStringLiteral("AddFile"), a), kAck);
        QCOMPARE(first.Poke(QStringLiteral("AddFile"), QStringLiteral("A.plt")), 0u);
        QCOMPARE(first.Poke(QStringLiteral("AddFile"), QStringLiteral("/") + QString(300, 'x')),
                 0u);
        QCOMPARE(program_->list.size(), std::size_t{1});

        QVERIFY(first.Call(QStringLiteral("Disconnect")).toBool());
        QVERIFY(second.Connect());
        QCOMPARE(second.Poke(QStringLiteral("AddFile"), a), kAck);
        second.Leave();  // as if it crashed
        QTRY_VERIFY(!program_->commands->session().connected());
        Client third(QStringLiteral("third"));
        QVERIFY(third.Connect());
        QCOMPARE(third.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QVERIFY(program_->list.empty());
        QVERIFY(third.Call(QStringLiteral("Disconnect")).toBool());
    }

    // The typical conversation through kestrum-cli, and what reached the printer compared with
    // what the composer makes of the same entries.
    void remoteSendsWhatTheComposerComposes() {
        const QString a = dir_.filePath(QStringLiteral("A.plt"));
        const QString b = dir_.filePath(QStringLiteral("B.plt"));
        const QString cfg = dir_.filePath(QStringLiteral("A.cfg"));
        program_->CheckPrinter();
        const std::size_t before = program_->spooler.jobs().size();
        const Run run = Cli({"remote", "--clear", "--add", a, "--assign", cfg, "--add", b,
                             "--dialog", "--send", "--wait"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(program_->list.size(), std::size_t{2});
        QCOMPARE(program_->spooler.jobs().size(), before + 1);

        const Run streamA = Cli({"jobstream", "--printer-type", "velmar", "--config", cfg, a});
        const Run streamB = Cli({"jobstream", "--printer-type", "velmar", b});
        QCOMPARE(streamA.exitCode, 0);
        QCOMPARE(streamB.exitCode, 0);
        QCOMPARE(QByteArray::fromStdString(program_->spooler.jobs().back().bytes),
                 streamA.out + streamB.out);
        QVERIFY(!program_->commands->session().busy());
    }

    // While a client's send runs (its job held open) a second LaunchSend and every change of
    // the list are refused and LaunchDialog only shows the window; exactly one job goes out,
    // and once it has ended the next send is accepted.
    void sendRunningRefusesAllButTheDialog() {
        program_->CheckPrinter();
        const QString a = dir_.filePath(QStringLiteral("A.plt"));
        const QString cfg = dir_.filePath(QStringLiteral("A.cfg"));
        Client client(QStringLiteral("twice"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), a), kAck);
        const std::size_t jobsBefore = program_->spooler.jobs().size();
        program_->gate.Close();
        auto reopen = qScopeGuard([this] { program_->gate.Open(); });
        program_->launcher->persistentWindow().hide();

        QCOMPARE(client.Execute(QStringLiteral("LaunchSend")), kAck);
        QCOMPARE(client.Execute(QStringLiteral("LaunchSend")), 0u);
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), 0u);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), a), 0u);
        QCOMPARE(client.Poke(QStringLiteral("AssignConfig"), cfg), 0u);
        QCOMPARE(client.Execute(QStringLiteral("LaunchDialog")), kAck);
        QVERIFY(program_->launcher->persistentWindow().isVisible());
        QCOMPARE(program_->list.size(), std::size_t{1});
        QVERIFY(program_->list.entry(0).configuration != cfg.toStdString());
        QVERIFY(client.outcomes.isEmpty());

        program_->gate.Open();
        QTRY_COMPARE_WITH_TIMEOUT((CloseMessageBoxes(), client.outcomes.size()), 1, 30000);
        QCOMPARE(client.outcomes.front(), QStringLiteral("completed"));
        QCOMPARE(program_->spooler.jobs().size(), jobsBefore + 1);
        QCOMPARE(client.Execute(QStringLiteral("LaunchSend")), kAck);
        QTRY_COMPARE_WITH_TIMEOUT((CloseMessageBoxes(), client.outcomes.size()), 2, 30000);
        QCOMPARE(client.outcomes.back(), QStringLiteral("completed"));
        QCOMPARE(program_->spooler.jobs().size(), jobsBefore + 2);
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // A send from the launcher's own button (its modal window open, the job held open) refuses
    // a client's list changes and send as a client's send would; the dialog is still shown.
    void launcherOwnSendRefusesClients() {
        program_->CheckPrinter();
        const QString a = dir_.filePath(QStringLiteral("A.plt"));
        const QString cfg = dir_.filePath(QStringLiteral("A.cfg"));
        Client client(QStringLiteral("beside"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), a), kAck);
        const std::size_t jobsBefore = program_->spooler.jobs().size();
        program_->gate.Close();
        auto reopen = qScopeGuard([this] { program_->gate.Open(); });

        QList<uint> answers;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* status = qobject_cast<LaunchStatusWindow*>(QApplication::activeModalWidget());
            if (status == nullptr) return;
            poll.stop();
            status->ToggleStartPause();
            answers << client.Execute(QStringLiteral("ClearLaunchList"))
                    << client.Poke(QStringLiteral("AddFile"), a)
                    << client.Poke(QStringLiteral("AssignConfig"), cfg)
                    << client.Execute(QStringLiteral("LaunchSend"))
                    << client.Execute(QStringLiteral("LaunchDialog"));
            program_->gate.Open();
        });
        poll.start();
        program_->launcher->Send();  // returns when its window has closed
        program_->launcher->persistentWindow().hide();

        QCOMPARE(answers, (QList<uint>{0u, 0u, 0u, 0u, kAck}));
        QCOMPARE(program_->spooler.jobs().size(), jobsBefore + 1);
        QCOMPARE(program_->list.size(), std::size_t{1});
        QVERIFY(client.outcomes.isEmpty());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // Clients asking for the conversation at the same moment: exactly one gets it, and only it
    // is heard.
    void manyClientsRaceForTheConversation() {
        std::vector<std::unique_ptr<Client>> clients;
        std::vector<QDBusPendingCall> calls;
        for (int i = 0; i < 8; ++i) {
            clients.push_back(std::make_unique<Client>(QStringLiteral("racer%1").arg(i)));
        }
        for (auto& client : clients) calls.push_back(client->Start(QStringLiteral("Connect")));
        QTRY_VERIFY(std::all_of(calls.begin(), calls.end(),
                                [](const QDBusPendingCall& call) { return call.isFinished(); }));
        int winners = 0;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const QDBusPendingReply<bool> reply(calls[i]);
            QVERIFY2(reply.isValid(), qPrintable(reply.error().message()));
            if (!reply.value()) {
                QCOMPARE(clients[i]->Execute(QStringLiteral("ClearLaunchList")), 0u);
                continue;
            }
            ++winners;
            QCOMPARE(clients[i]->Execute(QStringLiteral("ClearLaunchList")), kAck);
        }
        QCOMPARE(winners, 1);
        clients.clear();  // the holder leaves the bus with the rest
        QTRY_VERIFY(!program_->commands->session().connected());
    }

    // Values that name no file the client could mean are refused with the list left as it was;
    // the limit counts bytes as they travel, not characters. Invalid UTF-8 never reaches the
    // service (the bus refuses such a message). After each the client is still heard.
    void pokedValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<uint>("answer");
        QTest::addColumn<QString>("added");
        const QString base = dir_.filePath(QStringLiteral("A.plt"));
        const QString long260 = QStringLiteral("/") + QString(259, QLatin1Char('x'));
        QTest::newRow("absolute") << base << kAck << base;
        QTest::newRow("relative") << QStringLiteral("A.plt") << 0u << QString();
        QTest::newRow("dot relative") << QStringLiteral("./A.plt") << 0u << QString();
        QTest::newRow("empty") << QString() << 0u << QString();
        // Not checked beyond what adding an entry checks: the send reports it.
        QTest::newRow("nonexistent")
            << QStringLiteral("/nonexistent/N.plt") << kAck << QStringLiteral("/nonexistent/N.plt");
        QTest::newRow("260 bytes") << long260 << kAck << long260;
        QTest::newRow("261 bytes in 131 characters")
            << QStringLiteral("/") + QString(130, QChar(0xE9)) << 0u << QString();
        // The bus carries strings as C strings: the zero byte ends the value before it leaves
        // the client, as it ends a value the service reads.
        QTest::newRow("zero byte") << base + QChar(0) + QStringLiteral("tail") << kAck << base;
    }
    void pokedValues() {
        QFETCH(QString, value);
        QFETCH(uint, answer);
        QFETCH(QString, added);
        Client client(QStringLiteral("values"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), value), answer);
        QCOMPARE(program_->list.size(), std::size_t{answer == kAck ? 1u : 0u});
        if (answer == kAck) {
            QCOMPARE(QString::fromStdString(program_->list.entry(0).filePath), added);
        }
        // Still heard, still holding the conversation.
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), dir_.filePath(QStringLiteral("B.plt"))),
                 kAck);
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // Adding selects the new entry, so AssignConfig right after AddFile applies to that file
    // and to no other.
    void assignConfigFollowsTheFileJustAdded() {
        const QString cfg = dir_.filePath(QStringLiteral("A.cfg"));
        Client client(QStringLiteral("assign"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), dir_.filePath(QStringLiteral("A.plt"))),
                 kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), dir_.filePath(QStringLiteral("B.plt"))),
                 kAck);
        const std::string untouched = program_->list.entry(0).configuration;
        QCOMPARE(client.Poke(QStringLiteral("AssignConfig"), cfg), kAck);
        QCOMPARE(program_->list.entry(1).configuration, cfg.toStdString());
        QCOMPARE(program_->list.entry(0).configuration, untouched);
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // With no printer checked a client's send cannot go anywhere: it fails with the launcher's
    // own reason instead of ending "completed", and the next client may send again.
    void sendWithoutPrinterFails() {
        program_->CheckPrinter();
        QVERIFY(program_->printers.SetChecked(0, false, program_->settings).ok());
        auto recheck = qScopeGuard([this] { program_->CheckPrinter(); });
        const std::size_t jobsBefore = program_->spooler.jobs().size();
        Client client(QStringLiteral("noprinter"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), dir_.filePath(QStringLiteral("A.plt"))),
                 kAck);
        QCOMPARE(client.Execute(QStringLiteral("LaunchSend")), kAck);
        QTRY_COMPARE_WITH_TIMEOUT((CloseMessageBoxes(), client.outcomes.size()), 1, 30000);
        QCOMPARE(client.outcomes.front(), QStringLiteral("failed"));
        QCOMPARE(client.messages.front().toStdString(),
                 std::string(LoadResourceString(rid::kNoPrinterText)));
        QCOMPARE(program_->spooler.jobs().size(), jobsBefore);
        QVERIFY(!program_->commands->session().busy());
        QVERIFY(!program_->launcher->busy());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // A failed send is reported with its message, and clears the busy mark so the next client
    // can send.
    void failedSendIsReportedAndFreesTheNext() {
        // A printer that has gone since it was checked, for the rest of the run.
        PrinterQueue ghost;
        ghost.name = "ghost";
        QVERIFY(program_->printers.Rebuild(std::vector<PrinterQueue>{ghost}, {}).ok());
        QVERIFY(program_->printers.SetChecked(0, true, program_->settings).ok());
        Client client(QStringLiteral("sender"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), dir_.filePath(QStringLiteral("A.plt"))),
                 kAck);
        QCOMPARE(client.Execute(QStringLiteral("LaunchDialog")), kAck);
        QCOMPARE(client.Execute(QStringLiteral("LaunchSend")), kAck);
        QTRY_COMPARE_WITH_TIMEOUT((CloseMessageBoxes(), client.outcomes.size()), 1, 30000);
        QCOMPARE(client.outcomes.front(), QStringLiteral("failed"));
        QVERIFY(client.messages.front().contains(QStringLiteral("ghost")));
        QVERIFY(!program_->commands->session().busy());
        QVERIFY(!program_->launcher->busy());
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // 10,000 AddFile pokes in a row: each is answered, and the list holds exactly them. The
    // figures go to the log; the poke benchmark is where speed is judged.
    void manyPokes() {
        const QString a = dir_.filePath(QStringLiteral("A.plt"));
        Client client(QStringLiteral("many"));
        QVERIFY(client.Connect());
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        const long rssBefore = ResidentKb();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(client.Poke(QStringLiteral("AddFile"), a), kAck);
        const qint64 first = timer.nsecsElapsed();
        timer.restart();
        for (int i = 1; i < 10000; ++i) {
            if (client.Poke(QStringLiteral("AddFile"), a) != kAck) QFAIL("a poke was refused");
        }
        const qint64 rest = timer.elapsed();
        QCOMPARE(program_->list.size(), std::size_t{10000});
        qInfo("one poke %.3f ms; 9,999 more %lld ms; resident growth %ld kB", first / 1e6, rest,
              ResidentKb() - rssBefore);
        QCOMPARE(client.Execute(QStringLiteral("ClearLaunchList")), kAck);
        QVERIFY(client.Call(QStringLiteral("Disconnect")).toBool());
    }

    // Each exit code of kestrum-cli remote.
    void remoteExitCodes() {
        QCOMPARE(Cli({"remote", "--clear"}).exitCode, 0);
        const Run refused = Cli({"remote", "--add", QStringLiteral("/") + QString(300, 'x')});
        QCOMPARE(refused.exitCode, 3);
        QVERIFY(refused.err.contains("AddFile"));
        {
            Client holder(QStringLiteral("holder"));
            QVERIFY(holder.Connect());
            QCOMPARE(Cli({"remote", "--clear"}).exitCode, 4);
        }
        QTRY_VERIFY(!program_->commands->session().connected());
        // The printer still refuses every job, since the failed-send case.
        const Run failed = Cli({"remote", "--clear", "--add",
                                dir_.filePath(QStringLiteral("A.plt")), "--send", "--wait"});
        QCOMPARE(failed.exitCode, 5);
        QVERIFY(failed.err.contains("failed"));

        program_.reset();  // the launcher is gone, and with it the name
        QCOMPARE(Cli({"remote", "--clear"}).exitCode, 4);
    }
};

}  // namespace
}  // namespace kestrum

QTEST_MAIN(kestrum::CommandInterfaceTest)
#include "command_interface_test.moc"
