#pragma once

// The program's option state: the values of every option group (the CUserObject record and the
// working external-reference list) together with the page models that show them. The desktop
// program owns one on its user-interface thread; the delivery worker takes a copy when a send
// starts, so pages and values travel together and never point at each other.

#include "options/autocad_page.h"
#include "options/calcomp_page.h"
#include "options/hpgl_page.h"
#include "options/job_options_page.h"
#include "options/raster_settings_page.h"
#include "options/text_stamp_page.h"
#include "options/user_object.h"
#include "shell/program_settings.h"

namespace kestrum {

struct OptionState {
    // Creates every page as the desktop program does at start-up: each page filled, its group at
    // its defaults, the defaults shown.
    explicit OptionState(Unit unit);

    Unit unit;
    CUserObject values;
    ReferenceList references;
    TextStampPage stamp;
    JobOptionsPage job;
    HpglPage hpgl;
    CalCompPage calcomp;
    RasterSettingsPage raster;
    AutoCadPage autocad;
};

}  // namespace kestrum
