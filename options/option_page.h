#pragma once

// One protocol for every option page model, so that a front end binds any page from its control
// table instead of writing glue per control. A page lists its controls (id, kind, where the
// state lives in the model) and takes every user action as one ControlEvent, which it dispatches
// to its own methods; Refresh and Export have the same shape on every page.
//
// Everything here runs on the user-interface thread, or on a worker's own copy of the pages.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "options/page_controls.h"
#include "options/user_object.h"
#include "shell/message_sink.h"
#include "shell/printer_type.h"
#include "shell/program_settings.h"

namespace kestrum {

// One control of a page. Exactly the pointer that belongs to `kind` is set (a Radio has `radio`,
// and optionally `enabled` when one button of the group is enabled on its own); the pointers
// live as long as the page model.
struct PageControl {
    enum class Kind { List, Check, Edit, Radio, Button, Label };

    int id = 0;
    Kind kind = Kind::Button;
    ListControl* list = nullptr;
    CheckControl* check = nullptr;
    EditControl* edit = nullptr;
    RadioGroup* radio = nullptr;        // the group; this button is on when radio->chosen == id
    const bool* enabled = nullptr;      // Button, Label, or a radio enabled apart from its group;
                                        // null: follows the group, or always enabled
    const std::string* text = nullptr;  // Label: the text shown (unit labels and alike)
    const int* picture = nullptr;       // Label: the number of the icon shown, when it is one
    // Edit: whether the field takes a character as typed (digits only in metric units, for
    // example); empty: it takes every character.
    std::function<bool(char)> accepts = {};

    static PageControl OfList(int id, ListControl& list);
    static PageControl OfCheck(int id, CheckControl& check);
    static PageControl OfEdit(int id, EditControl& edit, std::function<bool(char)> accepts = {});
    static PageControl OfRadio(int id, RadioGroup& group, const bool* enabled = nullptr);
    static PageControl OfButton(int id, const bool* enabled = nullptr);
    static PageControl OfLabel(int id, const std::string* text, const bool* enabled = nullptr);
};

// One user action on one control.
struct ControlEvent {
    enum class Kind {
        Select,  // an entry of a list was chosen: `index`
        Toggle,  // a check box was clicked to `checked`, or a radio button was chosen
        Edit,    // the text of an edit field changed to `text`
        Click,   // a button was pressed
    };

    int id = 0;
    Kind kind = Kind::Click;
    int index = -1;
    bool checked = false;
    std::string text;
};

class OptionPage {
  public:
    virtual ~OptionPage() = default;

    // Every control of the page, in reading order.
    virtual std::vector<PageControl> Controls() = 0;

    // The values to the page's state. Messages are for values the page cannot show as held.
    virtual void Refresh(CUserObject& values, MessageSink& messages) = 0;

    // The page's state to the values.
    virtual void Export(CUserObject& values) const = 0;

    // One user action, dispatched to the page's own method; what a page stores at once (pens,
    // for example) goes into `values`. False, changing nothing, when the page has no control
    // `event.id` or that control takes no such event: a programming error, reported in debug
    // builds, never silently taken. Buttons that open a window (the colour table, the reference
    // folders) are the front end's: Apply answers false for them.
    virtual bool Apply(const ControlEvent& event, CUserObject& values, MessageSink& messages) = 0;

    virtual void ApplyPrinterType(PrinterType) {}
    virtual void ApplyUnit(Unit) {}
};

// The answer to an event a page does not take: false, with a message on standard error in debug
// builds so that a front end wired to the wrong id shows up at once.
bool RefuseEvent(std::string_view page, const ControlEvent& event);

// A Select event's index into `list`: selects it; false, changing nothing, when out of range.
bool SelectEntry(ListControl& list, int index);

// The ids of `controls`, in their order.
std::vector<int> ControlIds(const std::vector<PageControl>& controls);

}  // namespace kestrum
