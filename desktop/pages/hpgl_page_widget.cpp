#include "desktop/pages/hpgl_page_widget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

using P = HpglPage;

HpglPageWidget::HpglPageWidget(HpglPage& model, CUserObject& values, MessageSink& messages,
                               QWidget* parent)
    : PenPageWidget(model, model.penTable, P::kPenSelector, values.hpglPens, values, messages,
                    parent) {
    auto* settings = MakeGroup(rid::kPageSettingsGroup);
    auto* left = SettingsColumn();
    auto* right = SettingsColumn();
    AddRow(left, rid::kHpglModelLabel, MakeList(P::kModelList));
    AddRow(left, rid::kPageRotationLabel, MakeList(P::kRotationList));
    AddRow(left, rid::kPageTrailerLabel, MakeList(P::kTrailerList));
    AddRow(right, rid::kHpglPen0Label, MakeList(P::kPen0List));
    AddRow(right, rid::kHpglTerminatorLabel, MakeList(P::kTerminatorList));
    auto* columns = new QHBoxLayout(settings);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    LayOutPage(settings, P::kApplyButton);
}

}  // namespace kestrum
