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
#include "shell/printer_type.h"
#include "shell/program_settings.h"

namespace kestrum {

class PrinterSelection;

struct OptionState {
    // Creates every page as the desktop program does at start-up: each page filled, its group at
    // its defaults, the defaults shown, and the controls that depend on the printer type set for
    // `printerType` (the printer selection applies the stored type before any configuration is
    // loaded, so a configuration loaded afterwards is shown and exported whole).
    explicit OptionState(Unit unit, PrinterType printerType = PrinterType::Velmar);

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

// A change of the printer type, passed to every page whose controls depend on it, in the order
// the printer selection tells them: text stamp, job options, HP-GL, CalComp, raster settings.
// The values are kept, with one exception: for any type but Velmar the text stamp page clears its
// check box, and the held stamp switch is cleared with it, so the stamp stays off after a return
// to Velmar until the user or a loaded configuration turns it on again.
void ApplyPrinterType(OptionState& state, PrinterType type);

// Makes `state` follow every later printer-type choice of `selection`. Register it before the
// listeners that read the pages (the main window's view buttons), so they see the pages already
// changed. `state` is held by reference: it must stay where it is for as long as `selection` may
// choose a type. User-interface thread.
void FollowPrinterType(PrinterSelection& selection, OptionState& state);

}  // namespace kestrum
