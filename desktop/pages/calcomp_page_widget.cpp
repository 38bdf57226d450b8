#include "desktop/pages/calcomp_page_widget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

using P = CalCompPage;

CalCompPageWidget::CalCompPageWidget(CalCompPage& model, CUserObject& values, MessageSink& messages,
                                     QWidget* parent)
    : PenPageWidget(model, model.penTable, P::kPenSelector, values.calcompPens, values, messages,
                    parent) {
    auto* settings = MakeGroup(rid::kPageSettingsGroup);
    auto* left = SettingsColumn();
    auto* middle = SettingsColumn();
    auto* right = SettingsColumn();
    AddRow(left, rid::kCalCompPlotUnitLabel, MakeList(P::kPlotUnitList));
    AddRow(left, rid::kCalCompStepLabel, MakeList(P::kStepList));
    AddRow(left, rid::kPageTrailerLabel, MakeList(P::kTrailerList));
    AddRow(left, rid::kHpglPen0Label, MakeList(P::kPen0List));
    AddRow(middle, rid::kCalCompAuxSwitchLabel, MakeList(P::kAuxSwitchList));
    AddRow(middle, rid::kCalCompHandshakeLabel, MakeList(P::kHandshakeList));
    AddRow(middle, rid::kCalCompChecksumLabel, MakeList(P::kChecksumList));
    AddRow(right, rid::kCalCompSyncCountLabel, MakeList(P::kSyncCountList));
    AddRow(right, rid::kCalCompSyncCharacterLabel, MakeEdit(P::kSyncCharacterEdit));
    AddRow(right, rid::kCalCompEndOfMessageLabel, MakeEdit(P::kEndOfMessageEdit));
    auto* columns = new QHBoxLayout(settings);
    columns->addLayout(left, 1);
    columns->addLayout(middle, 1);
    columns->addLayout(right, 1);

    LayOutPage(settings, P::kApplyButton);
}

}  // namespace kestrum
