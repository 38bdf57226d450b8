#include "desktop/pages/raster_settings_page_widget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/page_resource_ids.h"
#include "shell/resource_ids.h"

namespace kestrum {

using P = RasterSettingsPage;

RasterSettingsPageWidget::RasterSettingsPageWidget(RasterSettingsPage& model, CUserObject& values,
                                                   MessageSink& messages, QWidget* parent)
    : OptionPageWidget(model, values, messages, parent) {
    auto* image = MakeGroup(rid::kRasterImageGroup);
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    AddRow(left, rid::kRasterSetting1Label, MakeList(P::kSetting1List));
    AddRow(left, rid::kRasterSetting2Label, MakeList(P::kSetting2List));
    AddRow(left, rid::kRasterSetting4Label, MakeList(P::kSetting4List));
    AddRow(left, rid::kRasterSetting3Label, MakeList(P::kSetting3List));
    AddRow(left, rid::kRasterSetting5Label, MakeList(P::kSetting5List));
    AddRow(right, rid::kRasterSetting9Label, MakeList(P::kSetting9List));
    AddRow(right, rid::kPageRotationLabel, MakeList(P::kRotationList));
    AddRow(right, rid::kRasterSetting6Label, MakeEdit(P::kSetting6Edit));
    AddRow(right, rid::kRasterSetting7Label, MakeEdit(P::kSetting7Edit));
    auto* columns = new QHBoxLayout(image);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* compression = MakeGroup(rid::kRasterCompressionGroup);
    auto* radios = new QHBoxLayout(compression);
    radios->addWidget(MakeRadio(P::kCompressionNone, rid::kRasterCompressionNoneRadio));
    radios->addWidget(MakeRadio(P::kCompressionTG4, rid::kRasterCompressionTG4Radio));
    radios->addWidget(MakeRadio(P::kCompressionC4, rid::kRasterCompressionC4Radio));
    radios->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(image);
    page->addWidget(compression);
    page->addStretch(1);
    Bind();
}

}  // namespace kestrum
