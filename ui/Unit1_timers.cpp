// The timers: state refresher, idle remark, start-up load, closing animation,
// reserved-character guard, self-talk and window shake.
#include "Unit1.h"

#include "Unit2.h"
#include "clock.h"
#include "dialogue_pane.h"
#include "input_field.h"
#include "sound_player.h"
#include "window_shake.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace besedka {
namespace {

constexpr int kEveryTick = 1;
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

void TForm1::createTimers() {
    Timer2 = makeTimer(this, "Timer2", kIdleInterval, true);
    Timer3 = makeTimer(this, "Timer3", kEveryTick, true);
    Timer4 = makeTimer(this, "Timer4", kEveryTick, false);
    Timer6 = makeTimer(this, "Timer6", kSelfTalkInterval, false);
    Timer7 = makeTimer(this, "Timer7", kEveryTick, true);
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    connect(Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
    connect(Timer4, &QTimer::timeout, this, [this] { Timer4Timer(); });
    connect(Timer6, &QTimer::timeout, this, [this] { Timer6Timer(); });
    connect(Timer7, &QTimer::timeout, this, [this] { Timer7Timer(); });
}

void TForm1::startIfStopped(QTimer* timer) {
    if (!timer->isActive()) {
        timer->start();
    }
}

void TForm1::Timer1Timer() {
    const bool hasText = !Edit1->text().isEmpty();
    SpeedButton1->setEnabled(hasText);
    SpeedButton3->setEnabled(hasText);
    N3->setEnabled(hasText);
    const bool hasLines = engine_.dialogue().paneCount() > 0;
    SpeedButton2->setEnabled(hasLines);
    N15->setEnabled(hasLines);
    if (Cpu31->isChecked()) {
        startIfStopped(Timer6);
    } else {
        Timer6->stop();
    }
    // Only the focus within this window: neither raised nor activated.
    if (focusWidget() != Edit1) {
        Edit1->setFocus();
    }
}

void TForm1::Timer2Timer() {
    bool remarked = false;
    if (runStep([&] { remarked = engine_.idleTick(); }, &idleRemarkFailure_) && remarked) {
        idleRemarkFailure_.succeeded();
    }
}

void TForm1::Timer3Timer() {
    Timer3->setInterval(kStartupRetryInterval);
    setStatusText(0, QStringLiteral("Идёт загрузка подождите..."));
    Edit1->setReadOnly(true);
    SpeedButton1->setEnabled(false);
    long learned = 0;
    if (!runStep([&] { learned = engine_.learnedPhraseCount(); }, &startupLoadFailure_)) {
        return;
    }
    startupLoadFailure_.succeeded();
    setStatusText(1, QStringLiteral("Загружено фраз выученных программой: %1").arg(learned));
    Edit1->setReadOnly(false);
    SpeedButton1->setEnabled(true);
    setStatusText(0, QStringLiteral("Загрузка окончена"));
    Timer3->stop();
    Timer1.poke(); // the refresher sets the Say button by the input, as its next tick would
}

void TForm1::Timer4Timer() {
    ++closingTicks_;
    if (closingTicks_ >= kClosingTicks) {
        // Stopped first: a failed exit is reported once, not retried every tick.
        Timer4->stop();
        N4Click();
        return;
    }
    shrinkForClosing();
    if (closingTicks_ >= kCloseCueFromTick) {
        sound_.play(Cue::Close);
    }
}

void TForm1::shrinkForClosing() {
    const QSize size(std::max(width() - 10, kSmallestWindow.width()),
                     std::max(height() - 8, kSmallestWindow.height()));
    move(x() - 3, y() - 2);
    setFixedSize(size);
}

void TForm1::Timer5Timer() {
    const QString text = Edit1->text();
    if (text.isEmpty()) {
        return;
    }
    if (++scanPosition_ > text.size()) {
        scanPosition_ = 1;
    }
    if (isReserved(text.at(scanPosition_ - 1))) {
        RichEdit1->setEnabled(false);
        Edit1->clear();
        return;
    }
    if (scanPosition_ == text.size()) {
        scanPosition_ = 0;
    }
}

void TForm1::scanWholeInput() {
    // As many guard ticks as the text has characters examine each of them once,
    // wherever the scan position stood.
    for (qsizetype ticks = Edit1->text().size(); ticks > 0 && !Edit1->text().isEmpty(); --ticks) {
        Timer5Timer();
    }
}

void TForm1::Timer6Timer() {
    // A failing step (say the exchange file is missing) is reported once;
    // the timer runs on and the next tick tries again.
    const bool done = runStep(
        [this] {
            engine_.readExchangeFile();
            setSelfTalkPeriod(Form2->interval());
            engine_.selfTalkExchange();
        },
        &selfTalkFailure_);
    if (done) {
        selfTalkFailure_.succeeded();
    }
}

void TForm1::setSelfTalkPeriod(int milliseconds) {
    // Setting the interval of a running QTimer restarts its period even when
    // the value is the same: only a new value may do that.
    if (Timer6->interval() != milliseconds) {
        Timer6->setInterval(milliseconds);
    }
}

void TForm1::Timer7Timer() {
    Random& random = engine_.random();
    random.reseed(engine_.clock());
    sound_.play(Cue::Shake);
    Edit1->setReadOnly(true);
    setTopMenusEnabled(false);
    for (const QPoint& position : drawShakePositions(random)) {
        move(x(), position.y());
        move(position);
    }
    centreOnDesktop();
    Edit1->setReadOnly(false);
    setTopMenusEnabled(true);
    Timer7->stop();
}

} // namespace besedka
