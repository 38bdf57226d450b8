// Start-up, the main window's views and the shutdown codes, driven through the real windows with
// kestrum.ini in a temporary folder: what could go wrong is a settings file holding more or less
// than a first start writes, a stored KSL mode surviving a restart, a view rule or the page memory
// showing the wrong page, the toolbars not following their command, or a wrong exit code; and a
// settings file that cannot be used stopping start-up, being cut short, or answering every click.

#include <sys/stat.h>
#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <csignal>
#include <map>
#include <set>

#include "desktop/application.h"
#include "desktop/main_window.h"
#include "desktop/ui_text.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "tests/desktop/desktop_test_support.h"

namespace kestrum {
namespace {

// Queues in the order given, as the spooler lists them.
class ListSpooler final : public Spooler {
  public:
    explicit ListSpooler(std::vector<std::string> names) : names_(std::move(names)) {}
    Result<std::vector<PrinterQueue>> Printers() override {
        std::vector<PrinterQueue> queues;
        for (const auto& name : names_) {
            PrinterQueue queue;
            queue.name = name;
            queues.push_back(queue);
        }
        return queues;
    }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string& printer) override {
        return Fail("no printer queue named " + printer);
    }

  private:
    std::vector<std::string> names_;
};

// section -> key -> value, as the file holds them.
using IniText = std::map<QString, std::map<QString, QString>>;

IniText ReadIni(const QString& path) {
    IniText ini;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return ini;
    QString section;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith('[')) {
            section = line.mid(1, line.indexOf(']') - 1);
        } else if (line.contains('=')) {
            ini[section][line.section('=', 0, 0)] = line.section('=', 1);
        }
    }
    return ini;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    test::ScratchFolders folders_;
    CollectingMessageSink messages_;

    QString IniPath() const {
        return folders_.config->filePath(QStringLiteral("kestrum/kestrum.ini"));
    }

    void WriteIni(const QByteArray& text) {
        QDir(folders_.config->path()).mkpath(QStringLiteral("kestrum"));
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    std::unique_ptr<Application> Start(std::vector<std::string> queues = {"a", "b", "c"}) {
        auto app = std::make_unique<Application>(std::make_unique<ListSpooler>(std::move(queues)),
                                                 &messages_);
        app->Start(false);
        return app;
    }

    template <typename W>
    static W* Find(Application& app, int id) {
        return test::FindControl<W>(app, id);
    }

    static QAction* Command(Application& app, int id) {
        return app.mainWindow()->findChild<QAction*>(QStringLiteral("command%1").arg(id));
    }

    // How many messages so far name `path`.
    int MessagesNaming(const QString& path) const {
        int count = 0;
        for (const Message& m : messages_.messages()) {
            if (QString::fromStdString(m.text).contains(path)) ++count;
        }
        return count;
    }

    QProcessEnvironment ProgramEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folders_.config->path());
        environment.insert(QStringLiteral("CUPS_SERVER"),
                           folders_.work->filePath(QStringLiteral("none")));
        // No session bus, whatever the machine has: the program must start and end all the same,
        // and no desktop session's Kestrum can hold the name meanwhile.
        environment.insert(
            QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
            QStringLiteral("unix:path=") + folders_.work->filePath(QStringLiteral("no-bus")));
        return environment;
    }

    // Of a plain file's content; nothing for anything else (a FIFO would wait for a writer).
    static QByteArray Digest(const QString& path) {
        if (!QFileInfo(path).isFile()) return {};
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        return hash.result();
    }

  private slots:
    void init() {
        folders_.Begin();
        messages_ = CollectingMessageSink();
    }

    void cleanup() { folders_.End(); }

    void firstStartWritesExactlyTheStartUpKeys() {
        auto app = Start();
        const IniText ini = ReadIni(IniPath());
        std::map<QString, std::set<QString>> keys;
        for (const auto& [section, values] : ini) {
            for (const auto& entry : values) keys[section].insert(entry.first);
        }
        const std::map<QString, std::set<QString>> expected = {
            {"General",
             {"OutputMode", "JobTicket", "Unit", "EOJNotification", "FolderOptions",
              "HardwareOptions"}},
            {"DefaultPath", {"PlotFiles", "ConfigFiles", "AccountFile"}},
            {"Printer", {"PrinterType", "PrinterName", "PrinterPort", "PrinterDriver"}},
        };
        QVERIFY(keys == expected);
        QCOMPARE(ini.at("Printer").at("PrinterType"), QStringLiteral("Velmar"));
        QCOMPARE(ini.at("DefaultPath").at("PlotFiles"), QDir::currentPath());
        QCOMPARE(ini.at("General").at("Unit"), QStringLiteral("English"));
    }

    void storedKslStartsAsDevice() {
        WriteIni("[General]\nOutputMode=KSL\n");
        auto app = Start();
        QCOMPARE(ReadIni(IniPath())["General"]["OutputMode"], QStringLiteral("DEVICE"));
        QVERIFY(app->settings().outputMode == OutputMode::Device);
        QVERIFY(Find<QRadioButton>(*app, 1144)->isChecked());
        QVERIFY(!Find<QRadioButton>(*app, 1074)->isEnabled());
        QVERIFY(!Find<QCheckBox>(*app, 1076)->isChecked());
    }

    void viewRulesAndPageMemory() {
        auto app = Start();
        MainWindow& window = *app->mainWindow();
        QCOMPARE(window.currentView(), MainWindow::kWelcomeView);
        QVERIFY(Find<QLabel>(*app, 1019)->text().isEmpty());
        QVERIFY(Find<QPushButton>(*app, 1122)->isHidden());

        // The editor after start-up shows the configuration file page.
        QTest::mouseClick(Find<QPushButton>(*app, 1003), Qt::LeftButton);
        QCOMPARE(window.currentView(), MainWindow::kConfigFileView);
        QCOMPARE(Find<QLabel>(*app, 1019)->text(), UiText(rid::kTitleConfigFiles));
        QVERIFY(!Find<QPushButton>(*app, 1122)->isEnabled());
        QVERIFY(Find<QPushButton>(*app, 1070)->isEnabled());
        QVERIFY(!Find<QPushButton>(*app, 1003)->isEnabled());

        // HP-GL, away to the launcher and back: HP-GL again.
        QTest::mouseClick(Find<QPushButton>(*app, 1070), Qt::LeftButton);
        window.RunCommand(MainWindow::kLauncherCommand);
        QCOMPARE(window.currentView(), MainWindow::kLauncherView);
        QVERIFY(Find<QPushButton>(*app, 1070)->isHidden());
        window.RunCommand(MainWindow::kEditorCommand);
        QCOMPARE(window.pageMemory(), MainWindow::kHpglView);
        QCOMPARE(Find<QLabel>(*app, 1019)->text(), UiText(rid::kTitleHpgl));
        QVERIFY(!Find<QPushButton>(*app, 1070)->isEnabled());

        // 1122 goes back to the file page whatever was remembered.
        window.RunCommand(MainWindow::kConfigFilePageCommand);
        QCOMPARE(window.pageMemory(), MainWindow::kConfigFileView);

        // In the Preferences view only the Preferences item is checked.
        window.RunCommand(MainWindow::kPreferencesCommand);
        for (int c : {1073, 1147, 1003, 1045, 1135}) {
            QCOMPARE(Command(*app, c)->isChecked(), c == 1135);
        }
        QVERIFY(!Find<QPushButton>(*app, 1135)->isEnabled());
        QVERIFY(Find<QPushButton>(*app, 1073)->isEnabled());

        // The job options page button checks 1045 and brings the editor's button up.
        window.RunCommand(MainWindow::kEditorCommand);
        window.RunCommand(MainWindow::kJobOptionsPageCommand);
        QVERIFY(Command(*app, 1045)->isChecked());
        QVERIFY(!Command(*app, 1003)->isChecked());
    }

    void largeButtonsCommandTogglesTheToolbars() {
        auto app = Start();
        auto* large = app->mainWindow()->findChild<QToolBar*>(QStringLiteral("toolbar12345"));
        auto* small = app->mainWindow()->findChild<QToolBar*>(QStringLiteral("toolbar12346"));
        QAction* toggle = Command(*app, MainWindow::kLargeButtonsCommand);
        QVERIFY(!large->isHidden() && small->isHidden() && toggle->isChecked());
        app->mainWindow()->RunCommand(MainWindow::kLargeButtonsCommand);
        QVERIFY(large->isHidden() && !small->isHidden() && !toggle->isChecked());
        toggle->trigger();
        QVERIFY(!large->isHidden() && small->isHidden() && toggle->isChecked());
    }

    void exitCodes_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("code");
        QTest::newRow("ok") << 1 << 0;
        QTest::newRow("cancel") << 2 << 1;
        QTest::newRow("closeBox") << 0 << 0;
    }

    void exitCodes() {
        QFETCH(int, how);
        QFETCH(int, code);
        auto app = Start();
        app->mainWindow()->show();
        QSignalSpy finished(app.get(), &Application::Finished);
        if (how == 0)
            app->mainWindow()->close();
        else
            QTest::mouseClick(Find<QPushButton>(*app, how), Qt::LeftButton);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toInt(), code);
    }

    void terminationSignalEndsAsTheCloseBox() {
        QProcess program;
        QProcessEnvironment environment = ProgramEnvironment();
        // Qt's D-Bus library now and then leaves its connection thread's own record allocated
        // when a program ends this way (a timing matter inside the library); leak checking of the
        // same way out is the close-box test's, in this process.
        environment.insert(
            QStringLiteral("ASAN_OPTIONS"),
            environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folders_.work->path());
        // What the program says on its way out (a sanitizer's report among it) is in the log.
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(KESTRUM_EXE), {});
        QVERIFY(program.waitForStarted());
        // Settings written means start-up is done and the window is up.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(IniPath()), 10000);
        QTest::qWait(300);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    // What stands where kestrum.ini should be, and what must stay of it.
    void unusableSettingsFile_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("folder") << "folder";
        QTest::newRow("folderInPlaceOfItsFolder") << "parentFile";
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("oversized") << "oversized";
        QTest::newRow("linkToFullDevice") << "devFull";
    }

    void unusableSettingsFile() {
        QFETCH(QString, what);
        QDir(folders_.config->path()).mkpath(QStringLiteral("kestrum"));
        const QString folder = folders_.config->filePath(QStringLiteral("kestrum"));
        QString kept = IniPath();  // what must come through unchanged
        if (what == "folder") {
            QVERIFY(QDir().mkpath(IniPath() + "/inside"));
        } else if (what == "parentFile") {
            QVERIFY(QDir(folder).removeRecursively());
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a folder\n");
            kept = folder;
        } else if (what == "fifo") {
            QCOMPARE(::mkfifo(IniPath().toLocal8Bit().constData(), 0644), 0);
        } else if (what == "oversized") {
            // Readable and writable, but beyond what a settings file may be: it must not be
            // rewritten from the defaults, nor cut.
            QFile file(IniPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray line = "[General]\nUnit=Metric\n; padding padding padding\n";
            for (qint64 written = 0; written <= 17 * 1024 * 1024; written += line.size()) {
                file.write(line);
            }
        } else {
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), IniPath()));
        }
        const QByteArray before = Digest(kept);

        auto app = Start();
        QCOMPARE(app->mainWindow()->currentView(), MainWindow::kWelcomeView);
        QVERIFY(app->settings().unit == Unit::English);
        QVERIFY(app->settings().printerType == PrinterType::Velmar);
        QCOMPARE(messages_.messages().size(), std::size_t{1});
        QCOMPARE(messages_.messages().front().resource, rid::kCannotSaveProgramSettings);
        QCOMPARE(MessagesNaming(IniPath()), 1);

        // Later changes fail the same way; the user has been told.
        QTest::mouseClick(Find<QCheckBox>(*app, 1311), Qt::LeftButton);
        app->mainWindow()->show();
        app->mainWindow()->RunCommand(MainWindow::kPrinterCommand);
        Find<QListWidget>(*app, 1233)->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(MessagesNaming(IniPath()), 1);

        QSignalSpy finished(app.get(), &Application::Finished);
        app->mainWindow()->close();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toInt(), 0);
        QCOMPARE(MessagesNaming(IniPath()), 1);
        app.reset();
        QCOMPARE(Digest(kept), before);
        if (what == "folder") QVERIFY(QFileInfo(IniPath() + "/inside").isDir());
    }

    void programDoesNotWaitForAnAnswerAtStart() {
        QVERIFY(QDir().mkpath(IniPath()));
        QProcess program;
        program.setProcessEnvironment(ProgramEnvironment());
        program.setWorkingDirectory(folders_.work->path());
        program.start(QStringLiteral(KESTRUM_EXE), {QStringLiteral("--quit-when-shown")});
        QVERIFY(program.waitForStarted());
        const bool ended = program.waitForFinished(20000);
        if (!ended) program.kill();
        QVERIFY(ended);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardError().contains("main window shown"));
    }

    void exitSaysWhatCouldNotBeSaved() {
        auto app = Start();
        QCOMPARE(messages_.messages().size(), std::size_t{0});
        // A write the disk refused earlier stays pending; at the end its folder is gone.
        QVERIFY(profile::WriteString(app->settings().settingsFile, "General", "Pending", "1"));
        const QString folder = folders_.config->filePath(QStringLiteral("kestrum"));
        QVERIFY(QDir().rename(folder, folder + ".away"));
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        QSignalSpy finished(app.get(), &Application::Finished);
        QTest::mouseClick(Find<QPushButton>(*app, MainWindow::kCancel), Qt::LeftButton);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toInt(), 1);
        std::set<int> told;
        for (const Message& m : messages_.messages()) told.insert(m.resource);
        QVERIFY(told == (std::set<int>{rid::kSettingsNotSavedAtExit, rid::kWindowStateNotSaved}));
        QCOMPARE(MessagesNaming(IniPath()), 1);
        profile::Forget(app->settings().settingsFile);
    }

    void windowSizeAndPositionAreKept() {
        const QRect chosen(40, 30, 620, 460);
        {
            auto app = Start();
            app->mainWindow()->setGeometry(chosen);
            app->mainWindow()->close();
        }
        QVERIFY(
            QFile::exists(folders_.config->filePath(QStringLiteral("kestrum/window-state.ini"))));
        auto app = Start();
        QCOMPARE(app->mainWindow()->geometry(), chosen);
        // Kept apart from the settings, whose keys are fixed.
        QVERIFY(!ReadIni(IniPath()).contains(QStringLiteral("MainWindow")));
    }

    void damagedWindowStateIsIgnored_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("garbage") << QByteArrayLiteral("\xff\xfe\0[[[\n=\n");
        QTest::newRow("cutShort") << QByteArrayLiteral(
            "[MainWindow]\nGeometry=@ByteArray(\x01\xd9\xd0\xcb\0\x03");
    }

    void damagedWindowStateIsIgnored() {
        QFETCH(QByteArray, text);
        QDir(folders_.config->path()).mkpath(QStringLiteral("kestrum"));
        QFile file(folders_.config->filePath(QStringLiteral("kestrum/window-state.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        auto app = Start();
        QVERIFY(app->mainWindow()->width() >= 900);  // the size of a first start
        QCOMPARE(messages_.messages().size(), std::size_t{0});
    }

    // Loads what it can, as the INI rules read it, and says nothing about the rest.
    void damagedDefaultConfigurationLoadsWhatItCan_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("garbageAround") << QByteArrayLiteral(
            "\x89PNG\r\n\x1a\n\0\0garbage=\xff\xfe\n[Printer]\nCopies=4\n\xc3(\n[\n=\n");
        QTest::newRow("cutInAKey") << QByteArrayLiteral("[Printer]\nCopies=4\nControllerCo");
    }

    void damagedDefaultConfigurationLoadsWhatItCan() {
        QFETCH(QByteArray, text);
        QFile file(folders_.work->filePath(QStringLiteral("default.cfg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        auto app = Start();
        QCOMPARE(app->options().values.job.fileCopies, 4);
        QCOMPARE(messages_.messages().size(), std::size_t{0});
    }

    void printersAreNumberedFromTheBottom() {
        WriteIni("[Printer]\nPrinterCount=0\n");
        auto app = Start();
        app->mainWindow()->show();
        app->mainWindow()->RunCommand(MainWindow::kPrinterCommand);
        auto* list = Find<QListWidget>(*app, 1233);
        QCOMPARE(list->count(), 3);
        list->item(0)->setCheckState(Qt::Checked);
        list->item(2)->setCheckState(Qt::Checked);
        const auto printer = ReadIni(IniPath())["Printer"];
        QCOMPARE(printer.at("PrinterCount"), QStringLiteral("2"));
        QCOMPARE(printer.at("PrinterName1"), QStringLiteral("c"));
        QCOMPARE(printer.at("PrinterName2"), QStringLiteral("a"));
        QCOMPARE(printer.at("PrinterPort1"), QString());
        QCOMPARE(QString::fromStdString(app->settings().printerName), QStringLiteral("c"));
    }

    void storedNameChecksTheEqualQueueFirst() {
        WriteIni("[Printer]\nPrinterCount=1\nPrinterName1=Plot\n");
        auto app = Start({"Plot 2", "Plot"});
        app->mainWindow()->show();
        app->mainWindow()->RunCommand(MainWindow::kPrinterCommand);
        auto* list = Find<QListWidget>(*app, 1233);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(list->item(1)->checkState(), Qt::Checked);
    }

    void vanishedPlotFolderFallsBackToTheWorkingFolder() {
        WriteIni("[DefaultPath]\nPlotFiles=/no/such/folder\nConfigFiles=/no/such/folder\n");
        auto app = Start();
        const auto paths = ReadIni(IniPath())["DefaultPath"];
        QCOMPARE(paths.at("PlotFiles"), QDir::currentPath());
        QCOMPARE(paths.at("ConfigFiles"), QDir::currentPath());
        // The folders held for this run stay as read.
        QCOMPARE(QString::fromStdString(app->settings().plotFilesFolder),
                 QStringLiteral("/no/such/folder"));
        auto* label = Find<QLabel>(*app, 1245);
        QCOMPARE(label->text(), QDir::currentPath());
        for (const Message& m : messages_.messages()) QVERIFY(m.resource != 59488);
    }

    void noFolderToListAtAllIsTold() {
        WriteIni("[DefaultPath]\nPlotFiles=/no/such/folder\n");
        QTemporaryDir doomed;
        QDir::setCurrent(doomed.path());
        QVERIFY(doomed.remove());
        auto app = Start();
        bool told = false;
        for (const Message& m : messages_.messages()) {
            if (m.resource == rid::kPrefsFolderListFailedMessage) {
                told = true;
                QVERIFY(m.text.find('\n') != std::string::npos);
            }
        }
        QVERIFY(told);
    }
};

}  // namespace kestrum

QTEST_MAIN(kestrum::MainWindowTest)
#include "main_window_test.moc"
