#include "desktop/icons.h"

// The icons are compiled into the static desktop library, whose resource registration the linker
// would drop unless something refers to it.
static void RegisterIcons() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)registered;
}

namespace kestrum {

QIcon ThemeIcon(const QString& themeName, const QString& fallback) {
    RegisterIcons();
    return QIcon::fromTheme(themeName, QIcon(QStringLiteral(":/icons/%1.svg").arg(fallback)));
}

QIcon ProgramIcon() {
    RegisterIcons();
    return QIcon(QStringLiteral(":/icons/kestrum.svg"));
}

}  // namespace kestrum
