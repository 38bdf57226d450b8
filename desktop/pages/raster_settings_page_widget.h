#pragma once

#include "desktop/pages/option_page_widget.h"
#include "options/raster_settings_page.h"

namespace kestrum {

// The raster settings page: image options, scan sizes and compression.
class RasterSettingsPageWidget final : public OptionPageWidget {
    Q_OBJECT

  public:
    RasterSettingsPageWidget(RasterSettingsPage& model, CUserObject& values, MessageSink& messages,
                             QWidget* parent = nullptr);
};

}  // namespace kestrum
