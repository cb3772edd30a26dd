#include "window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace besedka {

void centreOnDesktop(QWidget& window) {
    const QScreen* desktop =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (desktop == nullptr) {
        return;
    }
    const QRect area = desktop->geometry();
    const QSize frame = window.frameGeometry().size();
    window.move(area.x() + (area.width() - frame.width()) / 2,
                area.y() + (area.height() - frame.height()) / 2);
}

} // namespace besedka
