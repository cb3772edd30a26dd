// The window's controls with their sizes, positions, colours, fonts, pointers
// and hints.
#include "Unit1.h"

#include "colors.h"
#include "dialogue_pane.h"
#include "input_field.h"
#include "widget_colours.h"
#include "window_placement.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

namespace besedka {
namespace {

constexpr int kClientWidth = 587;
constexpr int kClientHeight = 361;
constexpr int kStatusBarHeight = 19;
constexpr int kInputLimit = 255;

QFont designFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

QFrame* framedPanel(QWidget* parent, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    // The panels keep their own face colour; the window colour shows only
    // where no panel covers the window (most of it in the full-screen layout).
    setOwnBackground(panel, toQColor(kSilver));
    return panel;
}

QToolButton* flatButton(QWidget* parent, const QString& caption, const QRect& geometry,
                        const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(hint);
    button->setEnabled(false);
    setTextColour(button, QPalette::ButtonText, toQColor(kBlack));
    return button;
}

} // namespace

void TForm1::createControls() {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Разработчик: Halden. v1.926"));
    setFont(designFont());
    setColour(this, QPalette::Window, toQColor(kSilver));
    setCursor(Qt::ForbiddenCursor);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    TabControl1 = framedPanel(client, QRect(0, 0, 588, 313));
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->setCursor(Qt::ArrowCursor);

    RichEdit1 = new DialoguePane(TabControl1);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(3, 5, 581, 305);
    setColour(RichEdit1, QPalette::Base, toQColor(kSilver));
    RichEdit1->viewport()->setCursor(Qt::ForbiddenCursor);
    RichEdit1->setToolTip(QStringLiteral("Поле для отображения диалога"));
    RichEdit1->setAccessibleName(QStringLiteral("Диалог"));

    TabControl2 = framedPanel(client, QRect(0, 312, 585, 30));
    TabControl2->setObjectName(QStringLiteral("TabControl2"));
    TabControl2->setCursor(Qt::ForbiddenCursor);

    Edit1 = new InputField(TabControl2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(3, 5, 422, 21);
    Edit1->setMaxLength(kInputLimit);
    Edit1->setFont(designFont());
    setColour(Edit1, QPalette::Base, toQColor(kSilver));
    setTextColour(Edit1, QPalette::Text, toQColor(kBlack));
    Edit1->setCursor(Qt::IBeamCursor);
    Edit1->setToolTip(QStringLiteral("Поле для ввода фразы пользователя"));
    Edit1->setAccessibleName(QStringLiteral("Фраза"));

    SpeedButton2 = flatButton(TabControl2, QStringLiteral("<"), QRect(426, 5, 27, 22),
                              QStringLiteral("Отмена (Альтернатива клавиша: <Ctrl + Z>)"));
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setFont(designFont());
    SpeedButton3 = flatButton(TabControl2, QStringLiteral("E/R"), QRect(453, 5, 43, 22),
                              QStringLiteral("Раскладка (Альтернатива клавиша: <Ctrl + S>)"));
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton1 =
        flatButton(TabControl2, QStringLiteral("Сказать"), QRect(496, 5, 86, 22),
                   QStringLiteral("Кнопка отправки текста (Альтернатива клавиша: <INSERT>)"));
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
}

void TForm1::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(kStatusBarHeight);
    // The platform's status-bar font is the small 8-point one.
    QFont statusFont = QApplication::font();
    statusFont.setPointSize(8);
    StatusBar1->setFont(statusFont);
    StatusBar1->setCursor(Qt::WhatsThisCursor);
    StatusBar1->setToolTip(QStringLiteral("Индикатор"));
    setOwnBackground(StatusBar1, toQColor(kSilver));
    keepDisabledTextReadable(StatusBar1);
    const std::array<int, 3> widths{150, 280, 50};
    for (std::size_t i = 0; i < statusPanels_.size(); ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        const bool last = i + 1 == statusPanels_.size();
        if (!last) {
            panel->setFixedWidth(widths[i]);
        }
        // The last panel runs to the right edge.
        StatusBar1->addWidget(panel, last ? 1 : 0);
        statusPanels_[i] = panel;
    }
    setStatusBar(StatusBar1);
    setStatusText(2, QStringLiteral("Режим Cpu\\User"));
}

void TForm1::fixDesignSize() {
    // The client area holds the design size below the menu bar.
    setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
}

void TForm1::showCentred() {
    show();
    centreOnDesktop();
    activateWindow();
}

void TForm1::centreOnDesktop() {
    besedka::centreOnDesktop(*this);
}

} // namespace besedka
