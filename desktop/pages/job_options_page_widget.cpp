#include "desktop/pages/job_options_page_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace j = job_page;

JobOptionsPageWidget::JobOptionsPageWidget(JobOptionsPage& model, CUserObject& values,
                                           MessageSink& messages, QWidget* parent)
    : OptionPageWidget(model, values, messages, parent) {
    auto* output = MakeGroup(rid::kJobOutputGroup);
    auto* outputForm = new QFormLayout(output);
    AddRow(outputForm, rid::kJobFoldingLabel, MakeList(j::kFoldingList));
    AddRow(outputForm, rid::kJobCopiesLabel, MakeList(j::kCopiesList));
    AddRow(outputForm, rid::kJobFileCopiesLabel, MakeList(j::kFileCopiesList));
    AddRow(outputForm, rid::kJobMediaLabel, MakeList(j::kMediaList));
    AddRow(outputForm, rid::kJobTrayLabel, MakeList(j::kTrayList));

    // Each option that may be left to the printer is a frame whose first line switches it on;
    // controls are made in reading order, which is their tab order.
    auto* format = new QGroupBox;
    auto* formatLayout = new QGridLayout(format);
    formatLayout->addWidget(MakeCheck(j::kFormatCheck, rid::kJobFormatCheck), 0, 0, 1, 2);
    formatLayout->addWidget(MakeRadio(j::kFormatARadio, rid::kJobFormatARadio), 1, 0);
    formatLayout->addWidget(MakeRadio(j::kFormatHpglRadio, rid::kJobFormatHpglRadio), 1, 1);
    formatLayout->addWidget(MakeRadio(j::kFormatCalCompRadio, rid::kJobFormatCalCompRadio), 2, 0);
    formatLayout->addWidget(MakeRadio(j::kFormatPostScriptRadio, rid::kJobFormatPostScriptRadio), 2,
                            1);

    auto* raster = new QGroupBox;
    auto* rasterLayout = new QVBoxLayout(raster);
    rasterLayout->addWidget(MakeCheck(j::kRasterModeCheck, rid::kJobRasterModeCheck));
    rasterLayout->addWidget(MakeCheck(j::kRasterEnableCheck, rid::kJobRasterEnableCheck));

    auto* size = new QGroupBox;
    auto* sizeForm = new QFormLayout(size);
    sizeForm->addRow(MakeCheck(j::kPageSizeCheck, rid::kJobPageSizeCheck));
    auto* named = MakeRadio(j::kNamedSizeRadio, rid::kJobNamedSizeRadio);
    auto* namedList = MakeList(j::kPageSizeList);
    namedList->setAccessibleName(named->text().remove(QLatin1Char('&')));
    sizeForm->addRow(named, namedList);
    sizeForm->addRow(MakeRadio(j::kCustomSizeRadio, rid::kJobCustomSizeRadio));
    AddRow(sizeForm, rid::kPageWidthLabel, MakeEdit(j::kCustomWidthField),
           MakeLabel(j::kWidthUnitLabel));
    AddRow(sizeForm, rid::kPageHeightLabel, MakeEdit(j::kCustomHeightField),
           MakeLabel(j::kHeightUnitLabel));

    auto* scale = new QGroupBox;
    auto* scaleForm = new QFormLayout(scale);
    scaleForm->addRow(MakeCheck(j::kPageScaleCheck, rid::kJobPageScaleCheck));
    scaleForm->addRow(MakeRadio(j::kScaleAutomaticRadio, rid::kJobScaleAutomaticRadio));
    scaleForm->addRow(MakeRadio(j::kScaleFromToRadio, rid::kJobScaleFromToRadio));
    AddRow(scaleForm, rid::kJobScaleFromLabel, MakeList(j::kScaleFromList));
    AddRow(scaleForm, rid::kJobScaleToLabel, MakeList(j::kScaleToList));

    // These four carry only an enabled state and no action of their own: bound, never shown.
    for (int id :
         {j::kPageSizeButton, j::kPageScaleButton, j::kFormatButton, j::kRasterModeButton}) {
        MakeButton(id, 0)->hide();
    }

    auto* left = new QVBoxLayout;
    left->addWidget(output);
    left->addWidget(format);
    left->addWidget(raster);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(size);
    right->addWidget(scale);
    right->addStretch(1);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    Bind();
}

}  // namespace kestrum
