// The normal and the full-screen layout: fixed sizes, whatever the screen.
#include "chat/main_window.h"

#include "chat/dialogue_pane.h"
#include "chat/input_field.h"

#include <QAction>
#include <QFrame>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace besedka {

// What the two layouts change; everything else keeps its place and size.
struct LayoutSizes {
    QSize upperPanel;
    QSize pane;
    int barWidth;
    int barTop;
    int sayLeft;
    int layoutLeft;
    int undoLeft;
    int inputWidth;
};

namespace {

constexpr LayoutSizes kNormal{{588, 313}, {581, 305}, 585, 312, 496, 453, 426, 422};
constexpr LayoutSizes kFullScreen{{799, 507}, {793, 499}, 799, 507, 710, 667, 640, 635};

void setLeft(QWidget* widget, int left) {
    widget->move(left, widget->y());
}

} // namespace

void MainWindow::applyLayout(const LayoutSizes& sizes) {
    panePanel_->resize(sizes.upperPanel);
    pane_->resize(sizes.pane);
    inputBar_->setGeometry(inputBar_->x(), sizes.barTop, sizes.barWidth, inputBar_->height());
    setLeft(sayButton_, sizes.sayLeft);
    setLeft(layoutButton_, sizes.layoutLeft);
    setLeft(undoButton_, sizes.undoLeft);
    input_->resize(sizes.inputWidth, input_->height());
    // The pane's new size wraps its lines anew; the newest stays in sight,
    // also once a window manager has finished resizing the window.
    pane_->scrollToEnd();
    QTimer::singleShot(0, pane_, &DialoguePane::scrollToEnd);
}

void MainWindow::toggleFullScreen() {
    if (!menu_.fullScreenItem->isChecked()) {
        menu_.fullScreenItem->setChecked(true);
        menu_.fullScreenItem->setText(QStringLiteral("Normal"));
        normalPosition_ = pos();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // Where no window manager maximises the window, it takes the screen
        // by itself.
        if (const QScreen* desktop = screen()) {
            setGeometry(desktop->availableGeometry());
        }
        showMaximized();
        applyLayout(kFullScreen);
    } else {
        menu_.fullScreenItem->setChecked(false);
        menu_.fullScreenItem->setText(
            QStringLiteral("Full Screen")); // the accelerator does not come back
        showNormal();
        fixDesignSize();
        move(normalPosition_);
        applyLayout(kNormal);
    }
}

} // namespace besedka
