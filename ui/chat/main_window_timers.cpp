// The timers: state refresher, idle remark, start-up load, closing animation,
// reserved-character guard, self-talk and window shake.
#include "chat/main_window.h"

#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/input_field.h"
#include "chat/lock_queue.h"
#include "chat/sound_player.h"
#include "chat/window_placement.h"
#include "chat/window_shake.h"
#include "talk/clock.h"

#include <QAction>
#include <QLayout>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace besedka {
namespace {

constexpr int kEveryTick = 1;
// A tick the user watches (the closing drift) runs at the pace a 1 ms timer
// had where the window was drawn: the system timer's default granularity of
// about 15.6 ms. Its 80 ticks then last about 1.25 s and the close cue is heard.
constexpr int kWatchedTick = 16;
constexpr int kIdleInterval = 1000;
constexpr int kSelfTalkInterval = 3000;
// A failed start-up load is tried again at this pace rather than every
// millisecond, which would keep a core busy until the file comes back.
constexpr int kStartupRetryInterval = 50;
constexpr int kClosingTicks = 80;
constexpr int kCloseCueFromTick = 10;
// The closing window shrinks no further than this.
constexpr QSize kSmallestWindow(112, 27);

QTimer* makeTimer(QObject* owner, const char* name, int interval, bool running) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    if (running) {
        timer->start();
    }
    return timer;
}

bool isReserved(QChar c) {
    return c == QLatin1Char('^') || c == QLatin1Char('_') || c == QLatin1Char(';');
}

} // namespace

void MainWindow::createTimers() {
    idleTimer_ = makeTimer(this, "idleTimer", kIdleInterval, true);
    startupLoadTimer_ = makeTimer(this, "startupLoadTimer", kEveryTick, true);
    closingTimer_ = makeTimer(this, "closingTimer", kWatchedTick, false);
    closingTimer_->setTimerType(Qt::PreciseTimer);
    selfTalkTimer_ = makeTimer(this, "selfTalkTimer", kSelfTalkInterval, false);
    shakeTimer_ = makeTimer(this, "shakeTimer", kEveryTick, true);
    connect(idleTimer_, &QTimer::timeout, this, [this] { idleTick(); });
    connect(startupLoadTimer_, &QTimer::timeout, this, [this] { startupLoadTick(); });
    connect(closingTimer_, &QTimer::timeout, this, [this] { closingTick(); });
    connect(selfTalkTimer_, &QTimer::timeout, this, [this] { selfTalkTick(); });
    connect(shakeTimer_, &QTimer::timeout, this, [this] { shake(); });
}

void MainWindow::startIfStopped(QTimer* timer) {
    if (!timer->isActive()) {
        timer->start();
    }
}

void MainWindow::refreshState() {
    const bool hasText = !input_->text().isEmpty();
    sayButton_->setEnabled(hasText);
    layoutButton_->setEnabled(hasText);
    menu_.sayShortcut->setEnabled(hasText);
    const bool hasLines = engine_.dialogue().paneCount() > 0;
    undoButton_->setEnabled(hasLines);
    menu_.undoShortcut->setEnabled(hasLines);
    if (menu_.cpuCpuItem->isChecked()) {
        startIfStopped(selfTalkTimer_);
    } else {
        selfTalkTimer_->stop();
    }
    // Only the focus within this window: neither raised nor activated.
    if (focusWidget() != input_) {
        input_->setFocus();
    }
}

void MainWindow::idleTick() {
    if (lockQueue_->hasWaiting()) {
        return; // a phrase waiting for the lock gets its reply before any remark
    }
    bool remarked = false;
    if (steps_.run([&] { remarked = engine_.idleTick(); }, &idleRemarkFailure_) && remarked) {
        idleRemarkFailure_.succeeded();
    }
}

void MainWindow::startupLoadTick() {
    startupLoadTimer_->setInterval(kStartupRetryInterval);
    setStatusText(0, QStringLiteral("Идёт загрузка подождите..."));
    input_->setReadOnly(true);
    sayButton_->setEnabled(false);
    long learned = 0;
    if (!steps_.run([&] { learned = engine_.learnedPhraseCount(); }, &startupLoadFailure_)) {
        return;
    }
    startupLoadFailure_.succeeded();
    setStatusText(1, QStringLiteral("Загружено фраз выученных программой: %1").arg(learned));
    input_->setReadOnly(false);
    sayButton_->setEnabled(true);
    setStatusText(0, QStringLiteral("Загрузка окончена"));
    startupLoadTimer_->stop();
    stateRefresher_
        .poke(); // the refresher sets the Say button by the input, as its next tick would
}

void MainWindow::closingTick() {
    ++closingTicks_;
    if (closingTicks_ >= kClosingTicks) {
        // Stopped first: a failed exit is reported once, not retried every tick.
        closingTimer_->stop();
        exitProgram();
        return;
    }
    shrinkForClosing();
    if (closingTicks_ >= kCloseCueFromTick) {
        sound_.play(Cue::Close);
    }
}

void MainWindow::shrinkForClosing() {
    const QSize size(std::max(width() - 10, kSmallestWindow.width()),
                     std::max(height() - 8, kSmallestWindow.height()));
    // A window manager gives the window its new size a moment after it is
    // asked to, and what the window paints at its new size meanwhile leaves
    // the rows and columns it gives up as they were: under the status bar a
    // stale copy of it, one more each step. So those rows and columns are
    // first painted over in the window's colour, and only then given up.
    blankStrip(0, QRect(size.width(), 0, width() - size.width(), height()));
    blankStrip(1, QRect(0, size.height(), width(), height() - size.height()));
    repaint();
    move(x() - 3, y() - 2);
    setFixedSize(size);
    repaint(); // at once, so that each step of the drift is drawn whole
}

void MainWindow::blankStrip(std::size_t which, const QRect& strip) {
    QWidget*& blank = closingStrips_.at(which);
    if (blank == nullptr) {
        blank = new QWidget(this);
        blank->setAutoFillBackground(true);
    }
    blank->setPalette(palette());
    blank->setGeometry(strip);
    blank->raise();
    blank->show();
}

void MainWindow::guardTick() {
    const QString text = input_->text();
    if (text.isEmpty()) {
        return;
    }
    if (++scanPosition_ > text.size()) {
        scanPosition_ = 1;
    }
    if (isReserved(text.at(scanPosition_ - 1))) {
        pane_->setEnabled(false);
        input_->clear();
        return;
    }
    if (scanPosition_ == text.size()) {
        scanPosition_ = 0;
    }
}

void MainWindow::scanWholeInput() {
    // As many guard ticks as the text has characters examine each of them once,
    // wherever the scan position stood.
    for (qsizetype ticks = input_->text().size(); ticks > 0 && !input_->text().isEmpty(); --ticks) {
        guardTick();
    }
}

void MainWindow::selfTalkTick() {
    // A failing step (say the exchange file is missing) is reported once;
    // the timer runs on and the next tick tries again.
    lockQueue_->run({LockQueue::Step::Kind::SelfTalk,
                     {},
                     [this] {
                         engine_.readExchangeFile();
                         setSelfTalkPeriod(editor_->interval());
                         engine_.selfTalkExchange();
                     },
                     [this](bool done) {
                         if (done) {
                             selfTalkFailure_.succeeded();
                         }
                     },
                     &selfTalkFailure_});
}

void MainWindow::setSelfTalkPeriod(int milliseconds) {
    // Setting the interval of a running QTimer restarts its period even when
    // the value is the same: only a new value may do that.
    if (selfTalkTimer_->interval() != milliseconds) {
        selfTalkTimer_->setInterval(milliseconds);
    }
}

void MainWindow::shake() {
    Random& random = engine_.random();
    random.reseed(engine_.clock());
    sound_.play(Cue::Shake);
    input_->setReadOnly(true);
    menu_.setTopMenusEnabled(false);
    for (const QPoint& position : drawShakePositions(random)) {
        move(x(), position.y());
        move(position);
    }
    centreOnDesktop(*this);
    input_->setReadOnly(false);
    menu_.setTopMenusEnabled(true);
    shakeTimer_->stop();
}

} // namespace besedka
