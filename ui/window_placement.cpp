#include "window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace besedka {
namespace {

bool frameKnown(const QWidget& window) {
    return window.frameGeometry().size() != window.size();
}

void centreFrame(QWidget& window) {
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

// Watches a window centred without its frame and centres it again once, when
// the frame arrives (the window manager moves the window into its frame).
class CentreWhenFramed final : public QObject {
  public:
    explicit CentreWhenFramed(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(QStringLiteral("centreWhenFramed"));
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == &window_ && (type == QEvent::Move || type == QEvent::Resize) &&
            frameKnown(window_)) {
            window_.removeEventFilter(this);
            centreFrame(window_);
            deleteLater();
        }
        return false;
    }

  private:
    QWidget& window_;
};

} // namespace

void centreOnDesktop(QWidget& window) {
    centreFrame(window);
    if (!frameKnown(window) &&
        window.findChild<CentreWhenFramed*>(QStringLiteral("centreWhenFramed"),
                                            Qt::FindDirectChildrenOnly) == nullptr) {
        new CentreWhenFramed(window); // owned by the window; gone once it has centred
    }
}

} // namespace besedka
