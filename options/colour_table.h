#pragma once

// The colour table of the AutoCAD group: for each of the 256 drawing colours the pen, pen width
// and line style the renderer uses. It is reset, loaded and saved with the AutoCAD options
// (options/autocad_options.h) and edited in a modal dialog whose model is ColourTableEditor.
//
// Widths are stored as thousandths in decimal digits ("350") and shown with a decimal point
// (".350"); pens and styles are stored as the decimal texts the dialog's lists offer.

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/message_sink.h"

namespace kestrum {

// Row n - 1 holds colour n.
using ColourTable = std::array<ACPenParms, kColourCount>;

namespace colour {
// The most characters a field holds when it is read from a configuration file.
inline constexpr std::size_t kPenCapacity = 10;
inline constexpr std::size_t kStyleCapacity = 10;
inline constexpr std::size_t kWidthCapacity = 50;

inline constexpr int kStyleCount = 9;  // styles 0 to 8

// The renderer takes each width as a signed 16-bit number of thousandths, so no entry is stored
// beyond what it can draw.
inline constexpr long long kLargestWidth = 32767;
}  // namespace colour

// Every row to its reset values: its own colour number as pen, the default width and style.
void ResetColourTable(ColourTable& table);

// The section that holds colour `colour` (1 to 256).
std::string ColourSectionName(int colour);

// Reads the 256 colour sections. A missing key gives an empty field (which renders as 0).
void LoadColourTable(ColourTable& table, const std::filesystem::path& file);

// Writes every field of every row, empty or not. Only the first failed write is reported
// (through the AutoCAD group's message): when one of the 768 keys cannot be written the rest
// usually cannot either, and one message box per key would bury the user. The remaining keys are
// still tried; false when any write failed. The caller flushes the file.
[[nodiscard]] bool SaveColourTable(const ColourTable& table, const std::filesystem::path& file,
                                   MessageSink& messages);

// Thousandths shown with a decimal point: "1000" -> "1.000", "250" -> ".250", "5" -> ".005",
// "" -> ".000".
std::string WidthDisplay(std::string_view width);

// A typed width turned into thousandths: "1.5" -> "1500", ".25" -> "250", "2" -> "2000". Digits
// after the third decimal are dropped; what is not a number counts as 0; negative entries give 0
// and entries beyond colour::kLargestWidth give that.
std::string WidthFromEntry(std::string_view entry);

// The line of list 1272 that shows one row.
std::string ColourRowLine(int colour, const ACPenParms& row);

// The model of the modal colour table dialog. It works on a private copy of the table; only Ok()
// hands the rows back, so dropping the editor is Cancel. Row indices are 0-based (index 0 is
// colour 1).
class ColourTableEditor {
  public:
    static constexpr int kRowList = 1272;  // multiple selection
    static constexpr int kPenList = 1157;
    static constexpr int kStyleList = 1282;
    static constexpr int kWidthEdit = 1278;
    static constexpr int kRowNumberEdit = 1279;  // shows the current row; never read

    // Opening: copies the table, fills the lists, selects row 1 and shows it; the row list has
    // the focus.
    explicit ColourTableEditor(const ColourTable& table);

    // The selection of the row list changed: exactly `rows` are selected now.
    void SelectRows(std::span<const int> rows);
    // The row list's current row changed: the controls show that row.
    void SetCurrentRow(int row);

    // An item was chosen in the pen or style list: every selected row takes it.
    void ChoosePen(int item);
    void ChooseStyle(int item);

    // The input focus moved to `controlId`. Leaving the width edit applies its entry to the
    // selected rows.
    void Focus(int controlId);

    // OK: applies a pending width entry (when the width edit had the focus last among the
    // dialog's fields), then replaces every row of `table` with the edited ones.
    void Ok(ColourTable& table);

    const ColourTable& rows() const { return rows_; }

    std::array<std::string, kColourCount> rowLines;
    std::array<bool, kColourCount> rowSelected{};
    int currentRow = 0;
    ListControl penList;
    ListControl styleList;
    EditControl widthEdit;
    EditControl rowNumberEdit;

  private:
    void ShowRow(int row);
    void ApplyToSelected(std::string ACPenParms::*field, const std::string& value);

    ColourTable rows_;
    int focused_ = kRowList;    // any control of the dialog
    int lastFocus_ = kRowList;  // among the five fields
};

}  // namespace kestrum
