// Pictures of the launcher's windows for review: with KESTRUM_PICTURES naming a folder, each
// window is drawn offscreen into a PNG there (also with a dark palette). Without it the test
// only checks that every window can be drawn.

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "desktop/assignment_dialog.h"
#include "desktop/drawing_preview_dialog.h"
#include "desktop/job_ticket_dialog.h"
#include "desktop/launcher_window.h"
#include "tests/fake_spooler.h"

namespace kestrum {
namespace {

class LauncherPicturesTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString out_;
    QString suffix_;

    // At its own size, or at `size` when one is given.
    void Picture(QWidget& widget, const QString& name, QSize size = {}) {
        if (size.isValid())
            widget.resize(size);
        else
            widget.adjustSize();
        widget.show();
        QApplication::processEvents();
        if (size.isValid()) QTest::qWait(200);  // a preview draws again once resizing pauses
        const QPixmap picture = widget.grab();
        QVERIFY(!picture.isNull());
        if (!out_.isEmpty()) QVERIFY(picture.save(QDir(out_).filePath(name + suffix_ + ".png")));
    }

    void AllWindows() {
        for (const char* name :
             {"plan.plt", "elevation.plt", "section-a.hpgl", "README", "site.dxf"}) {
            std::ofstream(dir_.filePath(QString::fromLatin1(name)).toStdString()) << "IN;";
        }
        QDir(dir_.path()).mkdir(QStringLiteral("archive"));
        test::FakeSpooler spooler({"plotter"});
        SystemClock clock;
        LaunchList list;
        ProgramSettings settings;
        settings.plotFilesFolder = dir_.path().toStdString();
        OptionState options(Unit::Metric, PrinterType::Velmar);
        PrinterSelection printers;
        JobTicket ticket;
        RendererBinding renderer;
        CollectingMessageSink messages;
        LauncherWindow launcher(LauncherContext{list, settings, options, printers, ticket, renderer,
                                                messages, SendServices{&spooler, &clock, nullptr}});
        for (const char* name : {"plan.plt", "elevation.plt", "section-a.hpgl"}) {
            list.AddEntry(dir_.filePath(QString::fromLatin1(name)).toStdString());
        }
        (void)list.AssignConfiguration("/home/plotroom/configs/A1-colour.cfg");
        launcher.Refresh();
        launcher.resize(1000, 560);
        Picture(launcher, QStringLiteral("launcher"));

        LaunchStatusWindow status(false, true, SendServices{&spooler, &clock, nullptr}, {},
                                  [] { return PrinterType::Velmar; });
        status.status().SetPrinterCaption("plotter");
        status.status().SetListProgress(1, 3);
        status.status().StartFile(dir_.filePath(QStringLiteral("elevation.plt")).toStdString(),
                                  1000);
        status.status().SetFileBytesSent(400);
        emit status.controller().DisplayChanged();
        Picture(status, QStringLiteral("launch-status"));
        status.ShowJobOutcome(
            QStringLiteral("Printer \"plotter\": The printer took the whole job."));
        status.ShowJobOutcome(QStringLiteral(
            "Printer \"A0 colour\": The job was aborted: the printer did not take it whole. "
            "Check the printer and send the job again."));
        Picture(status, QStringLiteral("launch-status-outcomes"));

        AssignmentDialog assign(dir_.filePath(QStringLiteral("plan.plt")),
                                QStringLiteral("/home/plotroom/configs/A1-colour.cfg"),
                                dir_.path());
        Picture(assign, QStringLiteral("assignment"));

        ticket.Confirm(
            {"Riverside school", "City of Harwick", "2026-114", "J. Okafor", "Bond", "A1"});
        JobTicketDialog ticketDialog(ticket);
        Picture(ticketDialog, QStringLiteral("job-ticket"));

        PreviewBitmap bitmap;
        for (int i = 20; i < 280; ++i) {
            for (const auto& [x, y] : {std::pair{i, 20}, std::pair{i, 279}, std::pair{20, i},
                                       std::pair{279, i}, std::pair{i, i}}) {
                bitmap.bits[static_cast<std::size_t>(y * PreviewBitmap::kRowBytes + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        DrawingPreviewDialog preview(PreviewImage(bitmap), dir_.filePath("site.dxf"));
        Picture(preview, QStringLiteral("drawing-preview"));

        // A plot file enlarged, damaged after its labels.
        const std::string bytes =
            "IN;SP1;PU0,0;PD8000,0,8000,5000,0,5000,0,0;PU;CI1500;PU600,4200;SI0.4,0.6;"
            "LBPLOT ROOM\x03PU500,500;PD7500,4500;\x80\x81PU0,0;PD8000,5000;";
        auto plot = std::make_shared<const HpglPlot>(InterpretHpgl(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())));
        DrawingPreviewDialog plotPreview(
            PlotPainter(plot), dir_.filePath("frame.plt"),
            QString::fromStdString(HpglProblemText(*plot, "frame.plt")));
        Picture(plotPreview, QStringLiteral("plot-preview"), QSize(640, 480));
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        out_ = qEnvironmentVariable("KESTRUM_PICTURES");
        if (!out_.isEmpty()) QDir().mkpath(out_);
    }

    void lightPalette() { AllWindows(); }

    void darkPalette() {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(60, 60, 64));
        dark.setColor(QPalette::ButtonText, Qt::white);
        const QPalette old = QApplication::palette();
        QApplication::setPalette(dark);
        suffix_ = QStringLiteral("-dark");
        AllWindows();
        QApplication::setPalette(old);
        suffix_.clear();
    }
};

}  // namespace
}  // namespace kestrum

QTEST_MAIN(kestrum::LauncherPicturesTest)
#include "launcher_pictures_test.moc"
