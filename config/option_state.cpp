#include "config/option_state.h"

#include "config/configuration_file.h"

namespace kestrum {

namespace {

// Page creation only shows the defaults, so it can have nothing to say.
class SilentSink final : public MessageSink {
public:
    void Show(const Message&) override {}
};

}  // namespace

OptionState::OptionState(Unit unit)
    : unit(unit), stamp(unit), job(unit), hpgl(), calcomp(), raster(), autocad(unit) {
    SilentSink silent;
    ResetAll(*this, silent);
}

}  // namespace kestrum
