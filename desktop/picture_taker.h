#pragma once

// Writes a PNG of every view of the main window and of each dialog into a folder, so reviewers
// can look at every window without a desktop (run with QT_QPA_PLATFORM=offscreen).

#include <QString>

namespace kestrum {

class Application;

// The main window must exist. Returns the number of pictures written; -1 when the folder cannot
// be made or a picture cannot be written (named on standard error).
int TakePictures(Application& application, const QString& folder);

}  // namespace kestrum
