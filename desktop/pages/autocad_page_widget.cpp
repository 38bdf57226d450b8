#include "desktop/pages/autocad_page_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/pages/colour_table_dialog.h"
#include "desktop/pages/reference_list_dialog.h"
#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

using P = AutoCadPage;

namespace {
// The model's unit labels, by what they stand beside.
constexpr int kPaperWidthUnit = P::kUnitLabels[0];
constexpr int kPaperHeightUnit = P::kUnitLabels[1];
constexpr int kMarginUnit = P::kUnitLabels[2];
constexpr int kOffsetUnit = P::kUnitLabels[3];
constexpr int kPlottedUnit = P::kUnitLabels[4];
}  // namespace

AutoCadPageWidget::AutoCadPageWidget(AutoCadPage& model, CUserObject& values,
                                     ReferenceList& references, std::filesystem::path settingsFile,
                                     MessageSink& messages, QWidget* parent)
    : OptionPageWidget(model, values, messages, parent),
      values_(values),
      references_(references),
      settingsFile_(std::move(settingsFile)),
      messages_(messages) {
    auto* inForce = MakeCheck(P::kInForceCheck, rid::kAcadInForceCheck);
    auto* choices = new QFormLayout;
    AddRow(choices, rid::kAcadPlotChoiceLabel, MakeList(P::kPlotChoiceList));
    AddRow(choices, rid::kAcadAreaChoiceLabel, MakeList(P::kAreaChoiceList));
    AddRow(choices, rid::kAcadOutputChoiceLabel, MakeList(P::kOutputChoiceList));

    auto* paper = MakeGroup(rid::kAcadPaperGroup);
    auto* paperForm = new QFormLayout(paper);
    auto* named = MakeRadio(P::kNamedPaperRadio, rid::kAcadNamedPaperRadio);
    auto* paperList = MakeList(P::kPaperList);
    paperList->setAccessibleName(named->text().remove(QLatin1Char('&')));
    paperForm->addRow(named, paperList);
    paperForm->addRow(MakeRadio(P::kCustomPaperRadio, rid::kAcadCustomPaperRadio));
    AddRow(paperForm, rid::kPageWidthLabel, MakeEdit(P::kPaperXEdit), MakeLabel(kPaperWidthUnit));
    AddRow(paperForm, rid::kPageHeightLabel, MakeEdit(P::kPaperYEdit), MakeLabel(kPaperHeightUnit));
    paperForm->addRow(MakeRadio(P::kPaperFollowsAreaRadio, rid::kAcadPaperFollowsAreaRadio));

    auto* margins = MakeGroup(rid::kAcadMarginsGroup);
    auto* marginForm = new QFormLayout(margins);
    AddRow(marginForm, rid::kAcadMarginALabel, MakeEdit(P::kMarginAEdit), MakeLabel(kMarginUnit));
    AddRow(marginForm, rid::kAcadMarginBLabel, MakeEdit(P::kMarginBEdit), MirrorOf(kMarginUnit));
    AddRow(marginForm, rid::kAcadMarginCLabel, MakeEdit(P::kMarginCEdit), MirrorOf(kMarginUnit));
    AddRow(marginForm, rid::kAcadMarginDLabel, MakeEdit(P::kMarginDEdit), MirrorOf(kMarginUnit));

    auto* scale = MakeGroup(rid::kAcadScaleGroup);
    auto* scaleForm = new QFormLayout(scale);
    scaleForm->addRow(MakeCheck(P::kFitCheck, rid::kAcadFitCheck));
    AddRow(scaleForm, rid::kAcadPlottedUnitsLabel, MakeEdit(P::kPlottedUnitsEdit),
           MakeLabel(kPlottedUnit));
    AddRow(scaleForm, rid::kAcadDrawingUnitsLabel, MakeEdit(P::kDrawingUnitsEdit));
    AddRow(scaleForm, rid::kAcadOffsetXLabel, MakeEdit(P::kOffsetXEdit), MakeLabel(kOffsetUnit));
    AddRow(scaleForm, rid::kAcadOffsetYLabel, MakeEdit(P::kOffsetYEdit), MirrorOf(kOffsetUnit));

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(MakeButton(P::kColourTableButton, rid::kAcadColourTableButton),
                       QDialogButtonBox::ActionRole);
    buttons->addButton(MakeButton(P::kReferenceListButton, rid::kAcadReferenceListButton),
                       QDialogButtonBox::ActionRole);
    buttons->addButton(MakeButton(P::kApplyButton, rid::kPageApplyButton),
                       QDialogButtonBox::ApplyRole);

    auto* left = new QVBoxLayout;
    left->addLayout(choices);
    left->addWidget(paper);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(margins);
    right->addWidget(scale);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* page = new QVBoxLayout(this);
    page->addWidget(inForce);
    page->addLayout(columns, 1);
    page->addWidget(buttons);

    connect(&binder(), &PageBinder::ButtonClicked, this, &AutoCadPageWidget::OpenWindow);
    Bind();
}

QLabel* AutoCadPageWidget::MirrorOf(int labelId) {
    auto* label = new QLabel(this);
    mirrors_.emplace_back(labelId, label);
    return label;
}

void AutoCadPageWidget::AfterPush() {
    for (const auto& [id, label] : mirrors_) {
        if (auto* source = qobject_cast<QLabel*>(Control(id)); source && label) {
            label->setText(source->text());
        }
    }
}

void AutoCadPageWidget::OpenWindow(int buttonId) {
    if (buttonId == P::kColourTableButton) {
        ColourTableDialog dialog(values_.colourTable, this);
        dialog.exec();
    } else if (buttonId == P::kReferenceListButton) {
        ReferenceListDialogWidget dialog(references_, settingsFile_, messages_, this);
        dialog.exec();
    }
}

}  // namespace kestrum
