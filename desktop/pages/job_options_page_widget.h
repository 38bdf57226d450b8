#pragma once

#include "desktop/pages/option_page_widget.h"
#include "options/job_options_page.h"

namespace kestrum {

// The job options page: output, page size, page scale, data format and raster mode.
class JobOptionsPageWidget final : public OptionPageWidget {
    Q_OBJECT

  public:
    JobOptionsPageWidget(JobOptionsPage& model, CUserObject& values, MessageSink& messages,
                         QWidget* parent = nullptr);
};

}  // namespace kestrum
