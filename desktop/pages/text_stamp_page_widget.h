#pragma once

#include "desktop/pages/option_page_widget.h"
#include "options/text_stamp_page.h"

namespace kestrum {

// The text stamp page: the text, its angle, size and position, and what is added to it.
class TextStampPageWidget final : public OptionPageWidget {
    Q_OBJECT

  public:
    TextStampPageWidget(TextStampPage& model, CUserObject& values, MessageSink& messages,
                        QWidget* parent = nullptr);
};

}  // namespace kestrum
