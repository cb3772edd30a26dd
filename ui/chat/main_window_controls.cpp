// The window's controls with their sizes, positions, colours, fonts, pointers
// and hints.
#include "chat/main_window.h"

#include "chat/dialogue_pane.h"
#include "chat/input_field.h"
#include "chat/window_placement.h"
#include "common/colours.h"
#include "common/design_font.h"
#include "talk/phrase.h"

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
constexpr int kInputLimit = static_cast<int>(kLongestTypedPhrase);

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

void MainWindow::createControls() {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Разработчик: Halden. v1.926"));
    setFont(designFont());
    setColour(this, QPalette::Window, toQColor(kSilver));
    setCursor(Qt::ForbiddenCursor);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    panePanel_ = framedPanel(client, QRect(0, 0, 588, 313));
    panePanel_->setObjectName(QStringLiteral("panePanel"));
    panePanel_->setCursor(Qt::ArrowCursor);

    pane_ = new DialoguePane(panePanel_);
    pane_->setObjectName(QStringLiteral("pane"));
    pane_->setGeometry(3, 5, 581, 305);
    setColour(pane_, QPalette::Base, toQColor(kSilver));
    pane_->viewport()->setCursor(Qt::ForbiddenCursor);
    pane_->setToolTip(QStringLiteral("Поле для отображения диалога"));
    pane_->setAccessibleName(QStringLiteral("Диалог"));

    inputBar_ = framedPanel(client, QRect(0, 312, 585, 30));
    inputBar_->setObjectName(QStringLiteral("inputBar"));
    inputBar_->setCursor(Qt::ForbiddenCursor);

    input_ = new InputField(inputBar_);
    input_->setObjectName(QStringLiteral("input"));
    input_->setGeometry(3, 5, 422, 21);
    input_->setMaxLength(kInputLimit);
    input_->setFont(designFont());
    setColour(input_, QPalette::Base, toQColor(kSilver));
    setTextColour(input_, QPalette::Text, toQColor(kBlack));
    input_->setCursor(Qt::IBeamCursor);
    input_->setToolTip(QStringLiteral("Поле для ввода фразы пользователя"));
    input_->setAccessibleName(QStringLiteral("Фраза"));

    undoButton_ = flatButton(inputBar_, QStringLiteral("<"), QRect(426, 5, 27, 22),
                             QStringLiteral("Отмена (Альтернатива клавиша: <Ctrl + Z>)"));
    undoButton_->setObjectName(QStringLiteral("undoButton"));
    undoButton_->setFont(designFont());
    layoutButton_ = flatButton(inputBar_, QStringLiteral("E/R"), QRect(453, 5, 43, 22),
                               QStringLiteral("Раскладка (Альтернатива клавиша: <Ctrl + S>)"));
    layoutButton_->setObjectName(QStringLiteral("layoutButton"));
    sayButton_ =
        flatButton(inputBar_, QStringLiteral("Сказать"), QRect(496, 5, 86, 22),
                   QStringLiteral("Кнопка отправки текста (Альтернатива клавиша: <INSERT>)"));
    sayButton_->setObjectName(QStringLiteral("sayButton"));
}

void MainWindow::createStatusBar() {
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("statusBar"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setFixedHeight(kStatusBarHeight);
    statusBar_->setFont(designFont());
    statusBar_->setCursor(Qt::WhatsThisCursor);
    statusBar_->setToolTip(QStringLiteral("Индикатор"));
    setOwnBackground(statusBar_, toQColor(kSilver));
    keepDisabledTextReadable(statusBar_);
    const std::array<int, 3> widths{150, 280, 50};
    for (std::size_t i = 0; i < statusPanels_.size(); ++i) {
        auto* panel = new QLabel(statusBar_);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        const bool last = i + 1 == statusPanels_.size();
        if (!last) {
            panel->setFixedWidth(widths[i]);
        }
        // The last panel runs to the right edge.
        statusBar_->addWidget(panel, last ? 1 : 0);
        statusPanels_[i] = panel;
    }
    setStatusBar(statusBar_);
    setStatusText(2, QStringLiteral("Режим Cpu\\User"));
}

void MainWindow::fixDesignSize() {
    // The client area holds the design size below the menu bar.
    setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
}

void MainWindow::showCentred() {
    show();
    centreOnDesktop(*this);
    activateWindow();
}

void MainWindow::showUnsharedLock() {
    setStatusText(1, QStringLiteral("Папка в сети: два компьютера сразу не защищены"));
    statusPanels_[1]->setToolTip(
        QStringLiteral("Папка Base лежит на сетевом диске. Блокировку видят только программы "
                       "этого компьютера: если с папкой одновременно работают два компьютера, "
                       "выученное одним может пропасть у другого."));
}

} // namespace besedka
