#include "chat/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace besedka {
namespace {

// Checks for the frame this often, for at most this long after a centring
// without it (a desktop without a window manager never gives one).
constexpr int kFrameCheckInterval = 20;
constexpr int kFrameChecks = 150;

QMargins frameMargins(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

void centreFrame(QWidget& window) {
    const QScreen* desktop =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (desktop == nullptr) {
        return;
    }
    const QRect area = desktop->geometry();
    const QMargins margins = frameMargins(window);
    const QSize frame = window.size().grownBy(margins);
    const QPoint frameTopLeft(area.x() + (area.width() - frame.width()) / 2,
                              area.y() + (area.height() - frame.height()) / 2);
    // Placed by its client area: moving by the frame position lets Qt add the
    // frame offset twice while the window manager is still catching up with
    // earlier moves (the shake).
    window.setGeometry(QRect(frameTopLeft + QPoint(margins.left(), margins.top()), window.size()));
}

// Centres a window centred without its frame once more when the window
// manager's frame arrives; asks the window's platform window, which knows
// the frame as soon as the window manager has put one around it.
class CentreWhenFramed final : public QTimer {
  public:
    explicit CentreWhenFramed(QWidget& window) : QTimer(&window), window_(window) {
        setObjectName(QStringLiteral("centreWhenFramed"));
        setInterval(kFrameCheckInterval);
        connect(this, &QTimer::timeout, this, [this] { check(); });
        start();
    }

  private:
    void check() {
        if (!frameMargins(window_).isNull()) {
            centreFrame(window_);
            deleteLater();
        } else if (++checks_ >= kFrameChecks) {
            deleteLater();
        }
    }

    QWidget& window_;
    int checks_ = 0;
};

} // namespace

void centreOnDesktop(QWidget& window) {
    centreFrame(window);
    if (frameMargins(window).isNull() &&
        window.findChild<CentreWhenFramed*>(QStringLiteral("centreWhenFramed"),
                                            Qt::FindDirectChildrenOnly) == nullptr) {
        new CentreWhenFramed(window); // owned by the window; gone once done
    }
}

} // namespace besedka
