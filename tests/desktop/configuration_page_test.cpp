// The configuration file page: sending the configuration alone in both output modes to the checked
// queue, the queue-script controls following the output mode, and Save asking for a name first.
// What could go wrong: a send going to a queue nobody checked, KSL controls usable in device mode
// (or a set-current flag left on), a script with the wrong reference, or a save that silently
// writes to a name the user never chose.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "../fake_spooler.h"
#include "desktop/application.h"
#include "desktop/configuration_page.h"
#include "desktop/main_window.h"
#include "tests/desktop/desktop_test_support.h"

namespace kestrum {

class ConfigurationPageTest : public QObject {
    Q_OBJECT

  private:
    test::ScratchFolders folders_;
    CollectingMessageSink messages_;
    test::FakeSpooler* spooler_ = nullptr;

    std::unique_ptr<Application> Start() {
        auto spooler = std::make_unique<test::FakeSpooler>(std::set<std::string>{"plotter"});
        spooler_ = spooler.get();
        auto app = std::make_unique<Application>(std::move(spooler), &messages_);
        app->Start(false);
        app->mainWindow()->show();
        // Check the one queue, as a user does before sending.
        app->mainWindow()->RunCommand(MainWindow::kPrinterCommand);
        Find<QListWidget>(*app, 1233)->item(0)->setCheckState(Qt::Checked);
        app->mainWindow()->RunCommand(MainWindow::kConfigFilePageCommand);
        return app;
    }

    template <typename W>
    static W* Find(Application& app, int id) {
        return test::FindControl<W>(app, id);
    }

  private slots:
    void init() {
        folders_.Begin();
        messages_ = CollectingMessageSink();
    }

    void cleanup() { folders_.End(); }

    void deviceModeSendsTheHeaderAloneToTheCheckedQueue() {
        auto app = Start();
        QVERIFY(!Find<QRadioButton>(*app, 1074)->isEnabled());
        QTest::mouseClick(Find<QPushButton>(*app, 1077), Qt::LeftButton);
        QCOMPARE(spooler_->jobs().size(), std::size_t(1));
        const auto& job = spooler_->jobs().front();
        QCOMPARE(QString::fromStdString(job.printer), QStringLiteral("plotter"));
        QVERIFY(job.ended);
        // The defaults make no command; whatever there is, it is a header, not a script.
        QVERIFY(job.bytes.empty() || job.bytes.front() == '\033');
    }

    void kslModeSendsTheScriptWithItsKindAndSetCurrent() {
        auto app = Start();
        // Preferences is another view: its buttons are pressed as the page is hidden.
        Find<QRadioButton>(*app, 1143)->click();
        QVERIFY(Find<QRadioButton>(*app, 1075)->isEnabled());
        Find<QRadioButton>(*app, 1075)->click();
        Find<QCheckBox>(*app, 1076)->click();
        QTest::mouseClick(Find<QPushButton>(*app, 1077), Qt::LeftButton);
        QCOMPARE(spooler_->jobs().size(), std::size_t(1));
        const std::string& bytes = spooler_->jobs().front().bytes;
        const std::string reference = "(QUEUE, config1.cfg);\r\n\r\n";
        QVERIFY2(bytes.rfind("@KSL NEWCONFIG" + reference, 0) == 0, bytes.substr(0, 80).c_str());
        const std::string tail = "\r\n@KSL END;\r\n@KSL SETCURRENT" + reference;
        QVERIFY(bytes.size() > tail.size());
        QCOMPARE(bytes.substr(bytes.size() - tail.size()), tail);

        // Back to device mode: the script controls are off and the flag is cleared.
        Find<QRadioButton>(*app, 1144)->click();
        QVERIFY(!Find<QRadioButton>(*app, 1075)->isEnabled());
        QVERIFY(!Find<QCheckBox>(*app, 1076)->isChecked());
        QCOMPARE(app->options().values.setCurrentFlag, 0);
    }

    void saveAsksForANameFirstThenSavesInPlace() {
        auto app = Start();
        int asked = 0;
        const QString target = folders_.work->filePath(QStringLiteral("a0-bond.cfg"));
        app->configurationPage()->SetFileQuestions(
            [](const QString&, const QString&) { return QString(); },
            [&](const QString&, const QString&) {
                ++asked;
                return target;
            });
        QTest::mouseClick(Find<QPushButton>(*app, 1064), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(target));
        QCOMPARE(QString::fromStdString(app->configurationManager().currentConfiguration()),
                 target);
        QTest::mouseClick(Find<QPushButton>(*app, 1064), Qt::LeftButton);
        QCOMPARE(asked, 1);
        // A cancelled Save As changes nothing.
        app->configurationPage()->SetFileQuestions(
            [](const QString&, const QString&) { return QString(); },
            [](const QString&, const QString&) { return QString(); });
        QTest::mouseClick(Find<QPushButton>(*app, 1065), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(app->configurationManager().currentConfiguration()),
                 target);
    }
};

}  // namespace kestrum

QTEST_MAIN(kestrum::ConfigurationPageTest)
#include "configuration_page_test.moc"
