// The timers of the main window, driven through their handlers and the fake
// clock, and the reports of the failures they would repeat.
#include "chat/dialogue_pane.h"
#include "chat/input_field.h"
#include "chat/window_shake.h"
#include "common/qt_text.h"
#include "files/kb_paths.h"
#include "talk/dialogue_log.h"
#include "talk/random.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <set>

namespace besedka {

using testing::fire;
using testing::part;
using testing::typeText;
using testing::WindowFixture;

namespace {

// Ticks the idle timer by hand, a second of the fake clock apart, until a
// remark comes; returns the ticks taken.
int ticksUntilRemark(MainWindow& window, int limit = 200) {
    const std::size_t before = window.engine().dialogue().paneCount();
    for (int tick = 1; tick <= limit; ++tick) {
        for (int ms = 0; ms < 1000; ++ms) {
            window.engine().clock().millisecondsSinceMidnight();
        }
        fire(part<QTimer>(window, "idleTimer"));
        if (window.engine().dialogue().paneCount() != before) {
            return tick;
        }
    }
    return -1;
}

void sayNow(MainWindow& window, const QString& phrase) {
    part<InputField>(window, "input")->setText(phrase);
    part<QToolButton>(window, "sayButton")->click();
}

QPoint centredPosition(const MainWindow& window) {
    const QRect desktop = window.screen()->geometry();
    return {desktop.x() + (desktop.width() - window.frameGeometry().width()) / 2,
            desktop.y() + (desktop.height() - window.frameGeometry().height()) / 2};
}

} // namespace

class WindowTimersTest : public QObject {
    Q_OBJECT

  private slots:
    void idleRemarkComesBetweenThe60thAndThe90thTick() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        part<QTimer>(window, "idleTimer")->stop();
        const auto remarks = fixture.fileLines(paths::kPause);
        for (int remark = 0; remark < 25; ++remark) {
            const int ticks = ticksUntilRemark(window);
            QVERIFY2(ticks >= 60 && ticks <= 90, qPrintable(QString::number(ticks)));
            const std::string& line = window.engine().dialogue().pane().back().text;
            QVERIFY(std::find(remarks.begin(), remarks.end(), line) != remarks.end());
            QCOMPARE(window.engine().state().replyText, line);
            QCOMPARE(window.engine().state().idleTicks, 0);
        }
        QVERIFY(window.engine().dialogue().transcript().empty());
        QVERIFY(window.engine().state().lastReplyText.empty());
        QCOMPARE(fixture.sound.count(Cue::Reply), 25);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 25);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineFormat(24).foreground().color(),
                 QColor(Qt::black)); // the background colour dialog's colour
    }

    void exchangeRestartsTheIdleCountButNewDialogueDoesNot() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        part<QTimer>(window, "idleTimer")->stop();
        for (int tick = 0; tick < 50; ++tick) {
            fire(part<QTimer>(window, "idleTimer"));
        }
        part<QAction>(window, "newDialogueItem")->trigger();
        QCOMPARE(window.engine().state().idleTicks, 50);
        const int more = ticksUntilRemark(window);
        QVERIFY2(50 + more >= 60 && 50 + more <= 90, qPrintable(QString::number(more)));

        for (int tick = 0; tick < 50; ++tick) {
            fire(part<QTimer>(window, "idleTimer"));
        }
        sayNow(window, QStringLiteral("привет"));
        QCOMPARE(window.engine().state().idleTicks, 0);
        QVERIFY(ticksUntilRemark(window) >= 60);
    }

    void shakeDrawsItsMovesWithinTheirRanges() {
        std::set<std::size_t> counts;
        for (std::uint32_t seed = 0; seed < 200; ++seed) {
            Random random(seed * 7919u);
            const auto positions = drawShakePositions(random);
            QVERIFY(positions.size() >= 125 && positions.size() <= 250);
            counts.insert(positions.size());
            for (const QPoint& p : positions) {
                QVERIFY(p.x() >= 95 && p.x() <= 105 && p.y() >= 95 && p.y() <= 105);
            }
        }
        QVERIFY(counts.size() > 20);
        QVERIFY(*counts.begin() < 140 && *counts.rbegin() > 235);
    }

    void shakeEndsCentredAndGivesTheControlsBack() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        window.move(10, 10);
        part<QAction>(window, "newDialogueItem")->trigger();
        QVERIFY(part<QTimer>(window, "shakeTimer")->isActive());
        QTRY_VERIFY(!part<QTimer>(window, "shakeTimer")->isActive());
        QTRY_COMPARE(window.pos(), centredPosition(window));
        QVERIFY(!part<InputField>(window, "input")->isReadOnly());
        for (QMenu* menu : {part<QMenu>(window, "systemMenu"), part<QMenu>(window, "settingsMenu"),
                            part<QMenu>(window, "helpMenu")}) {
            QVERIFY(menu->menuAction()->isEnabled());
        }
        QCOMPARE(fixture.sound.count(Cue::Shake), 2);
    }

    void farewellClosesTheWindowAfterTheAnimationWithOneLogBlock() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        QSignalSpy closed(&window, &MainWindow::closed);
        typeText(part<InputField>(window, "input"), QStringLiteral("пока"));
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QVERIFY(part<QTimer>(window, "closingTimer")->isActive());
        QVERIFY(closed.wait(5000));
        QCOMPARE(window.closingTicks(), 80);
        QVERIFY(!part<QTimer>(window, "closingTimer")->isActive());
        QCOMPARE(fixture.sound.count(Cue::Close), 70);

        const auto log = fixture.fileLines(paths::kLog);
        const long learned = static_cast<long>(fixture.fileLines(paths::kWords).size()) - 1;
        std::vector<std::string> expected =
            logBlockHeader(fixture.clock.localNow(), learned); // the date is a fixed day
        expected.push_back(window.engine().dialogue().transcript()[0]);
        expected.push_back(window.engine().dialogue().transcript()[1]);
        expected.push_back(std::string(53, '='));
        QCOMPARE(log.size(), expected.size());
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (i != 3) { // the time of day moves on with the fake clock
                QCOMPARE(toQString(log[i]), toQString(expected[i]));
            }
        }
        QCOMPARE(toQString(log[6]), QStringLiteral("USER:     Пока."));
    }

    void closingAnimationDriftsShrinksAndSoundsFromTheTenthTick() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        sayNow(window, QStringLiteral("ПОКА!"));
        QVERIFY(part<QTimer>(window, "closingTimer")->isActive());
        part<QTimer>(window, "closingTimer")->stop();
        QSignalSpy closed(&window, &MainWindow::closed);
        const QPoint start = window.pos();
        const QSize size = window.size();

        for (int tick = 1; tick <= 9; ++tick) {
            fire(part<QTimer>(window, "closingTimer"));
        }
        QCOMPARE(fixture.sound.count(Cue::Close), 0);
        QTRY_COMPARE(window.pos(), start - QPoint(27, 18));
        QCOMPARE(window.size(), size - QSize(90, 72));
        fire(part<QTimer>(window, "closingTimer"));
        QCOMPARE(fixture.sound.count(Cue::Close), 1);
        for (int tick = 11; tick <= 79; ++tick) {
            fire(part<QTimer>(window, "closingTimer"));
        }
        QCOMPARE(fixture.sound.count(Cue::Close), 70);
        QVERIFY(window.width() >= 100 && window.height() >= 20);
        QCOMPARE(closed.count(), 0);
        QVERIFY(fixture.fileLines(paths::kLog).empty());

        fire(part<QTimer>(window, "closingTimer"));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(fixture.fileLines(paths::kLog).back(), std::string(53, '='));
    }

    void failedStartupLoadIsReportedOnceAndRetried() {
        WindowFixture fixture;
        fixture.workdir.remove("Base/Words.Dat");
        MainWindow& window = fixture.create();
        QCOMPARE(fixture.dialogs.errors,
                 QStringList{QStringLiteral(
                     "Cannot open file Base\\Words.dat: No such file or directory")});
        window.showCentred();
        QTest::qWait(800); // several retries
        QCOMPARE(fixture.dialogs.errors.size(), 2);
        QCOMPARE(fixture.dialogs.errors.last(),
                 QStringLiteral("Cannot open file Base\\Words.Dat: No such file or directory"));
        QVERIFY(part<QTimer>(window, "startupLoadTimer")->isActive());
        QVERIFY(part<InputField>(window, "input")->isReadOnly());
        QCOMPARE(window.statusText(0), QStringLiteral("Идёт загрузка подождите..."));

        fixture.workdir.restore("Base/Words.Dat");
        QTRY_VERIFY(!part<QTimer>(window, "startupLoadTimer")->isActive());
        QCOMPARE(window.statusText(0), QStringLiteral("Загрузка окончена"));
        QVERIFY(!part<InputField>(window, "input")->isReadOnly());
        QVERIFY(!part<QToolButton>(window, "sayButton")->isEnabled()); // the field is empty
        QCOMPARE(fixture.dialogs.errors.size(), 2);
    }

    void failedIdleRemarkIsReportedOnceUntilOneSucceeds() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        part<QTimer>(window, "idleTimer")->stop();
        fixture.workdir.remove("Base/Pause.Dat");
        QCOMPARE(ticksUntilRemark(window, 200), -1);
        QCOMPARE(fixture.dialogs.errors,
                 QStringList{QStringLiteral(
                     "Cannot open file Base\\Pause.Dat: No such file or directory")});
        QVERIFY(window.engine().state().idleTicks >= 90); // not reset: tried again each tick

        fixture.workdir.restore("Base/Pause.Dat");
        QCOMPARE(ticksUntilRemark(window, 1), 1);
        fixture.workdir.remove("Base/Pause.Dat");
        QCOMPARE(ticksUntilRemark(window, 200), -1);
        QCOMPARE(fixture.dialogs.errors.size(), 2);
    }

    void failedExitAfterFarewellIsReportedOnceAndNotRetried() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        fixture.workdir.remove("Base/Log.Halden");
        QSignalSpy closed(&window, &MainWindow::closed);
        sayNow(window, QStringLiteral("пока"));
        QTRY_VERIFY(!part<QTimer>(window, "closingTimer")->isActive());
        QTest::qWait(50);
        QCOMPARE(fixture.dialogs.errors,
                 QStringList{QStringLiteral(
                     "Cannot open file Base\\Log.Halden: No such file or directory")});
        QCOMPARE(closed.count(), 0);
        QVERIFY(window.isVisible());

        // The menu command reports each time it is chosen.
        part<QAction>(window, "exitItem")->trigger();
        QCOMPARE(fixture.dialogs.errors.size(), 2);
        fixture.workdir.restore("Base/Log.Halden");
        part<QAction>(window, "exitItem")->trigger();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(fixture.dialogs.errors.size(), 2);
    }

    void failedExchangeKeepsTheInput() {
        WindowFixture fixture;
        MainWindow& window = fixture.start();
        fixture.workdir.remove("Base/Words.Dat");
        typeText(part<InputField>(window, "input"), QStringLiteral("совсем новая фраза"));
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QCOMPARE(fixture.dialogs.errors.size(), 1);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("совсем новая фраза"));
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 0);
    }
};

} // namespace besedka

QTEST_MAIN(besedka::WindowTimersTest)
#include "test_window_timers.moc"
