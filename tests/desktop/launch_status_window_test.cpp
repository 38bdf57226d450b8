// The launch status windows over a real delivery worker: what they could get wrong is sending
// when the user cancelled, not pausing where the user paused, keeping a reverse order from the
// last send, losing a persistent window's failure, blocking Cancel behind a message, or
// flooding the event queue with progress.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <mutex>
#include <thread>

#include "desktop/launch_status_window.h"
#include "launch/launch_list.h"
#include "platform/clock.h"
#include "tests/fake_spooler.h"

namespace kestrum {
namespace {

// A spooler whose writes take time, so a test can act while a file is being written. The bytes
// are read by the test while the worker writes, hence the lock.
class SlowSpooler final : public Spooler {
  public:
    struct Record {
        std::mutex mutex;
        std::string bytes;
        bool ended = false;
    };

    explicit SlowSpooler(std::chrono::microseconds perWrite) : perWrite_(perWrite) {}

    Result<std::vector<PrinterQueue>> Printers() override {
        return std::vector<PrinterQueue>{PrinterQueue{"slow", PrinterQueue::Kind::Cups, {}, false}};
    }
    Result<std::unique_ptr<SpoolJob>> OpenPrintJob(const std::string&) override {
        return std::unique_ptr<SpoolJob>(std::make_unique<Job>(record_, perWrite_));
    }
    std::string bytes() {
        std::lock_guard lock(record_.mutex);
        return record_.bytes;
    }
    bool ended() {
        std::lock_guard lock(record_.mutex);
        return record_.ended;
    }

  private:
    class Job final : public SpoolJob {
      public:
        Job(Record& record, std::chrono::microseconds perWrite)
            : record_(record), perWrite_(perWrite) {}
        bool WriteToPrinter(const void* bytes, std::size_t length) override {
            std::this_thread::sleep_for(perWrite_);
            std::lock_guard lock(record_.mutex);
            record_.bytes.append(static_cast<const char*>(bytes), length);
            return true;
        }
        std::uint64_t bytesWritten() const override { return 0; }
        Result<void> EndPrintJob() override {
            std::lock_guard lock(record_.mutex);
            record_.ended = true;
            return Ok();
        }
        void AbortPrintJob() override {}
        std::string lastError() const override { return {}; }

      private:
        Record& record_;
        std::chrono::microseconds perWrite_;
    };

    Record record_;
    std::chrono::microseconds perWrite_;
};

template <typename T>
T* Control(QWidget& window, int id) {
    return window.findChild<T*>(QStringLiteral("control%1").arg(id));
}

class LaunchStatusWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    SystemClock clock_;

    std::string PlotFile(const QString& name, std::size_t size, char fill) {
        const std::string path = dir_.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << std::string(size, fill);
        return path;
    }

    // A request for `printer` with the files given, sent bare so the bytes are the files'.
    SendController::RequestSource Source(std::vector<std::string> files, std::string printer) {
        return [files, printer]() -> std::optional<SendRequest> {
            std::vector<PlotFileEntry> entries;
            for (const std::string& file : files) {
                PlotFileEntry entry;
                entry.filePath = file;
                entry.configuration = MarkerText(ConfigurationMarker::NoConfiguration);
                entries.push_back(entry);
            }
            DeliverySettings settings;
            settings.printers = {printer};
            settings.printerType = PrinterType::Generic;
            settings.pauseAfterCopyPerSet = std::chrono::milliseconds(0);
            settings.pauseAfterCopyCollated = std::chrono::milliseconds(0);
            return SendRequest{
                OptionState(Unit::Metric, PrinterType::Generic), entries, settings, {}, {}};
        };
    }

    static PrinterType Velmar() { return PrinterType::Velmar; }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void cancelBeforeStartSendsNothingAndCloses() {
        test::FakeSpooler spooler({"plotter"});
        LaunchStatusWindow window(false, false, SendServices{&spooler, &clock_, nullptr},
                                  Source({PlotFile("a.plt", 10, 'a')}, "plotter"), Velmar);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        QVERIFY(Control<QPushButton>(window, LaunchStatus::kStartPauseButton) != nullptr);
        Control<QPushButton>(window, LaunchStatus::kCancelButton)->click();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!window.isVisible());
        QVERIFY(spooler.jobs().empty());
        QCOMPARE(window.status().runState(), RunState::Stopped);
    }

    void pauseLetsTheFileCompleteAndHoldsTheNext() {
        SlowSpooler spooler(std::chrono::microseconds(1500));
        const std::string first = PlotFile("first.plt", 512 * 200, 'f');
        const std::string second = PlotFile("second.plt", 512 * 4, 's');
        LaunchStatusWindow window(false, false, SendServices{&spooler, &clock_, nullptr},
                                  Source({first, second}, "slow"), Velmar);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        auto* start = Control<QPushButton>(window, LaunchStatus::kStartPauseButton);
        QCOMPARE(start->text(), QStringLiteral("Start"));
        start->click();
        QCOMPARE(start->text(), QStringLiteral("Pause"));
        QTRY_VERIFY(spooler.bytes().find('f') != std::string::npos);
        start->click();  // pause in the middle of the first file
        QCOMPARE(start->text(), QStringLiteral("Start"));
        QTRY_VERIFY_WITH_TIMEOUT(spooler.bytes().size() >= 512 * 200, 5000);
        QTest::qWait(400);
        const std::string held = spooler.bytes();
        QCOMPARE(held.size(), std::size_t{512 * 200});  // the file, and not a byte more
        QVERIFY(held.find('s') == std::string::npos);
        QCOMPARE(finished.count(), 0);
        start->click();  // resume
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(spooler.bytes().size(), std::size_t{512 * 204});
        QVERIFY(spooler.ended());
        // The bars went the whole way and the caption named the printer while it was written.
        QCOMPARE(Control<QProgressBar>(window, LaunchStatus::kFileProgress)->value(), 1000);
        QVERIFY(window.controller().progressAnnouncements() < 100);
    }

    void showingResetsTheOrderToListOrder() {
        test::FakeSpooler spooler({"plotter"});
        LaunchStatusWindow window(false, true, SendServices{&spooler, &clock_, nullptr},
                                  Source({}, "plotter"), Velmar);
        window.show();
        auto* reverse = Control<QRadioButton>(window, LaunchStatus::kReverseOrderButton);
        auto* folder = Control<QCheckBox>(window, LaunchStatus::kFolderBox);
        QVERIFY(folder->isVisible());
        reverse->click();
        folder->click();
        QVERIFY(window.status().reverseOrder());
        QVERIFY(window.status().folderBoxChecked());
        window.hide();
        window.show();
        QVERIFY(!window.status().reverseOrder());
        QVERIFY(Control<QRadioButton>(window, LaunchStatus::kListOrderButton)->isChecked());
        QVERIFY(!folder->isChecked());
        QVERIFY(!window.status().folderBoxChecked());
    }

    void folderBoxHiddenForOtherPrinterTypes() {
        test::FakeSpooler spooler({"plotter"});
        LaunchStatusWindow window(false, true, SendServices{&spooler, &clock_, nullptr},
                                  Source({}, "plotter"), [] { return PrinterType::Generic; });
        window.show();
        QVERIFY(!Control<QCheckBox>(window, LaunchStatus::kFolderBox)->isVisible());
    }

    void copiesAndReverseOrderReachTheWorker() {
        test::FakeSpooler spooler({"plotter"});
        const std::string a = PlotFile("ca.plt", 3, 'a');
        const std::string b = PlotFile("cb.plt", 3, 'b');
        LaunchStatusWindow window(false, false, SendServices{&spooler, &clock_, nullptr},
                                  Source({a, b}, "plotter"), Velmar);
        QSignalSpy finished(&window, &QDialog::finished);
        QSignalSpy completed(&window, &LaunchStatusWindow::JobCompleted);
        window.show();
        auto* copies = Control<QComboBox>(window, LaunchStatus::kCopiesList);
        QCOMPARE(copies->count(), 100);
        QCOMPARE(copies->currentText(), QStringLiteral("1"));
        copies->setCurrentIndex(1);
        Control<QRadioButton>(window, LaunchStatus::kReverseOrderButton)->click();
        Control<QPushButton>(window, LaunchStatus::kStartPauseButton)->click();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(completed.count(), 1);
        QCOMPARE(spooler.jobs().size(), std::size_t{1});
        QCOMPARE(spooler.jobs().front().bytes, std::string("bbbaaabbbaaa"));
    }

    void cancelWorksWhileAMessageIsOpen() {
        test::FakeSpooler spooler({"plotter"});
        spooler.FailFromWrite(0);
        LaunchStatusWindow window(false, false, SendServices{&spooler, &clock_, nullptr},
                                  Source({PlotFile("m.plt", 10, 'm')}, "plotter"), Velmar);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        Control<QPushButton>(window, LaunchStatus::kStartPauseButton)->click();
        // The worker waits for the message; the window still answers.
        QTRY_COMPARE(window.controller().openMessages(), 1);
        QVERIFY(window.controller().workerRunning());
        auto* cancel = Control<QPushButton>(window, LaunchStatus::kCancelButton);
        QVERIFY(cancel->isEnabled());
        cancel->click();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!window.controller().workerRunning());
        QCOMPARE(spooler.jobs().front().abortCalls, 1);
    }

    void persistentWindowRestartsAfterAFailure() {
        test::FakeSpooler spooler({"plotter"});
        std::string printer = "missing";
        const std::string file = PlotFile("p.plt", 10, 'p');
        auto source = [&]() { return Source({file}, printer)(); };
        LaunchStatusWindow window(true, false, SendServices{&spooler, &clock_, nullptr}, source,
                                  Velmar);
        QSignalSpy failed(&window, &LaunchStatusWindow::SendFailed);
        QSignalSpy released(&window, &LaunchStatusWindow::BusyMarkReleased);
        QSignalSpy visibility(&window, &LaunchStatusWindow::MainWindowVisibilityRequested);
        QSignalSpy completed(&window, &LaunchStatusWindow::JobCompleted);
        window.ShowPersistent();
        QVERIFY(window.isVisible());
        window.ToggleStartPause();  // as a command client's send does
        QTRY_COMPARE(failed.count(), 1);
        const auto message = failed.first().first().value<Message>();
        QVERIFY(QString::fromStdString(message.text).contains(QStringLiteral("missing")));
        QVERIFY(window.lastFailure().has_value());
        QCOMPARE(released.count(), 1);
        QVERIFY(!window.isVisible());
        QCOMPARE(visibility.last().first().toBool(), true);
        QCOMPARE(window.status().runState(), RunState::Paused);

        printer = "plotter";
        window.ShowPersistent();
        window.ToggleStartPause();
        QTRY_COMPARE(completed.count(), 1);
        QCOMPARE(spooler.jobs().size(), std::size_t{1});
        QCOMPARE(spooler.jobs().front().bytes, std::string(10, 'p'));
        QVERIFY(!window.lastFailure().has_value());
        QVERIFY(!window.isVisible());
        QCOMPARE(window.status().runState(), RunState::Paused);
        QCOMPARE(Control<QProgressBar>(window, LaunchStatus::kFileProgress)->value(), 0);
    }

    void largeFilePostsABoundedNumberOfUpdates() {
        test::FakeSpooler spooler({"plotter"});
        const std::string big = PlotFile("big.plt", 64u << 20, 'x');
        LaunchStatusWindow window(false, false, SendServices{&spooler, &clock_, nullptr},
                                  Source({big}, "plotter"), Velmar);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        QElapsedTimer timer;
        timer.start();
        Control<QPushButton>(window, LaunchStatus::kStartPauseButton)->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
        const qint64 ms = timer.elapsed();
        const int announcements = window.controller().progressAnnouncements();
        qInfo("64 MiB: %lld ms, %d progress announcements", ms, announcements);
        // About thirty a second, plus one per file, list step and printer.
        QVERIFY(announcements <= ms * 40 / 1000 + 10);
        QCOMPARE(Control<QProgressBar>(window, LaunchStatus::kFileProgress)->value(), 1000);
    }
};

}  // namespace
}  // namespace kestrum

QTEST_MAIN(kestrum::LaunchStatusWindowTest)
#include "launch_status_window_test.moc"
