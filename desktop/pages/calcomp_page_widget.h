#pragma once

#include "desktop/pages/pen_page_widget.h"
#include "options/calcomp_page.h"

namespace kestrum {

// The CalComp emulation page: its settings, the two protocol characters and its 15 pens.
class CalCompPageWidget final : public PenPageWidget {
    Q_OBJECT

  public:
    CalCompPageWidget(CalCompPage& model, CUserObject& values, MessageSink& messages,
                      QWidget* parent = nullptr);
};

}  // namespace kestrum
