// The normal and the full-screen layout: fixed sizes, whatever the screen.
#include "Unit1.h"

#include "dialogue_pane.h"
#include "input_field.h"

#include <QAction>
#include <QFrame>
#include <QScreen>
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

void TForm1::applyLayout(const LayoutSizes& sizes) {
    TabControl1->resize(sizes.upperPanel);
    RichEdit1->resize(sizes.pane);
    TabControl2->setGeometry(TabControl2->x(), sizes.barTop, sizes.barWidth, TabControl2->height());
    setLeft(SpeedButton1, sizes.sayLeft);
    setLeft(SpeedButton3, sizes.layoutLeft);
    setLeft(SpeedButton2, sizes.undoLeft);
    Edit1->resize(sizes.inputWidth, Edit1->height());
}

void TForm1::N40Click() {
    if (!N40->isChecked()) {
        N40->setChecked(true);
        N40->setText(QStringLiteral("Normal"));
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
        N40->setChecked(false);
        N40->setText(QStringLiteral("Full Screen")); // the accelerator does not come back
        showNormal();
        fixDesignSize();
        move(normalPosition_);
        applyLayout(kNormal);
    }
}

} // namespace besedka
