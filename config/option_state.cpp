#include "config/option_state.h"

#include "config/configuration_file.h"
#include "shell/printer_selection.h"

namespace kestrum {

namespace {

// Page creation only shows the defaults, so it can have nothing to say.
class SilentSink final : public MessageSink {
  public:
    void Show(const Message&) override {}
};

}  // namespace

OptionState::OptionState(Unit unit, PrinterType printerType)
    : unit(unit), stamp(unit), job(unit), hpgl(), calcomp(), raster(), autocad(unit) {
    SilentSink silent;
    ResetAll(*this, silent);
    ApplyPrinterType(*this, printerType);
}

void ApplyPrinterType(OptionState& state, PrinterType type) {
    const bool stampWasOn = state.stamp.stamp.checked;
    state.stamp.ApplyPrinterType(type);
    // The page turns the stamp off for a type that prints none; the held switch follows at once.
    // Left on, the next refresh (the delivery worker refreshes every page after each entry with a
    // configuration of its own) would bring the stamp back, so whether the current settings went
    // with a stamp would depend on the entries before them.
    if (stampWasOn && !state.stamp.stamp.checked) state.values.stamp.stampOn = 0;
    state.job.ApplyPrinterType(type);
    state.hpgl.ApplyPrinterType(type);
    state.calcomp.ApplyPrinterType(type);
    state.raster.ApplyPrinterType(type);
}

void FollowPrinterType(PrinterSelection& selection, OptionState& state) {
    selection.AddPrinterTypeListener([&state](PrinterType type) { ApplyPrinterType(state, type); });
}

}  // namespace kestrum
