#include "common/program_icon.h"

#include <QApplication>
#include <QIcon>

// The icons are linked from a static library: their registration is called
// for by name (outside any namespace, as the macro requires).
static void registerBuiltInIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace besedka {

QIcon programIcon() {
    registerBuiltInIcons();
    QIcon builtIn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        builtIn.addFile(QStringLiteral(":/icons/besedka-%1.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QStringLiteral("besedka"), builtIn);
}

void installProgramIcon() {
    QApplication::setWindowIcon(programIcon());
    // Wayland compositors find the icon through the desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("besedka"));
}

} // namespace besedka
