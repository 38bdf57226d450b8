#pragma once

// Icons: the desktop's theme where it has a fitting one, else the program's own bundled SVG.

#include <QIcon>
#include <QString>

namespace kestrum {

// `themeName` from the icon theme, else ":/icons/<fallback>.svg".
QIcon ThemeIcon(const QString& themeName, const QString& fallback);

// The program's own icon, for windows and the About box.
QIcon ProgramIcon();

}  // namespace kestrum
