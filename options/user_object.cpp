#include "options/user_object.h"

#include "options/job_options.h"

namespace kestrum {

bool PenParms::InUse() const {
    return !width.empty() || !lineEnd.empty() || !lineJoin.empty() || !grayLevel.empty() ||
           !opaque.empty() || !lineUpper.empty();
}

CUserObject DefaultUserObject() {
    CUserObject record;
    SetJobOptionsDefaults(record.job);
    return record;
}

}  // namespace kestrum
