#pragma once

#include "desktop/pages/pen_page_widget.h"
#include "options/hpgl_page.h"

namespace kestrum {

// The HP-GL emulation page: its settings and its 15 pens.
class HpglPageWidget final : public PenPageWidget {
    Q_OBJECT

  public:
    HpglPageWidget(HpglPage& model, CUserObject& values, MessageSink& messages,
                   QWidget* parent = nullptr);
};

}  // namespace kestrum
