#pragma once

#include <QPointer>
#include <filesystem>
#include <utility>
#include <vector>

#include "desktop/pages/option_page_widget.h"
#include "options/autocad_page.h"

class QLabel;

namespace kestrum {

// The AutoCAD options page: paper, margins, scale and offsets, and the buttons that open the
// colour table and the reference folders.
class AutoCadPageWidget final : public OptionPageWidget {
    Q_OBJECT

  public:
    // `references` is the working copy of the reference folders; `settingsFile` the program's
    // settings file, which holds their master copy.
    AutoCadPageWidget(AutoCadPage& model, CUserObject& values, ReferenceList& references,
                      std::filesystem::path settingsFile, MessageSink& messages,
                      QWidget* parent = nullptr);

  protected:
    void AfterPush() override;

  private:
    void OpenWindow(int buttonId);
    QLabel* MirrorOf(int labelId);

    CUserObject& values_;
    ReferenceList& references_;
    std::filesystem::path settingsFile_;
    MessageSink& messages_;
    // Unit labels beside further fields of the same unit, copied from the model's label.
    std::vector<std::pair<int, QPointer<QLabel>>> mirrors_;
};

}  // namespace kestrum
