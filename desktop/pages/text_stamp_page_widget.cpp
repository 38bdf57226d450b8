#include "desktop/pages/text_stamp_page_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/pages/angle_picture.h"
#include "options/text_stamp.h"
#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

using P = TextStampPage;

TextStampPageWidget::TextStampPageWidget(TextStampPage& model, CUserObject& values,
                                         MessageSink& messages, QWidget* parent)
    : OptionPageWidget(model, values, messages, parent) {
    auto* on = MakeCheck(P::kStampCheck, rid::kStampCheck);

    auto* textForm = new QFormLayout;
    auto* text = MakeEdit(P::kTextEdit);
    text->setMaxLength(static_cast<int>(stamp::kTextCapacity));
    AddRow(textForm, rid::kStampTextLabel, text);
    AddRow(textForm, rid::kStampPointSizeLabel, MakeList(P::kPointSizeList));
    AddRow(textForm, rid::kStampGValueLabel, MakeList(P::kGValueList));
    AddRow(textForm, rid::kStampSValueLabel, MakeList(P::kSValueList));
    textForm->addRow(MakeCheck(P::kHOptionCheck, rid::kStampHOptionCheck));
    textForm->addRow(MakeCheck(P::kTimeCheck, rid::kStampTimeCheck));
    textForm->addRow(MakeCheck(P::kDateCheck, rid::kStampDateCheck));

    auto* angle = MakeGroup(rid::kStampAngleGroup);
    auto* angleGrid = new QGridLayout(angle);
    angleGrid->addWidget(MakeRadio(P::kAngle0Radio, rid::kStampAngle0Radio), 0, 0);
    angleGrid->addWidget(MakeRadio(P::kAngle90Radio, rid::kStampAngle90Radio), 1, 0);
    auto* other = MakeRadio(P::kAngleOtherRadio, rid::kStampAngleOtherRadio);
    auto* otherAngle = MakeEdit(P::kAngleEdit);
    otherAngle->setMaxLength(3);
    otherAngle->setAccessibleName(other->text().remove(QLatin1Char('&')));
    angleGrid->addWidget(other, 2, 0);
    angleGrid->addWidget(otherAngle, 2, 1);
    auto* picture = new AnglePicture(this);
    SetControlId(picture, P::kAnglePicture);
    angleGrid->addWidget(picture, 0, 2, 3, 1, Qt::AlignCenter);
    angleGrid->setColumnStretch(1, 1);

    auto* position = MakeGroup(rid::kStampPositionGroup);
    auto* positionForm = new QFormLayout(position);
    auto* horizontal = MakeEdit(P::kHorizontalEdit);
    auto* vertical = MakeEdit(P::kVerticalEdit);
    AddRow(positionForm, rid::kStampHorizontalLabel, horizontal, MakeLabel(P::kControl1025));
    AddRow(positionForm, rid::kStampVerticalLabel, vertical, MakeLabel(P::kControl1026));

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(MakeButton(P::kApplyButton, rid::kPageApplyButton),
                       QDialogButtonBox::ApplyRole);

    auto* stampBox = new QGroupBox;
    auto* stampLayout = new QVBoxLayout(stampBox);
    stampLayout->addWidget(on);
    auto* columns = new QHBoxLayout;
    columns->addLayout(textForm, 3);
    auto* right = new QVBoxLayout;
    right->addWidget(angle);
    right->addWidget(position);
    columns->addLayout(right, 2);
    stampLayout->addLayout(columns);

    auto* page = new QVBoxLayout(this);
    page->addWidget(stampBox);
    page->addStretch(1);
    page->addWidget(buttons);

    Bind();
}

}  // namespace kestrum
