// The launcher window driven through its real widgets: what it could get wrong is adding the
// wrong file or none, letting a filter hide names without a full stop, breaking the AutoCAD name
// rule, selecting the wrong entry after a removal, losing an entry in a drag, mixing up the
// assignment dialog's texts, changing a list on its way through a launch file, opening a send
// with no printer, dropping files in the wrong order, sending other bytes than the composer, or
// calling a job the printer broke off a success.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "desktop/assignment_dialog.h"
#include "desktop/drawing_preview_dialog.h"
#include "desktop/job_outcome_follower.h"
#include "desktop/launcher_window.h"
#include "launch/launch_file.h"
#include "platform/cups_spooler.h"
#include "platform/hot_folder_spooler.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"
#include "tests/cups/private_scheduler.h"
#include "tests/fake_spooler.h"

namespace kestrum {
namespace {

template <typename T>
T* Control(QWidget& window, int id) {
    return window.findChild<T*>(QStringLiteral("control%1").arg(id));
}

QString Str(int resource) {
    return QString::fromStdString(std::string(LoadResourceString(resource)));
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Answers the next modal dialog with `act` once it is open.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        act(QApplication::activeModalWidget());
    });
}

// Everything a launcher needs, owned by the test as the main window owns it.
struct Fixture {
    explicit Fixture(const QString& folder, bool autoCad = false,
                     std::set<std::string> queues = {"plotter"})
        : spooler(std::move(queues)), options(Unit::Metric, PrinterType::Velmar) {
        settings.plotFilesFolder = folder.toStdString();
        settings.configFilesFolder = folder.toStdString();
        settings.autoCad = autoCad;
        Make();
    }
    void Make() {
        window = std::make_unique<LauncherWindow>(
            LauncherContext{list, settings, options, printers, ticket, renderer, messages,
                            SendServices{&spooler, &clock, nullptr}});
        window->show();
    }
    void CheckPrinter(Spooler& queues) {
        QVERIFY(printers.Rebuild(queues.Printers(), {}).ok());
        QVERIFY(printers.SetChecked(0, true, settings).ok());
    }
    QString LastMessage() const {
        return messages.messages().empty()
                   ? QString()
                   : QString::fromStdString(messages.messages().back().text);
    }
    QString Line(std::size_t i) const { return QString::fromStdString(list.line(i)); }

    test::FakeSpooler spooler;
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

// A scheduler that keeps every job printing, and counts the questions.
class EndlessJobs final : public JobStateSource {
  public:
    Result<CupsJobStatus> State(const std::string&, int, bool&) override {
        ++asked;
        return CupsJobStatus{CupsJobState::Processing, {}};
    }
    std::atomic<int> asked{0};
};

// Reads the end-of-job notice as a user would: for as long as the status window behind it takes to
// show the printer's outcome.
class NoticeReader final : public MessageSink {
  public:
    void Show(const Message& message) override {
        shown.push_back(message);
        auto* window = qobject_cast<LaunchStatusWindow*>(QApplication::activeModalWidget());
        if (window == nullptr) return;
        QElapsedTimer reading;
        reading.start();
        while (window->jobOutcomes().isEmpty() && reading.elapsed() < 10000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        outcomesInWindow = window->jobOutcomes();
    }
    std::vector<Message> shown;
    QString outcomesInWindow;
};

class LauncherWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    QString Make(const QString& name, const std::string& bytes = "IN;PU0,0;") {
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }

    static QStringList Items(QListWidget* list) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        return items;
    }

    static void Type(LauncherWindow& window, const QString& text) {
        auto* name = Control<QLineEdit>(window, LauncherWindow::kNameField);
        name->setText(text);
        QTest::keyClick(name, Qt::Key_Return);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Make("a.plt");
        Make("B.PLT");
        Make("README");
        Make("plan.dwg");
        Make("plan.old.dwg");
        Make("x.DXF");
        Make("sub/inner.plt");
    }

    void browserListsFiltersAndAdds() {
        Fixture f(dir_.path());
        LauncherWindow& w = *f.window;
        auto* files = Control<QListWidget>(w, LauncherWindow::kFileList);
        QCOMPARE(w.filter(), QStringLiteral("*.*"));
        QVERIFY(Items(files).contains(QStringLiteral("README")));  // no full stop, still listed
        QVERIFY(Items(Control<QListWidget>(w, LauncherWindow::kFolderList))
                    .contains(QStringLiteral("sub")));

        Type(w, QStringLiteral("*.plt"));  // a wildcard becomes the filter, adds nothing
        QCOMPARE(Items(files), (QStringList{"a.plt", "B.PLT"}));
        QVERIFY(f.list.empty());
        QVERIFY(!Control<QPushButton>(w, LauncherWindow::kSendButton)->isEnabled());

        Type(w, QStringLiteral("a.plt"));
        QCOMPARE(f.list.size(), std::size_t{1});
        QCOMPARE(Control<QLineEdit>(w, LauncherWindow::kPathField)->text(),
                 dir_.filePath(QStringLiteral("a.plt")));
        QCOMPARE(f.Line(0), QStringLiteral("a.plt\t") + Str(rid::kNewEntryConfiguration));
        QVERIFY(Control<QPushButton>(w, LauncherWindow::kSendButton)->isEnabled());

        Type(w, QStringLiteral("nothere.plt"));
        QCOMPARE(f.list.size(), std::size_t{1});
        QCOMPARE(f.LastMessage(),
                 QStringLiteral("nothere.plt\n\n") + Str(rid::kFileNotInListMessage));
        QCOMPARE(QString::fromStdString(f.messages.messages().back().caption),
                 QStringLiteral("Launcher"));

        files->selectAll();  // several selected: each added, in list order
        Control<QPushButton>(w, LauncherWindow::kAddButton)->click();
        QCOMPARE(f.list.size(), std::size_t{3});
        QCOMPARE(QString::fromStdString(f.list.entry(2).filePath),
                 dir_.filePath(QStringLiteral("B.PLT")));

        auto* folders = Control<QListWidget>(w, LauncherWindow::kFolderList);
        emit folders->itemActivated(
            folders->findItems(QStringLiteral("sub"), Qt::MatchExactly).first());
        QCOMPARE(w.currentFolder(), dir_.filePath(QStringLiteral("sub")));
        QCOMPARE(Items(files), QStringList{"inner.plt"});
        QCOMPARE(Control<QLabel>(w, LauncherWindow::kFolderLabel)->text(), w.currentFolder());
    }

    void autoCadNameRules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("added");
        QTest::newRow("capitalDxf") << "x.DXF" << true;
        QTest::newRow("dwg") << "plan.dwg" << true;
        QTest::newRow("noFullStop") << "README" << false;
        QTest::newRow("twoFullStops") << "plan.old.dwg" << false;
        QTest::newRow("plotFile") << "a.plt" << false;
    }
    void autoCadNameRules() {
        QFETCH(QString, name);
        QFETCH(bool, added);
        Fixture f(dir_.path(), true);
        QCOMPARE(f.window->filter(), QStringLiteral("*.dxf"));
        f.window->SetFilter(QStringLiteral("*.*"));
        Type(*f.window, name);
        QCOMPARE(f.list.size(), std::size_t(added ? 1 : 0));
        if (!added) {
            QCOMPARE(f.LastMessage(),
                     name + QStringLiteral("\n\n") + Str(rid::kNotADrawingNameMessage));
        }
    }

    void removeAndClearSelection() {
        Fixture f(dir_.path());
        LauncherWindow& w = *f.window;
        for (const char* name : {"a.plt", "B.PLT", "README"}) Type(w, QString::fromLatin1(name));
        QCOMPARE(f.list.size(), std::size_t{3});
        auto* view = Control<QTreeView>(w, LauncherWindow::kLaunchList);
        auto* remove = Control<QPushButton>(w, LauncherWindow::kRemoveButton);
        auto* path = Control<QLineEdit>(w, LauncherWindow::kPathField);
        view->setCurrentIndex(view->model()->index(2, 0));
        remove->click();  // the last one: the new last one is selected
        QCOMPARE(f.list.selection(), std::optional<std::size_t>(1));
        QCOMPARE(path->text(), dir_.filePath(QStringLiteral("B.PLT")));
        view->setCurrentIndex(view->model()->index(0, 0));
        remove->click();  // the first one: the one that took its place is selected
        QCOMPARE(f.list.selection(), std::optional<std::size_t>(0));
        QCOMPARE(path->text(), dir_.filePath(QStringLiteral("B.PLT")));
        remove->click();
        QVERIFY(f.list.empty());
        QVERIFY(path->text().isEmpty());
        QVERIFY(!Control<QPushButton>(w, LauncherWindow::kSendButton)->isEnabled());

        Type(w, QStringLiteral("a.plt"));
        Type(w, QStringLiteral("B.PLT"));
        Control<QPushButton>(w, LauncherWindow::kClearButton)->click();
        QVERIFY(f.list.empty());
        QCOMPARE(view->model()->rowCount(), 0);
        QVERIFY(!Control<QPushButton>(w, LauncherWindow::kSendButton)->isEnabled());
    }

    void dragReorders() {
        Fixture f(dir_.path());
        LauncherWindow& w = *f.window;
        for (const char* name : {"a.plt", "B.PLT", "README"}) Type(w, QString::fromLatin1(name));
        auto* model = Control<QTreeView>(w, LauncherWindow::kLaunchList)->model();
        auto drag = [&](int from, int onto) {
            std::unique_ptr<QMimeData> data(model->mimeData({model->index(from, 0)}));
            QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(onto, 0)));
        };
        drag(2, 0);  // README in front of a.plt
        QCOMPARE(f.Line(0).section('\t', 0, 0), QStringLiteral("README"));
        QCOMPARE(f.Line(1).section('\t', 0, 0), QStringLiteral("a.plt"));
        QCOMPARE(f.list.selection(), std::optional<std::size_t>(0));
        QCOMPARE(Control<QLineEdit>(w, LauncherWindow::kPathField)->text(),
                 dir_.filePath(QStringLiteral("README")));
        drag(0, 1);  // onto the entry just below: nothing moves
        QCOMPARE(f.Line(0).section('\t', 0, 0), QStringLiteral("README"));
        drag(0, 2);  // in front of B.PLT
        QCOMPARE(f.Line(1).section('\t', 0, 0), QStringLiteral("README"));
        QCOMPARE(f.list.selection(), std::optional<std::size_t>(1));
    }

    void assignmentDialogTexts() {
        Fixture f(dir_.path());
        LauncherWindow& w = *f.window;
        const QString config = Make("conf/one.cfg", "");
        w.SetFileDialogs({nullptr, nullptr, [config](QWidget*, const QString&) { return config; }});
        Type(w, QStringLiteral("a.plt"));
        WhenModal([&](QWidget* dialog) {
            auto* field = Control<QLineEdit>(*dialog, AssignmentDialog::kConfigurationField);
            QCOMPARE(Control<QLineEdit>(*dialog, AssignmentDialog::kPathField)->text(),
                     dir_.filePath(QStringLiteral("a.plt")));
            QCOMPARE(field->text(), Str(rid::kNewEntryConfiguration));
            QVERIFY(Control<QRadioButton>(*dialog, AssignmentDialog::kCurrentSettingsButton)
                        ->isChecked());
            auto* browse = Control<QPushButton>(*dialog, AssignmentDialog::kBrowseButton);
            QVERIFY(!browse->isEnabled());
            Control<QRadioButton>(*dialog, AssignmentDialog::kNoConfigurationButton)->click();
            QCOMPARE(field->text(), Str(rid::kNoConfigurationChoice));
            Control<QRadioButton>(*dialog, AssignmentDialog::kFileButton)->click();
            QVERIFY(field->text().isEmpty());  // a choice text is not a file name
            QVERIFY(browse->isEnabled());
            browse->click();
            QCOMPARE(field->text(), config);
            static_cast<QDialog*>(dialog)->accept();
        });
        Control<QPushButton>(w, LauncherWindow::kAssignButton)->click();
        QCOMPARE(QString::fromStdString(f.list.entry(0).configuration), config);
        QCOMPARE(f.Line(0), QStringLiteral("a.plt\tone.cfg"));

        WhenModal([&](QWidget* dialog) {
            QVERIFY(Control<QRadioButton>(*dialog, AssignmentDialog::kFileButton)->isChecked());
            QCOMPARE(Control<QLineEdit>(*dialog, AssignmentDialog::kConfigurationField)->text(),
                     config);
            Control<QRadioButton>(*dialog, AssignmentDialog::kNoConfigurationButton)->click();
            static_cast<QDialog*>(dialog)->reject();  // Cancel changes nothing
        });
        w.AssignSelected();
        QCOMPARE(QString::fromStdString(f.list.entry(0).configuration), config);

        f.list.Select(std::nullopt);
        w.Refresh();
        w.AssignSelected();
        QCOMPARE(f.LastMessage(), Str(rid::kNoEntrySelectedMessage));
    }

    void configurationsSwitchOff() {
        Fixture f(dir_.path());
        Type(*f.window, QStringLiteral("a.plt"));
        auto* header = Control<QHeaderView>(*f.window, LauncherWindow::kConfigurationLabel);
        QCOMPARE(header->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Configuration Option"));
        f.settings.printerType = PrinterType::Generic;
        f.window->ApplyConfigurationsSwitch();
        QVERIFY(!Control<QPushButton>(*f.window, LauncherWindow::kAssignButton)->isEnabled());
        QVERIFY(
            !Control<QPushButton>(*f.window, LauncherWindow::kConfigurationsButton)->isEnabled());
        QVERIFY(header->model()->headerData(1, Qt::Horizontal).toString().isEmpty());
        QCOMPARE(f.Line(0), dir_.filePath(QStringLiteral("a.plt")));
        const std::size_t before = f.messages.messages().size();
        f.window->AssignSelected();  // nothing happens, not even a message
        QCOMPARE(f.messages.messages().size(), before);
    }

    void launchFileRoundTrip() {
        Fixture f(dir_.path());
        LauncherWindow& w = *f.window;
        const QString file = dir_.filePath(QStringLiteral("lists/round"));
        QDir().mkpath(dir_.filePath(QStringLiteral("lists")));
        w.SetFileDialogs({[&](QWidget*, const QString&) { return file + QStringLiteral(".lch"); },
                          [&](QWidget*, const QString&) { return file; }, nullptr});
        Type(w, QStringLiteral("a.plt"));
        Type(w, QStringLiteral("B.PLT"));
        QVERIFY(f.list.AssignMarker(ConfigurationMarker::NoConfiguration).ok());
        const std::vector<PlotFileEntry> saved = f.list.Entries();
        const QStringList lines{f.Line(0), f.Line(1)};
        Control<QPushButton>(w, LauncherWindow::kSaveButton)->click();  // the suffix is added
        QVERIFY(QFileInfo::exists(file + QStringLiteral(".lch")));
        Control<QPushButton>(w, LauncherWindow::kClearButton)->click();
        Control<QPushButton>(w, LauncherWindow::kOpenButton)->click();
        QCOMPARE(f.list.Entries(), saved);
        QCOMPARE((QStringList{f.Line(0), f.Line(1)}), lines);
        QCOMPARE(Control<QTreeView>(w, LauncherWindow::kLaunchList)->model()->rowCount(), 2);
        QVERIFY(f.messages.messages().empty());

        // A list naming a file that is gone opens, and says which.
        const QString gone = Make("gone.plt");
        Control<QPushButton>(w, LauncherWindow::kRefreshButton)->click();
        Type(w, QStringLiteral("gone.plt"));
        QVERIFY(w.SaveLaunchFile(file));
        QFile::remove(gone);
        QVERIFY(w.OpenLaunchFile(file + QStringLiteral(".lch")));
        QCOMPARE(f.list.size(), std::size_t{3});
        QVERIFY(f.LastMessage().endsWith(gone));
        auto* model = Control<QTreeView>(w, LauncherWindow::kLaunchList)->model();
        QVERIFY(model->index(2, 0)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(Str(rid::kMissingEntryTip)));
        QVERIFY(!model->index(0, 0)
                     .data(Qt::ToolTipRole)
                     .toString()
                     .contains(Str(rid::kMissingEntryTip)));
        // The mark is seen in the list itself, icon theme or not.
        QVERIFY(!model->index(2, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model->index(0, 0).data(Qt::DecorationRole).isNull());

        // Not a launch file: refused, and the list is cleared.
        const QString bad = Make("bad.lch", "this is not a launch file");
        QVERIFY(!w.OpenLaunchFile(bad));
        QVERIFY(f.list.empty());
        QVERIFY(f.LastMessage().contains(Str(rid::kLaunchFileInvalidMessage)));
    }

    // The window shows every entry of a large launch file; how fast is the launcher benchmark's.
    void tenThousandEntriesAllShow() {
        Fixture f(dir_.path());
        std::vector<PlotFileEntry> entries(10000);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i].filePath = dir_.filePath(QStringLiteral("a.plt")).toStdString();
            entries[i].configuration = "/configs/plot" + std::to_string(i) + ".cfg";
        }
        const std::string file = dir_.filePath(QStringLiteral("big.lch")).toStdString();
        QVERIFY(WriteLaunchFile(file, entries).ok());
        QVERIFY(f.window->OpenLaunchFile(QString::fromStdString(file)));
        QApplication::processEvents();
        QCOMPARE(Control<QTreeView>(*f.window, LauncherWindow::kLaunchList)->model()->rowCount(),
                 10000);
    }

    void sendWithoutPrinter() {
        Fixture f(dir_.path());
        Type(*f.window, QStringLiteral("a.plt"));
        Control<QPushButton>(*f.window, LauncherWindow::kSendButton)->click();
        QCOMPARE(f.LastMessage(), QStringLiteral("You must first select a printer."));
        QCOMPARE(QString::fromStdString(f.messages.messages().back().caption),
                 QStringLiteral("No Printer Selected"));
        QVERIFY(f.spooler.jobs().empty());
    }

    void filesFromTheFileManager() {
        Fixture f(dir_.path());
        LauncherWindow& w = *f.window;
        Type(w, QStringLiteral("a.plt"));
        Type(w, QStringLiteral("B.PLT"));
        w.SetFilter(QStringLiteral("*.plt"));
        const QString vanished = dir_.filePath(QStringLiteral("vanished/"));
        QList<QUrl> urls{QUrl::fromLocalFile(dir_.filePath(QStringLiteral("README"))),
                         QUrl(QStringLiteral("https://example.org/plan.plt")),
                         QUrl::fromLocalFile(dir_.filePath(QStringLiteral("sub"))),
                         QUrl::fromLocalFile(dir_.filePath(QStringLiteral("missing.plt"))),
                         QUrl::fromLocalFile(vanished)};
        // A file and a folder nobody may read (root reads anything, so only checked for other
        // users).
        const QString locked = Make("locked.plt");
        const QString lockedFolder = QFileInfo(Make("locked/inside.plt")).path();
        QFile::setPermissions(locked, QFileDevice::Permissions());
        QFile::setPermissions(lockedFolder, QFileDevice::Permissions());
        const bool lockedUnreadable = ::geteuid() != 0;
        if (lockedUnreadable) {
            urls << QUrl::fromLocalFile(locked) << QUrl::fromLocalFile(lockedFolder);
        }
        auto* model = Control<QTreeView>(w, LauncherWindow::kLaunchList)->model();
        QMimeData data;
        data.setUrls(urls);
        QVERIFY(model->dropMimeData(&data, Qt::CopyAction, -1, -1, model->index(1, 0)));
        QCOMPARE(f.list.size(), std::size_t{4});
        QCOMPARE(f.Line(0).section('\t', 0, 0), QStringLiteral("a.plt"));
        QCOMPARE(f.Line(1).section('\t', 0, 0), QStringLiteral("README"));
        QCOMPARE(f.Line(2).section('\t', 0, 0), QStringLiteral("inner.plt"));  // the folder's files
        QCOMPARE(f.Line(3).section('\t', 0, 0), QStringLiteral("B.PLT"));
        QCOMPARE(f.messages.messages().size(), std::size_t{1});  // one for all three skipped
        const QString message = f.LastMessage();
        QVERIFY(message.contains(QStringLiteral("https://example.org/plan.plt")));
        QVERIFY(message.contains(dir_.filePath(QStringLiteral("missing.plt"))));
        QVERIFY(message.contains(QStringLiteral("vanished")));
        QCOMPARE(message.contains(locked), lockedUnreadable);
        QCOMPARE(message.contains(lockedFolder + QStringLiteral(": ") + Str(rid::kDropUnreadable)),
                 lockedUnreadable);
        QFile::remove(locked);
        QFile::setPermissions(
            lockedFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir(lockedFolder).removeRecursively();

        // The command line: plot files are added, a launch file is opened.
        QVERIFY(w.SaveLaunchFile(dir_.filePath(QStringLiteral("cmd.lch"))));
        w.OpenFromCommandLine({dir_.filePath(QStringLiteral("cmd.lch"))});
        QCOMPARE(f.list.size(), std::size_t{4});
        w.OpenFromCommandLine({dir_.filePath(QStringLiteral("x.DXF"))});
        QCOMPARE(f.list.size(), std::size_t{5});
        QCOMPARE(f.Line(4).section('\t', 0, 0), QStringLiteral("x.DXF"));
    }

    void previewWithoutRenderer() {
        Fixture f(dir_.path());
        PlotFileEntry drawing;
        drawing.filePath = dir_.filePath(QStringLiteral("plan.dwg")).toStdString();
        drawing.isDrawing = 1;
        f.list.Replace({drawing});
        f.window->Refresh();
        auto* preview = Control<QPushButton>(*f.window, LauncherWindow::kPreviewButton);
        QVERIFY(preview->isEnabled());
        preview->click();
        QCOMPARE(f.LastMessage(), Str(rid::kNoRendererPreview));
        Type(*f.window, QStringLiteral("a.plt"));
        QVERIFY(preview->isEnabled());  // plot files have their own preview
    }

    void plotFilePreviewDrawsHpglAndRefusesOtherFiles() {
        QFile plot(dir_.filePath(QStringLiteral("diagonal.plt")));
        QVERIFY(plot.open(QIODevice::WriteOnly));
        plot.write("IN;SP1;PU0,0;PD4000,4000;PU;");
        plot.close();
        const std::optional<HpglPlot> read = ReadPlotForPreview(plot.fileName().toStdString());
        QVERIFY(read.has_value());
        const std::optional<QImage> picture = PlotImage(*read, QSize(200, 100));
        QCOMPARE(picture->size(), QSize(200, 100));
        int ink = 0;
        for (int y = 0; y < picture->height(); ++y) {
            for (int x = 0; x < picture->width(); ++x) ink += qGray(picture->pixel(x, y)) < 128;
        }
        QVERIFY(ink >= 90);  // a diagonal across the fitted square

        QFile text(dir_.filePath(QStringLiteral("notes.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Dear plot room,\nplease print this.\n");
        text.close();
        QVERIFY(!ReadPlotForPreview(text.fileName().toStdString()).has_value());
    }

    // A drawing shows the renderer's own picture at its own size; at any other size the plot the
    // renderer makes, rendered once; the own picture again when that plot cannot be made.
    void drawingPreviewRendersItsPlotOnceForOtherSizes() {
        PreviewBitmap own;
        own.bits[0] = 0x80;  // one dot in the top left corner
        int renders = 0;
        const PreviewPainter painter = DrawingPainter(own, [&renders] {
            ++renders;
            const std::string plot = "IN;SP1;PU0,0;PD1000,0;";
            return std::optional<HpglPlot>(InterpretHpgl(
                std::span(reinterpret_cast<const std::uint8_t*>(plot.data()), plot.size())));
        });
        const QImage small = painter(QSize(300, 300));
        QCOMPARE(renders, 0);
        QCOMPARE(qGray(small.pixel(0, 0)), 0);
        const QImage large = painter(QSize(500, 400));
        QCOMPARE(large.size(), QSize(500, 400));
        int inkInFirstColumn = 0;  // the line, fitted across the width
        for (int y = 0; y < large.height(); ++y) inkInFirstColumn += qGray(large.pixel(0, y)) < 128;
        QCOMPARE(inkInFirstColumn, 1);
        (void)painter(QSize(640, 480));
        QCOMPARE(renders, 1);

        const PreviewPainter failing =
            DrawingPainter(own, [] { return std::optional<HpglPlot>(); });
        QCOMPARE(failing(QSize(500, 400)).size(), QSize(300, 300));  // stretched when shown
    }

    void previewDrawsAgainAtTheWindowsSize() {
        QFile plot(dir_.filePath(QStringLiteral("diagonal.plt")));
        QVERIFY(plot.open(QIODevice::WriteOnly));
        plot.write("IN;SP1;PU0,0;PD4000,4000;PU;");
        plot.close();
        std::optional<HpglPlot> read = ReadPlotForPreview(plot.fileName().toStdString());
        QVERIFY(read.has_value());
        DrawingPreviewDialog dialog(PlotPainter(std::make_shared<const HpglPlot>(*read)),
                                    plot.fileName());
        dialog.show();
        PreviewCanvas* canvas = dialog.canvas();
        QCOMPARE(canvas->picture().size(), QSize(300, 300));
        dialog.resize(dialog.size() + QSize(300, 200));
        QTRY_COMPARE(canvas->picture().size(), canvas->size());
        QVERIFY(canvas->width() > 500);
        // The diagonal is drawn anew from corner to corner of the fitted square, one pixel wide.
        const QImage& picture = canvas->picture();
        const int side = std::min(picture.width(), picture.height());
        int ink = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) ink += qGray(picture.pixel(x, y)) < 128;
        }
        QVERIFY(ink >= side - 2 && ink <= 2 * side);
    }

    // One send from the launcher to a hot folder, compared with what kestrum-cli composes.
    void sendToHotFolderMatchesTheComposer() {
        QTemporaryDir hot;
        QTemporaryDir config;
        QVERIFY(hot.isValid() && config.isValid());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString ini = config.filePath(QStringLiteral("kestrum.ini"));
        std::ofstream(ini.toStdString())
            << "[HotFolders]\nHotPlotter=" << hot.path().toStdString() << "\n";
        HotFolderSpooler spooler(ini.toStdString(), {});

        const QString plot = Make("e2e/drawing.plt", "IN;SP1;PA0,0;PD100,100;PU;");
        const QString cfg =
            Make("e2e/two.cfg", "[" + std::string(LoadResourceString(59142)) + "]\n" +
                                    std::string(LoadResourceString(59145)) + "=2\n" +
                                    std::string(LoadResourceString(59144)) + "=3\n");

        Fixture f(dir_.filePath(QStringLiteral("e2e")));
        f.options = OptionState(Unit::English, PrinterType::Velmar);
        f.window->SetFileDialogs(
            {nullptr, nullptr, [cfg](QWidget*, const QString&) { return cfg; }});
        LauncherContext context{
            f.list,   f.settings, f.options,  f.printers,
            f.ticket, f.renderer, f.messages, SendServices{&spooler, &f.clock, nullptr}};
        f.window = std::make_unique<LauncherWindow>(context);
        f.window->SetFileDialogs(
            {nullptr, nullptr, [cfg](QWidget*, const QString&) { return cfg; }});
        f.window->show();
        f.CheckPrinter(spooler);
        QSignalSpy statusBar(f.window.get(), &LauncherWindow::StatusMessage);
        Type(*f.window, QStringLiteral("drawing.plt"));
        WhenModal([](QWidget* dialog) {
            Control<QRadioButton>(*dialog, AssignmentDialog::kFileButton)->click();
            Control<QPushButton>(*dialog, AssignmentDialog::kBrowseButton)->click();
            static_cast<QDialog*>(dialog)->accept();
        });
        f.window->AssignSelected();
        QCOMPARE(QString::fromStdString(f.list.entry(0).configuration), cfg);

        WhenModal([](QWidget* status) {
            QCOMPARE(status->windowTitle(), QStringLiteral("Launch Status"));
            Control<QPushButton>(*status, LaunchStatus::kStartPauseButton)->click();
        });
        f.window->Send();  // returns when the status window has closed
        const auto jobs = std::filesystem::directory_iterator(hot.path().toStdString());
        std::vector<std::filesystem::path> files;
        for (const auto& job : jobs) files.push_back(job.path());
        QCOMPARE(files.size(), std::size_t{1});

        QProcess cli;
        cli.setWorkingDirectory(config.path());
        cli.start(QStringLiteral(KESTRUM_CLI),
                  {"jobstream", "--printer-type", "velmar", "--config", cfg, plot});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QByteArray expected = cli.readAllStandardOutput();
        QVERIFY(expected.contains("COPY3"));
        // The configuration asks for two copies of the entry: its stream twice.
        QCOMPARE(QByteArray::fromStdString(ReadAll(files.front())), expected + expected);
        QVERIFY(f.messages.messages().empty());
        // A hot-folder job is complete once it has its name: said when the window has closed.
        QTRY_VERIFY(!statusBar.isEmpty() && statusBar.last().at(0).toString() ==
                                                QStringLiteral("Printer \"HotPlotter\": ") +
                                                    Str(rid::kJobOutcomeCompleted));
    }

    // A follower given up before its jobs end (the launcher closes) stops asking at once and
    // reports nothing afterwards; one whose only job is a hot folder's is done by itself.
    void followerEndsWithItsOwner() {
        EndlessJobs scheduler;
        auto* follower = new JobOutcomeFollower(nullptr, &scheduler);
        QSignalSpy outcomes(follower, &JobOutcomeFollower::OutcomeKnown);
        follower->Follow({{"busy", WatchedJob::Kind::Cups, 4}},
                         {std::chrono::minutes(10), std::chrono::milliseconds(5)});
        QTRY_VERIFY(scheduler.asked > 2);
        // Well short of the ten-minute limit: deleting must not wait for the jobs.
        QElapsedTimer timer;
        timer.start();
        delete follower;
        QVERIFY(timer.elapsed() < 60000);
        const int asked = scheduler.asked;
        QTest::qWait(50);
        QCOMPARE(scheduler.asked.load(), asked);
        QVERIFY(outcomes.isEmpty());

        QPointer<JobOutcomeFollower> hot(new JobOutcomeFollower);
        QSignalSpy done(hot.data(), &JobOutcomeFollower::Done);
        QSignalSpy hotOutcomes(hot.data(), &JobOutcomeFollower::OutcomeKnown);
        hot->Follow(JobOutcomeFollower::JobsToFollow({{"Hot", 0, 10}, {"Withdrawn", 7, 0}}), {});
        QTRY_VERIFY(hot.isNull());
        QCOMPARE(done.size(), 1);
        QCOMPARE(hotOutcomes.size(), 1);  // the empty job was never a print job
        const auto outcome = hotOutcomes.first().first().value<JobOutcome>();
        QCOMPARE(QString::fromStdString(outcome.job.printer), QStringLiteral("Hot"));
        QVERIFY(outcome.completed());
    }

    // An outcome known while the status window is still open shows there, and on the status bar,
    // which keeps it after the window has gone.
    void outcomeInTheOpenWindow() {
        Fixture f(dir_.path());
        NoticeReader reader;
        f.settings.eojNotification = true;
        f.window = std::make_unique<LauncherWindow>(
            LauncherContext{f.list, f.settings, f.options, f.printers, f.ticket, f.renderer, reader,
                            SendServices{&f.spooler, &f.clock, nullptr}});
        f.window->show();
        f.CheckPrinter(f.spooler);
        QSignalSpy statusBar(f.window.get(), &LauncherWindow::StatusMessage);
        Type(*f.window, QStringLiteral("a.plt"));
        WhenModal([](QWidget* status) {
            Control<QPushButton>(*status, LaunchStatus::kStartPauseButton)->click();
        });
        f.window->Send();
        const QString outcome =
            QStringLiteral("Printer \"plotter\": ") + Str(rid::kJobOutcomeCompleted);
        QCOMPARE(reader.shown.size(), std::size_t{1});
        QCOMPARE(reader.outcomesInWindow, outcome);
        QVERIFY(!statusBar.isEmpty());
        QCOMPARE(statusBar.last().at(0).toString(), outcome);
    }

    // After the send, what each plotter made of its job: the plotter behind "dropped" breaks the
    // connection, so the scheduler aborts that job, which must reach the user as a failure.
    void printerOutcomesAfterTheSend() {
        test::PrivateScheduler scheduler;
        bool skip = false;
        std::string problem = scheduler.Start({0, 65536}, &skip);
        if (skip) QSKIP(problem.c_str());
        if (problem.empty()) problem = scheduler.AddRawQueue("taken", scheduler.port(0));
        if (problem.empty()) problem = scheduler.AddRawQueue("dropped", scheduler.port(1));
        QCOMPARE(QString::fromStdString(problem), QString());

        // Far more than the socket buffers hold, so the backend meets the broken connection.
        Make("outcome/big.plt", "IN;" + std::string(8 << 20, ' ') + "PU;");
        CupsSpooler spooler;
        Fixture f(dir_.filePath(QStringLiteral("outcome")));
        f.window = std::make_unique<LauncherWindow>(
            LauncherContext{f.list, f.settings, f.options, f.printers, f.ticket, f.renderer,
                            f.messages, SendServices{&spooler, &f.clock, nullptr}});
        f.window->SetJobWatchTiming({std::chrono::seconds(60), std::chrono::milliseconds(50)});
        f.window->show();
        QVERIFY(f.printers.Rebuild(spooler.Printers(), {}).ok());
        for (std::size_t i = 0; i < 2; ++i)
            QVERIFY(f.printers.SetChecked(i, true, f.settings).ok());
        QSignalSpy statusBar(f.window.get(), &LauncherWindow::StatusMessage);
        Type(*f.window, QStringLiteral("big.plt"));
        WhenModal([](QWidget* status) {
            Control<QPushButton>(*status, LaunchStatus::kStartPauseButton)->click();
        });
        f.window->Send();  // the window closes when both jobs are with the scheduler

        // Both outcomes on the status bar, the aborted one also as a message; then the follower
        // is gone.
        const auto both = [&] {
            if (statusBar.isEmpty()) return false;
            const QString line = statusBar.last().at(0).toString();
            return line.contains(QStringLiteral("\"taken\"")) &&
                   line.contains(QStringLiteral("\"dropped\""));
        };
        QTRY_VERIFY_WITH_TIMEOUT(both(), 60000);
        const QString line = statusBar.last().at(0).toString();
        QVERIFY(line.contains(
            QRegularExpression(QStringLiteral("Printer \"taken\", job \\d+: ") +
                               QRegularExpression::escape(Str(rid::kJobOutcomeCompleted)))));
        QCOMPARE(f.messages.messages().size(), std::size_t{1});
        const Message& failure = f.messages.messages().front();
        QCOMPARE(QString::fromStdString(failure.caption), Str(rid::kJobNotPrintedCaption));
        QCOMPARE(failure.icon, MessageIcon::Stop);
        QVERIFY(
            QString::fromStdString(failure.text).startsWith(QStringLiteral("Printer \"dropped\"")));
        QVERIFY(QString::fromStdString(failure.text).contains(Str(rid::kJobOutcomeAborted)));
        QTRY_VERIFY(f.window->findChildren<JobOutcomeFollower*>().isEmpty());
    }
};

}  // namespace
}  // namespace kestrum

QTEST_MAIN(kestrum::LauncherWindowTest)
#include "launcher_window_test.moc"
