#include "desktop/pages/option_page_widgets.h"

#include <utility>

#include "config/option_state.h"
#include "desktop/pages/autocad_page_widget.h"
#include "desktop/pages/calcomp_page_widget.h"
#include "desktop/pages/hpgl_page_widget.h"
#include "desktop/pages/job_options_page_widget.h"
#include "desktop/pages/raster_settings_page_widget.h"
#include "desktop/pages/text_stamp_page_widget.h"

namespace kestrum {

OptionPageWidget* CreateJobOptionsPageWidget(JobOptionsPage& model, CUserObject& values,
                                             MessageSink& messages, QWidget* parent) {
    return new JobOptionsPageWidget(model, values, messages, parent);
}

OptionPageWidget* CreateTextStampPageWidget(TextStampPage& model, CUserObject& values,
                                            MessageSink& messages, QWidget* parent) {
    return new TextStampPageWidget(model, values, messages, parent);
}

OptionPageWidget* CreateHpglPageWidget(HpglPage& model, CUserObject& values, MessageSink& messages,
                                       QWidget* parent) {
    return new HpglPageWidget(model, values, messages, parent);
}

OptionPageWidget* CreateCalCompPageWidget(CalCompPage& model, CUserObject& values,
                                          MessageSink& messages, QWidget* parent) {
    return new CalCompPageWidget(model, values, messages, parent);
}

OptionPageWidget* CreateRasterSettingsPageWidget(RasterSettingsPage& model, CUserObject& values,
                                                 MessageSink& messages, QWidget* parent) {
    return new RasterSettingsPageWidget(model, values, messages, parent);
}

OptionPageWidget* CreateAutoCadPageWidget(AutoCadPage& model, CUserObject& values,
                                          ReferenceList& references,
                                          std::filesystem::path settingsFile, MessageSink& messages,
                                          QWidget* parent) {
    return new AutoCadPageWidget(model, values, references, std::move(settingsFile), messages,
                                 parent);
}

OptionPageWidgets CreateOptionPageWidgets(OptionState& state, std::filesystem::path settingsFile,
                                          MessageSink& messages, QWidget* parent) {
    CUserObject& v = state.values;
    return {CreateTextStampPageWidget(state.stamp, v, messages, parent),
            CreateJobOptionsPageWidget(state.job, v, messages, parent),
            CreateHpglPageWidget(state.hpgl, v, messages, parent),
            CreateCalCompPageWidget(state.calcomp, v, messages, parent),
            CreateRasterSettingsPageWidget(state.raster, v, messages, parent),
            CreateAutoCadPageWidget(state.autocad, v, state.references, std::move(settingsFile),
                                    messages, parent)};
}

}  // namespace kestrum
