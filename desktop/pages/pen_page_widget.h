#pragma once

// What the HP-GL and CalComp pages share: the settings lists above, and the pen table below as
// the pen selector and six attribute lists (the model's controls) beside a table of all 15 pens.
// The table is a view only: choosing a row chooses that pen in the selector.

#include <array>

#include "desktop/pages/option_page_widget.h"
#include "options/pen_table.h"

class QTableWidget;
class QFormLayout;

namespace kestrum {

class PenPageWidget : public OptionPageWidget {
    Q_OBJECT

  public:
    PenPageWidget(OptionPage& model, PenTablePanel& panel, int selectorId, const PenTable& pens,
                  CUserObject& values, MessageSink& messages, QWidget* parent);

    QTableWidget* penOverview() const { return overview_; }

  protected:
    // The page: the emulation's `settings` group above the pens group and the apply button
    // `applyButton`; then binds the page. Called once the settings are laid out (tab order).
    void LayOutPage(QWidget* settings, int applyButton);
    // The emulation's settings lists in two columns, made in reading order.
    static QFormLayout* SettingsColumn();
    void AfterPush() override;

  private:
    QWidget* MakePenGroup();
    void ShowPens();

    PenTablePanel& panel_;
    int selectorId_;
    const PenTable& pens_;
    QTableWidget* overview_ = nullptr;
};

}  // namespace kestrum
