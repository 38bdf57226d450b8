#pragma once

// One factory per configuration page, for the main window's stacked views. Each page binds to
// its model; the references must outlive the widget. After the main window passes a printer type
// or a unit to the models, Push() on each page shows the change; after a configuration is loaded
// into the values, Refresh(); before the values are saved or copied for a send, Export().

#include <QWidget>
#include <array>
#include <filesystem>

#include "desktop/pages/option_page_widget.h"
#include "options/autocad_page.h"
#include "options/calcomp_page.h"
#include "options/hpgl_page.h"
#include "options/job_options_page.h"
#include "options/raster_settings_page.h"
#include "options/text_stamp_page.h"

namespace kestrum {

struct OptionState;

OptionPageWidget* CreateJobOptionsPageWidget(JobOptionsPage& model, CUserObject& values,
                                             MessageSink& messages, QWidget* parent = nullptr);
OptionPageWidget* CreateTextStampPageWidget(TextStampPage& model, CUserObject& values,
                                            MessageSink& messages, QWidget* parent = nullptr);
OptionPageWidget* CreateHpglPageWidget(HpglPage& model, CUserObject& values, MessageSink& messages,
                                       QWidget* parent = nullptr);
OptionPageWidget* CreateCalCompPageWidget(CalCompPage& model, CUserObject& values,
                                          MessageSink& messages, QWidget* parent = nullptr);
OptionPageWidget* CreateRasterSettingsPageWidget(RasterSettingsPage& model, CUserObject& values,
                                                 MessageSink& messages, QWidget* parent = nullptr);
// `references`: the working copy of the reference folders; `settingsFile`: kestrum.ini, which
// holds their master copy.
OptionPageWidget* CreateAutoCadPageWidget(AutoCadPage& model, CUserObject& values,
                                          ReferenceList& references,
                                          std::filesystem::path settingsFile, MessageSink& messages,
                                          QWidget* parent = nullptr);

// The six pages of one option state, in the order of the main window's views: text stamp, job
// options, HP-GL, CalComp, raster settings, AutoCAD options.
struct OptionPageWidgets {
    OptionPageWidget* stamp;
    OptionPageWidget* job;
    OptionPageWidget* hpgl;
    OptionPageWidget* calcomp;
    OptionPageWidget* raster;
    OptionPageWidget* autocad;

    // Every page, in the order above.
    std::array<OptionPageWidget*, 6> All() const {
        return {stamp, job, hpgl, calcomp, raster, autocad};
    }
};
OptionPageWidgets CreateOptionPageWidgets(OptionState& state, std::filesystem::path settingsFile,
                                          MessageSink& messages, QWidget* parent = nullptr);

}  // namespace kestrum
