#include "config/configuration_file.h"

#include "options/autocad_options.h"
#include "options/calcomp_options.h"
#include "options/hpgl_options.h"
#include "options/job_options.h"
#include "options/raster_settings.h"
#include "options/text_stamp.h"
#include "platform/private_profile.h"
#include "shell/message_sink.h"
#include "shell/resource_ids.h"

namespace kestrum {

void LoadAll(OptionState& s, MessageSink& messages) {
    const std::filesystem::path file = s.values.currentConfiguration;
    CUserObject& v = s.values;
    const profile::Batch snapshot(file);
    LoadTextStamp(v.stamp, file);
    s.stamp.Refresh(v.stamp);
    LoadJobOptions(v.job, file);
    s.job.Refresh(v.job, messages);
    LoadHpgl(v.hpgl, v.hpglPens, file);
    s.hpgl.Refresh(v.hpgl, v.hpglPens);
    LoadCalComp(v.calcomp, v.calcompPens, file);
    s.calcomp.Refresh(v.calcomp, v.calcompPens);
    LoadRaster(v.raster, file);
    s.raster.Refresh(v.raster);
    LoadAutoCad(v.autocad, v.colourTable, s.references, file, s.unit);
    s.autocad.Refresh(v.autocad);
}

void RefreshAll(OptionState& s, MessageSink& messages) {
    CUserObject& v = s.values;
    s.stamp.Refresh(v.stamp);
    s.job.Refresh(v.job, messages);
    s.hpgl.Refresh(v.hpgl, v.hpglPens);
    s.calcomp.Refresh(v.calcomp, v.calcompPens);
    s.raster.Refresh(v.raster);
    s.autocad.Refresh(v.autocad);
}

Result<void> SaveAll(OptionState& s, const std::filesystem::path& file, MessageSink& messages) {
    CUserObject& v = s.values;
    bool ok = true;
    profile::Batch batch(file);
    s.stamp.Export(v.stamp);
    ok = SaveTextStamp(v.stamp, file, messages) && ok;
    s.job.Export(v.job);
    ok = SaveJobOptions(v.job, file, messages) && ok;
    s.hpgl.Export(v.hpgl);
    ok = SaveHpgl(v.hpgl, v.hpglPens, file, messages) && ok;
    s.calcomp.Export(v.calcomp);
    ok = SaveCalComp(v.calcomp, v.calcompPens, file, messages) && ok;
    s.raster.Export(v.raster);
    ok = SaveRaster(v.raster, file, messages) && ok;
    s.autocad.Export(v.autocad);
    ok = SaveAutoCad(v.autocad, v.colourTable, s.references, file, messages) && ok;
    // Keys that went through are kept even when others were refused, as each group saves on.
    Result<void> saved = batch.Commit();
    if (saved) saved = profile::Flush(file);
    if (!saved) {
        return Error{
            MakeMessage(rid::kCannotSaveConfiguration, MessageIcon::Stop, saved.error().message)
                .text,
            rid::kCannotSaveConfiguration, ErrorKind::File};
    }
    if (!ok) {
        Error refused =
            MakeError(rid::kCannotSaveConfiguration, ErrorKind::File, "\"" + file.string() + "\"");
        refused.shown = true;
        return refused;
    }
    return Ok();
}

void ResetAll(OptionState& s, MessageSink& messages) {
    CUserObject& v = s.values;
    SetTextStampDefaults(v.stamp);
    SetJobOptionsDefaults(v.job);
    SetHpglDefaults(v.hpgl, v.hpglPens);
    SetCalCompDefaults(v.calcomp, v.calcompPens);
    SetRasterDefaults(v.raster);
    SetAutoCadDefaults(v.autocad, v.colourTable, s.references, s.unit);
    RefreshAll(s, messages);
}

void OptionStateExports::ExportForHeader() {
    CUserObject& v = state_.values;
    state_.stamp.Export(v.stamp);
    state_.job.Export(v.job);
    state_.hpgl.Export(v.hpgl);
    state_.calcomp.Export(v.calcomp);
    state_.raster.Export(v.raster);
}

}  // namespace kestrum
