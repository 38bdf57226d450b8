#include "options/option_page.h"

#include <cstdio>
#include <utility>

namespace kestrum {

PageControl PageControl::OfList(int id, ListControl& list) {
    PageControl c;
    c.id = id;
    c.kind = Kind::List;
    c.list = &list;
    return c;
}

PageControl PageControl::OfCheck(int id, CheckControl& check) {
    PageControl c;
    c.id = id;
    c.kind = Kind::Check;
    c.check = &check;
    return c;
}

PageControl PageControl::OfEdit(int id, EditControl& edit, std::function<bool(char)> accepts) {
    PageControl c;
    c.id = id;
    c.kind = Kind::Edit;
    c.edit = &edit;
    c.accepts = std::move(accepts);
    return c;
}

PageControl PageControl::OfRadio(int id, RadioGroup& group, const bool* enabled) {
    PageControl c;
    c.id = id;
    c.kind = Kind::Radio;
    c.radio = &group;
    c.enabled = enabled;
    return c;
}

PageControl PageControl::OfButton(int id, const bool* enabled) {
    PageControl c;
    c.id = id;
    c.kind = Kind::Button;
    c.enabled = enabled;
    return c;
}

PageControl PageControl::OfLabel(int id, const std::string* text, const bool* enabled) {
    PageControl c;
    c.id = id;
    c.kind = Kind::Label;
    c.text = text;
    c.enabled = enabled;
    return c;
}

bool RefuseEvent([[maybe_unused]] std::string_view page,
                 [[maybe_unused]] const ControlEvent& event) {
#ifndef NDEBUG
    std::fprintf(stderr, "%.*s page: control %d takes no event of kind %d\n",
                 static_cast<int>(page.size()), page.data(), event.id,
                 static_cast<int>(event.kind));
#endif
    return false;
}

bool SelectEntry(ListControl& list, int index) {
    if (index < 0 || index >= static_cast<int>(list.entries.size())) return false;
    list.selected = index;
    return true;
}

std::vector<int> ControlIds(const std::vector<PageControl>& controls) {
    std::vector<int> ids;
    ids.reserve(controls.size());
    for (const PageControl& c : controls) ids.push_back(c.id);
    return ids;
}

}  // namespace kestrum
