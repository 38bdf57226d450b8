#pragma once

// The colour table editor: the 256 colours in a multiple-selection table (colour, pen, style,
// width), and the pen, style and width fields, which apply to every selected colour. It edits a
// private copy (options/colour_table.h, ColourTableEditor); OK writes it back, Cancel drops it.

#include <QDialog>

#include "options/colour_table.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QTableWidget;

namespace kestrum {

class ColourTableDialog final : public QDialog {
    Q_OBJECT

  public:
    // `table` must outlive the dialog; it changes only on OK.
    ColourTableDialog(ColourTable& table, QWidget* parent = nullptr);

    const ColourTableEditor& editor() const { return editor_; }
    QTableWidget* rowTable() const { return rows_; }

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowRows();
    void ShowCurrentRow();
    void TakeSelection();

    ColourTable& table_;
    ColourTableEditor editor_;
    QTableWidget* rows_;
    QComboBox* pen_;
    QComboBox* style_;
    QLineEdit* width_;
    QLineEdit* rowNumber_;
    QDialogButtonBox* buttons_;
};

}  // namespace kestrum
