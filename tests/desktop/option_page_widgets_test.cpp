// The configuration pages and their two dialogs, driven through their real widgets by control
// id. The models' own rules are tested with the models; here: that a click or a typed value
// reaches the model and the saved file, that a load and a printer type or unit change reach the
// widgets, and the dialogs' selection, OK and Cancel.
//
// With KESTRUM_PAGE_PICTURES set to a folder, pictures() writes a PNG of every page and dialog
// there, for review.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "config/configuration_file.h"
#include "config/option_state.h"
#include "desktop/pages/colour_table_dialog.h"
#include "desktop/pages/option_page_widgets.h"
#include "desktop/pages/pen_page_widget.h"
#include "desktop/pages/reference_list_dialog.h"
#include "options/raster_settings.h"
#include "options/xref_list.h"
#include "platform/private_profile.h"
#include "shell/language_strings.h"
#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {
namespace {

template <typename W>
W* Find(QWidget* root, int id) {
    auto* w = root->findChild<W*>(QStringLiteral("control%1").arg(id));
    if (w == nullptr) qFatal("control %d not found", id);
    return w;
}

// A user's choice in a drop-down list: what QComboBox reports for a mouse choice.
void Choose(QWidget* root, int id, int index) {
    auto* box = Find<QComboBox>(root, id);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void Type(QWidget* root, int id, const QString& text) {
    auto* edit = Find<QLineEdit>(root, id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QString Resource(int number) {
    return QString::fromUtf8(LoadResourceString(number));
}

// Every page of one option state, in a stacked widget as the main window holds them.
struct Pages {
    explicit Pages(Unit unit = Unit::English, PrinterType type = PrinterType::Velmar)
        : state(unit, type) {
        widgets = CreateOptionPageWidgets(state, settingsFile, messages, &stack);
        for (OptionPageWidget* page : widgets.All()) stack.addWidget(page);
    }

    void ApplyPrinterType(PrinterType type) {
        kestrum::ApplyPrinterType(state, type);
        for (OptionPageWidget* page : widgets.All()) page->Push();
    }
    void ApplyUnit(Unit unit) {
        state.unit = unit;
        for (OptionPageWidget* page : widgets.All()) {
            page->model().ApplyUnit(unit);
            page->Push();
        }
    }

    QTemporaryDir folder;
    std::filesystem::path settingsFile = (folder.path() + "/kestrum.ini").toStdString();
    CollectingMessageSink messages;
    OptionState state;
    QStackedWidget stack;
    OptionPageWidgets widgets{};
};

class OptionPageWidgetsTest : public QObject {
    Q_OBJECT

  private slots:
    void everyControlOfEveryPageHasItsWidget() {
        Pages pages;
        for (OptionPageWidget* page : pages.widgets.All()) {
            for (const PageControl& control : page->model().Controls()) {
                QVERIFY2(page->Control(control.id) != nullptr,
                         qPrintable(QStringLiteral("control %1").arg(control.id)));
            }
        }
    }

    void jobOptionsClicksReachTheValuesAndLoadsShow() {
        Pages pages;
        QWidget* page = pages.widgets.job;
        Find<QCheckBox>(page, job_page::kFormatCheck)->click();
        Find<QRadioButton>(page, job_page::kFormatCalCompRadio)->click();
        // The format radios store at once, without an export.
        QCOMPARE(QString::fromStdString(pages.state.values.job.format),
                 Resource(rid::kFormatCalComp));
        QVERIFY(Find<QRadioButton>(page, job_page::kFormatCalCompRadio)->isChecked());
        QVERIFY(!Find<QRadioButton>(page, job_page::kFormatARadio)->isChecked());

        Choose(page, job_page::kCopiesList, 3);
        Find<QCheckBox>(page, job_page::kPageSizeCheck)->click();
        Find<QRadioButton>(page, job_page::kCustomSizeRadio)->click();
        QVERIFY(Find<QLineEdit>(page, job_page::kCustomWidthField)->isEnabled());
        QVERIFY(!Find<QComboBox>(page, job_page::kPageSizeList)->isEnabled());
        Type(page, job_page::kCustomWidthField, "12x.5");  // English units take the point
        Type(page, job_page::kCustomHeightField, "20");
        pages.widgets.job->Export();
        QCOMPARE(int{pages.state.values.job.copies}, 3);
        QCOMPARE(Find<QLineEdit>(page, job_page::kCustomWidthField)->text(), QString("12.5"));
        QVERIFY(pages.state.values.job.pageSize.starts_with("12.5"));

        pages.state.values.job.copies = 7;
        pages.state.values.job.pageSize.clear();
        pages.widgets.job->Refresh();
        QCOMPARE(Find<QComboBox>(page, job_page::kCopiesList)->currentIndex(), 7);
        QVERIFY(!Find<QCheckBox>(page, job_page::kPageSizeCheck)->isChecked());
    }

    void printerTypeAndUnitChangesReachTheShownWidgets() {
        Pages pages;
        QWidget* job = pages.widgets.job;
        QWidget* stamp = pages.widgets.stamp;
        QWidget* hpgl = pages.widgets.hpgl;
        QWidget* autocad = pages.widgets.autocad;
        pages.ApplyPrinterType(PrinterType::Generic);
        QVERIFY(!Find<QComboBox>(job, job_page::kCopiesList)->isEnabled());
        QVERIFY(Find<QComboBox>(job, job_page::kFileCopiesList)->isEnabled());
        QVERIFY(!Find<QCheckBox>(stamp, TextStampPage::kStampCheck)->isEnabled());
        QVERIFY(!Find<QComboBox>(hpgl, HpglPage::kWidthList)->isEnabled());
        QVERIFY(!static_cast<PenPageWidget*>(hpgl)->penOverview()->isEnabled());
        pages.ApplyPrinterType(PrinterType::Oce9400);
        QVERIFY(Find<QComboBox>(job, job_page::kCopiesList)->isEnabled());
        pages.ApplyPrinterType(PrinterType::Velmar);
        QVERIFY(Find<QComboBox>(hpgl, HpglPage::kWidthList)->isEnabled());

        const QString inches = Find<QLabel>(job, job_page::kWidthUnitLabel)->text();
        const QString sizeEntry = Find<QComboBox>(job, job_page::kPageSizeList)->itemText(1);
        pages.ApplyUnit(Unit::Metric);
        QVERIFY(Find<QLabel>(job, job_page::kWidthUnitLabel)->text() != inches);
        QVERIFY(Find<QComboBox>(job, job_page::kPageSizeList)->itemText(1) != sizeEntry);
        QCOMPARE(Find<QLabel>(stamp, TextStampPage::kControl1025)->text(),
                 Resource(rid::kStampUnitMetricHorizontal));
        // Every AutoCAD length field shows the unit, the ones that only mirror a label too.
        const QString mm = Find<QLabel>(autocad, AutoCadPage::kUnitLabels[2])->text();
        QCOMPARE(mm, Resource(rid::kAcadUnitLabel3Metric));
        int shown = 0;
        for (QLabel* label : autocad->findChildren<QLabel*>()) shown += label->text() == mm;
        QVERIFY(shown >= 9);
        // Metric length fields take digits only, through the model's rule.
        Type(autocad, AutoCadPage::kMarginAEdit, "1.5");
        QCOMPARE(Find<QLineEdit>(autocad, AutoCadPage::kMarginAEdit)->text(), QString("15"));
    }

    void stampShownCheckedForATypeWithoutStampsDisablesItsControls() {
        Pages pages(Unit::English, PrinterType::Generic);
        QWidget* page = pages.widgets.stamp;
        pages.state.values.stamp.stampOn = 1;
        pages.widgets.stamp->Refresh();
        QVERIFY(Find<QCheckBox>(page, TextStampPage::kStampCheck)->isChecked());
        QVERIFY(!Find<QCheckBox>(page, TextStampPage::kStampCheck)->isEnabled());
        QVERIFY(!Find<QLineEdit>(page, TextStampPage::kTextEdit)->isEnabled());
        QVERIFY(!Find<QComboBox>(page, TextStampPage::kPointSizeList)->isEnabled());

        pages.ApplyPrinterType(PrinterType::Velmar);
        QVERIFY(Find<QCheckBox>(page, TextStampPage::kStampCheck)->isChecked());
        QVERIFY(Find<QLineEdit>(page, TextStampPage::kTextEdit)->isEnabled());
        Find<QRadioButton>(page, TextStampPage::kAngle90Radio)->click();
        QCOMPARE(Find<QLineEdit>(page, TextStampPage::kAngleEdit)->text(), QString("90"));
        QVERIFY(!Find<QLineEdit>(page, TextStampPage::kAngleEdit)->isEnabled());
        QCOMPARE(Find<QLabel>(page, TextStampPage::kAnglePicture)->property("picture").toInt(),
                 TextStampPage::kIconAngle90);
        Type(page, TextStampPage::kTextEdit, "Checked");
        Type(page, TextStampPage::kHorizontalEdit, "1.25");
        Find<QPushButton>(page, TextStampPage::kApplyButton)->click();
        QCOMPARE(pages.state.values.stamp.text, std::string("Checked"));
        QCOMPARE(pages.state.values.stamp.horizontalPosition, std::string("125"));
        QCOMPARE(int{pages.state.values.stamp.angle}, 90);
    }

    void penTableShowsEveryPenAndStoresIntoTheOneChosen() {
        Pages pages;
        auto* page = static_cast<PenPageWidget*>(pages.widgets.calcomp);
        QTableWidget* overview = page->penOverview();
        QCOMPARE(overview->rowCount(), kPenCount);
        // A row chosen in the table chooses that pen in the selector and the lists show it.
        overview->setCurrentCell(6, 0);
        QCOMPARE(Find<QComboBox>(page, CalCompPage::kPenSelector)->currentIndex(), 6);
        QCOMPARE(pages.state.calcomp.penTable.SelectedPen(), 6);
        Choose(page, CalCompPage::kGrayList, 2);
        const QString chosen = Find<QComboBox>(page, CalCompPage::kGrayList)->itemText(2);
        QCOMPARE(QString::fromStdString(pages.state.values.calcompPens[6].grayLevel), chosen);
        QCOMPARE(overview->item(6, static_cast<int>(PenAttribute::GrayLevel))->text(), chosen);
        QVERIFY(overview->item(5, static_cast<int>(PenAttribute::GrayLevel))->text() != chosen);
        QVERIFY(pages.state.values.hpglPens[6].grayLevel.empty());

        Choose(page, CalCompPage::kPenSelector, 0);
        QCOMPARE(overview->currentRow(), 0);
        QCOMPARE(Find<QComboBox>(page, CalCompPage::kGrayList)->currentIndex(), 0);
        Type(page, CalCompPage::kSyncCharacterEdit, "0d");
        QVERIFY(pages.state.values.calcomp.syncCharacter.empty());  // only the apply button stores
        Find<QPushButton>(page, CalCompPage::kApplyButton)->click();
        QCOMPARE(pages.state.values.calcomp.syncCharacter, std::string("0d"));
    }

    void rasterCompressionRadioStoresAtOnce() {
        Pages pages;
        QWidget* page = pages.widgets.raster;
        Find<QRadioButton>(page, RasterSettingsPage::kCompressionTG4)->click();
        QCOMPARE(QString::fromStdString(pages.state.values.raster[raster::kSetting8]),
                 Resource(rid::kRasterCompressionTG4Radio));
        Find<QRadioButton>(page, RasterSettingsPage::kCompressionTG4)->click();  // stays chosen
        QVERIFY(Find<QRadioButton>(page, RasterSettingsPage::kCompressionTG4)->isChecked());
        QVERIFY(!Find<QRadioButton>(page, RasterSettingsPage::kCompressionNone)->isChecked());
    }

    // Open, one change on every page, save as, new, open: every change comes back.
    void roundTripThroughTheWindows() {
        Pages pages;
        const std::filesystem::path file = (pages.folder.path() + "/trip.cfg").toStdString();
        QWidget* const stamp = pages.widgets.stamp;
        Find<QCheckBox>(stamp, TextStampPage::kStampCheck)->click();
        Type(stamp, TextStampPage::kTextEdit, "Trip");
        Choose(pages.widgets.job, job_page::kFoldingList, 4);
        Choose(pages.widgets.hpgl, HpglPage::kPenSelector, 2);
        Choose(pages.widgets.hpgl, HpglPage::kLineEndList, 1);
        Choose(pages.widgets.calcomp, CalCompPage::kHandshakeList, 1);
        Choose(pages.widgets.raster, RasterSettingsPage::kRotationList, 2);
        Find<QCheckBox>(pages.widgets.autocad, AutoCadPage::kInForceCheck)->click();
        const bool inForce =
            Find<QCheckBox>(pages.widgets.autocad, AutoCadPage::kInForceCheck)->isChecked();

        QVERIFY(SaveAll(pages.state, file, pages.messages));
        ResetAll(pages.state, pages.messages);  // New
        for (OptionPageWidget* page : pages.widgets.All()) page->Push();
        QCOMPARE(Find<QComboBox>(pages.widgets.job, job_page::kFoldingList)->currentIndex(), 0);
        QVERIFY(profile::Flush(file).ok());
        profile::Forget(file);
        pages.state.values.currentConfiguration = file.string();  // Open
        LoadAll(pages.state, pages.messages);
        for (OptionPageWidget* page : pages.widgets.All()) page->Push();

        QVERIFY(Find<QCheckBox>(stamp, TextStampPage::kStampCheck)->isChecked());
        QCOMPARE(Find<QLineEdit>(stamp, TextStampPage::kTextEdit)->text(), QString("Trip"));
        QCOMPARE(Find<QComboBox>(pages.widgets.job, job_page::kFoldingList)->currentIndex(), 4);
        Choose(pages.widgets.hpgl, HpglPage::kPenSelector, 2);
        QCOMPARE(Find<QComboBox>(pages.widgets.hpgl, HpglPage::kLineEndList)->currentIndex(), 1);
        QCOMPARE(
            Find<QComboBox>(pages.widgets.calcomp, CalCompPage::kHandshakeList)->currentIndex(), 1);
        QCOMPARE(Find<QComboBox>(pages.widgets.raster, RasterSettingsPage::kRotationList)
                     ->currentIndex(),
                 2);
        QCOMPARE(Find<QCheckBox>(pages.widgets.autocad, AutoCadPage::kInForceCheck)->isChecked(),
                 inForce);
        QVERIFY(pages.messages.messages().empty());
    }

    void colourTableEditsEverySelectedRowAndOnlyOkKeepsThem() {
        ColourTable table;
        ResetColourTable(table);
        const ColourTable original = table;
        {
            ColourTableDialog dialog(table);
            QTableWidget* rows = dialog.rowTable();
            rows->clearSelection();
            for (int row : {2, 3, 4, 10, 200}) {
                rows->selectionModel()->select(
                    rows->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
            Choose(&dialog, ColourTableEditor::kPenList, 8);
            for (int row = 0; row < kColourCount; ++row) {
                const bool chosen = row == 2 || row == 3 || row == 4 || row == 10 || row == 200;
                QCOMPARE(
                    dialog.editor().rows()[static_cast<std::size_t>(row)].pen == std::string("9"),
                    chosen || row == 8);
                QCOMPARE(rows->item(row, 1)->text() == QString("9"), chosen || row == 8);
            }
            QCOMPARE(rows->selectionModel()->selectedRows().size(), 5);
            Choose(&dialog, ColourTableEditor::kStyleList, 3);
            QCOMPARE(dialog.editor().rows()[200].style, std::string("3"));
            dialog.reject();
        }
        QVERIFY(table == original);  // Cancel

        ColourTableDialog dialog(table);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTableWidget* rows = dialog.rowTable();
        rows->selectRow(5);
        auto* width = Find<QLineEdit>(&dialog, ColourTableEditor::kWidthEdit);
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, "0.35");
        // OK while the width field still has the focus takes the entry first.
        dialog.accept();
        QCOMPARE(table[5].width, std::string("350"));
        QCOMPARE(table[4].width, original[4].width);
    }

    void colourTableWidthIsTakenWhenTheFieldLosesTheFocus() {
        ColourTable table;
        ResetColourTable(table);
        ColourTableDialog dialog(table);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* width = Find<QLineEdit>(&dialog, ColourTableEditor::kWidthEdit);
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, "1.5");
        dialog.rowTable()->setFocus();
        QCOMPARE(dialog.rowTable()->item(0, 3)->text(), QString("1.500"));
        QCOMPARE(dialog.editor().rows()[0].width, std::string("1500"));
    }

    void referenceDialogOkWhileEditingStaysOpenAndOkWritesBothCopies() {
        QTemporaryDir folder;
        const std::filesystem::path settings = (folder.path() + "/kestrum.ini").toStdString();
        ReferenceList working{"/old/working"};
        QVERIFY(WriteMasterReferences(settings, {"/a", "/b", "/c", "/d", "/e"}, working).ok());
        working = {"/old/working"};
        CollectingMessageSink messages;
        ReferenceListDialogWidget dialog(working, settings, messages);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        EditableFolderList* list = dialog.folderList();
        QCOMPARE(list->count(), 5);  // the master copy, not the working copy

        list->editItem(list->item(0));
        QVERIFY(list->IsEditing());
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int{QDialog::Rejected});
        QCOMPARE(working, ReferenceList{"/old/working"});
        auto* inPlace = list->findChild<QLineEdit*>();
        QVERIFY(inPlace != nullptr);
        QTest::keyClick(inPlace, Qt::Key_Return);  // ends the in-place edit
        QVERIFY(!list->IsEditing());

        // Shorten to two, change and reorder them through the dialog's own commands.
        for (int i = 0; i < 3; ++i) {
            list->setCurrentRow(2);
            dialog.findChild<QPushButton*>(QStringLiteral("button%1").arg(rid::kXRefRemoveButton))
                ->click();
        }
        dialog.chooseFolder = [](QWidget*, const QString&) { return QString("/new/folder"); };
        list->setCurrentRow(0);
        dialog.findChild<QPushButton*>(QStringLiteral("button%1").arg(rid::kXRefAddButton))
            ->click();
        dialog.findChild<QPushButton*>(QStringLiteral("button%1").arg(rid::kXRefUpButton))->click();
        QCOMPARE(list->currentRow(), 1);
        dialog.accept();
        QCOMPARE(dialog.result(), int{QDialog::Accepted});
        const ReferenceList expected{"/a", "/new/folder", "/b"};
        QCOMPARE(working, expected);
        profile::Forget(settings);
        QCOMPARE(ReadMasterReferences(settings), expected);
        QVERIFY(messages.messages().empty());
    }

    // Not a check: pictures of every page and dialog for a person to look at.
    void pictures() {
        const QByteArray target = qgetenv("KESTRUM_PAGE_PICTURES");
        if (target.isEmpty()) QSKIP("KESTRUM_PAGE_PICTURES names no folder");
        QDir().mkpath(QString::fromLocal8Bit(target));
        const auto save = [&](QWidget* widget, const QString& name) {
            QVERIFY(widget->grab().save(QString::fromLocal8Bit(target) + "/" + name + ".png"));
        };
        for (Unit unit : {Unit::English, Unit::Metric}) {
            Pages pages(unit);
            pages.stack.show();
            const QString suffix = unit == Unit::Metric ? "-metric" : "";
            const char* names[] = {"stamp", "job", "hpgl", "calcomp", "raster", "autocad"};
            int i = 0;
            for (OptionPageWidget* page : pages.widgets.All()) {
                pages.stack.setCurrentWidget(page);
                save(&pages.stack, QString("page-") + names[i++] + suffix);
            }
        }
        ColourTable table;
        ResetColourTable(table);
        ColourTableDialog colours(table);
        colours.show();
        save(&colours, "dialog-colour-table");
        QTemporaryDir folder;
        const std::filesystem::path settings = (folder.path() + "/kestrum.ini").toStdString();
        ReferenceList working;
        QVERIFY(
            WriteMasterReferences(settings, {"/srv/drawings/xref", "/home/plot/blocks"}, working)
                .ok());
        CollectingMessageSink messages;
        ReferenceListDialogWidget references(working, settings, messages);
        references.show();
        save(&references, "dialog-references");
    }
};

}  // namespace
}  // namespace kestrum

QTEST_MAIN(kestrum::OptionPageWidgetsTest)
#include "option_page_widgets_test.moc"
