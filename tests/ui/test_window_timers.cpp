// The timers of the main window, driven through their handlers and the fake
// clock, and the reports of the failures they would repeat.
#include "dialogue_log.h"
#include "dialogue_pane.h"
#include "input_field.h"
#include "kb_paths.h"
#include "random.h"
#include "text.h"
#include "window_fixture.h"
#include "window_shake.h"

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

using testing::typeText;
using testing::WindowFixture;

namespace {

// Ticks the idle timer by hand, a second of the fake clock apart, until a
// remark comes; returns the ticks taken.
int ticksUntilRemark(TForm1& form, int limit = 200) {
    const std::size_t before = form.engine().dialogue().paneCount();
    for (int tick = 1; tick <= limit; ++tick) {
        for (int ms = 0; ms < 1000; ++ms) {
            form.engine().clock().millisecondsSinceMidnight();
        }
        form.Timer2Timer();
        if (form.engine().dialogue().paneCount() != before) {
            return tick;
        }
    }
    return -1;
}

void sayNow(TForm1& form, const QString& phrase) {
    form.Edit1->setText(phrase);
    form.SpeedButton1Click();
}

QPoint centredPosition(const TForm1& form) {
    const QRect desktop = form.screen()->geometry();
    return {desktop.x() + (desktop.width() - form.frameGeometry().width()) / 2,
            desktop.y() + (desktop.height() - form.frameGeometry().height()) / 2};
}

} // namespace

class WindowTimersTest : public QObject {
    Q_OBJECT

  private slots:
    void idleRemarkComesBetweenThe60thAndThe90thTick() {
        WindowFixture fixture;
        TForm1& form = fixture.start();
        form.Timer2->stop();
        const auto remarks = fixture.fileLines(paths::kPause);
        for (int remark = 0; remark < 25; ++remark) {
            const int ticks = ticksUntilRemark(form);
            QVERIFY2(ticks >= 60 && ticks <= 90, qPrintable(QString::number(ticks)));
            const std::string& line = form.engine().dialogue().pane().back().text;
            QVERIFY(std::find(remarks.begin(), remarks.end(), line) != remarks.end());
            QCOMPARE(form.engine().state().ReplyText, line);
            QCOMPARE(form.engine().state().IdleTicks, 0);
        }
        QVERIFY(form.engine().dialogue().transcript().empty());
        QVERIFY(form.engine().state().LastReplyText.empty());
        QCOMPARE(fixture.sound.count(Cue::Reply), 25);
        QCOMPARE(form.RichEdit1->lineCount(), 25);
        QCOMPARE(form.RichEdit1->lineFormat(24).foreground().color(),
                 QColor(Qt::black)); // the background colour dialog's colour
    }

    void exchangeRestartsTheIdleCountButNewDialogueDoesNot() {
        WindowFixture fixture;
        TForm1& form = fixture.start();
        form.Timer2->stop();
        for (int tick = 0; tick < 50; ++tick) {
            form.Timer2Timer();
        }
        form.N2Click();
        QCOMPARE(form.engine().state().IdleTicks, 50);
        const int more = ticksUntilRemark(form);
        QVERIFY2(50 + more >= 60 && 50 + more <= 90, qPrintable(QString::number(more)));

        for (int tick = 0; tick < 50; ++tick) {
            form.Timer2Timer();
        }
        sayNow(form, QStringLiteral("привет"));
        QCOMPARE(form.engine().state().IdleTicks, 0);
        QVERIFY(ticksUntilRemark(form) >= 60);
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
        TForm1& form = fixture.start();
        form.move(10, 10);
        form.N2Click();
        QVERIFY(form.Timer7->isActive());
        QTRY_VERIFY(!form.Timer7->isActive());
        QTRY_COMPARE(form.pos(), centredPosition(form));
        QVERIFY(!form.Edit1->isReadOnly());
        for (QMenu* menu : {form.N1, form.N5, form.N11}) {
            QVERIFY(menu->menuAction()->isEnabled());
        }
        QCOMPARE(fixture.sound.count(Cue::Shake), 2);
    }

    void farewellClosesTheWindowAfterTheAnimationWithOneLogBlock() {
        WindowFixture fixture;
        TForm1& form = fixture.start();
        QSignalSpy closed(&form, &TForm1::closed);
        typeText(form.Edit1, QStringLiteral("пока"));
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QVERIFY(form.Timer4->isActive());
        QVERIFY(closed.wait(5000));
        QCOMPARE(form.closingTicks(), 80);
        QVERIFY(!form.Timer4->isActive());
        QCOMPARE(fixture.sound.count(Cue::Close), 70);

        const auto log = fixture.fileLines(paths::kLog);
        const long learned = static_cast<long>(fixture.fileLines(paths::kWords).size()) - 1;
        std::vector<std::string> expected =
            logBlockHeader(fixture.clock.localNow(), learned); // the date is a fixed day
        expected.push_back(form.engine().dialogue().transcript()[0]);
        expected.push_back(form.engine().dialogue().transcript()[1]);
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
        TForm1& form = fixture.start();
        sayNow(form, QStringLiteral("ПОКА!"));
        QVERIFY(form.Timer4->isActive());
        form.Timer4->stop();
        QSignalSpy closed(&form, &TForm1::closed);
        const QPoint start = form.pos();
        const QSize size = form.size();

        for (int tick = 1; tick <= 9; ++tick) {
            form.Timer4Timer();
        }
        QCOMPARE(fixture.sound.count(Cue::Close), 0);
        QTRY_COMPARE(form.pos(), start - QPoint(27, 18));
        QCOMPARE(form.size(), size - QSize(90, 72));
        form.Timer4Timer();
        QCOMPARE(fixture.sound.count(Cue::Close), 1);
        for (int tick = 11; tick <= 79; ++tick) {
            form.Timer4Timer();
        }
        QCOMPARE(fixture.sound.count(Cue::Close), 70);
        QVERIFY(form.width() >= 100 && form.height() >= 20);
        QCOMPARE(closed.count(), 0);
        QVERIFY(fixture.fileLines(paths::kLog).empty());

        form.Timer4Timer();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(fixture.fileLines(paths::kLog).back(), std::string(53, '='));
    }

    void failedStartupLoadIsReportedOnceAndRetried() {
        WindowFixture fixture;
        fixture.workdir.remove("Base/Words.Dat");
        TForm1& form = fixture.create();
        QCOMPARE(fixture.dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Words.dat")});
        form.showCentred();
        QTest::qWait(800); // several retries
        QCOMPARE(fixture.dialogs.errors.size(), 2);
        QCOMPARE(fixture.dialogs.errors.last(), QStringLiteral("Cannot open file Base\\Words.Dat"));
        QVERIFY(form.Timer3->isActive());
        QVERIFY(form.Edit1->isReadOnly());
        QCOMPARE(form.statusText(0), QStringLiteral("Идёт загрузка подождите..."));

        fixture.workdir.restore("Base/Words.Dat");
        QTRY_VERIFY(!form.Timer3->isActive());
        QCOMPARE(form.statusText(0), QStringLiteral("Загрузка окончена"));
        QVERIFY(!form.Edit1->isReadOnly());
        QVERIFY(!form.SpeedButton1->isEnabled()); // the field is empty
        QCOMPARE(fixture.dialogs.errors.size(), 2);
    }

    void failedIdleRemarkIsReportedOnceUntilOneSucceeds() {
        WindowFixture fixture;
        TForm1& form = fixture.start();
        form.Timer2->stop();
        fixture.workdir.remove("Base/Pause.Dat");
        QCOMPARE(ticksUntilRemark(form, 200), -1);
        QCOMPARE(fixture.dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Pause.Dat")});
        QVERIFY(form.engine().state().IdleTicks >= 90); // not reset: tried again each tick

        fixture.workdir.restore("Base/Pause.Dat");
        QCOMPARE(ticksUntilRemark(form, 1), 1);
        fixture.workdir.remove("Base/Pause.Dat");
        QCOMPARE(ticksUntilRemark(form, 200), -1);
        QCOMPARE(fixture.dialogs.errors.size(), 2);
    }

    void failedExitAfterFarewellIsReportedOnceAndNotRetried() {
        WindowFixture fixture;
        TForm1& form = fixture.start();
        fixture.workdir.remove("Base/Log.Halden");
        QSignalSpy closed(&form, &TForm1::closed);
        sayNow(form, QStringLiteral("пока"));
        QTRY_VERIFY(!form.Timer4->isActive());
        QTest::qWait(50);
        QCOMPARE(fixture.dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file Base\\Log.Halden")});
        QCOMPARE(closed.count(), 0);
        QVERIFY(form.isVisible());

        // The menu command reports each time it is chosen.
        form.N4->trigger();
        QCOMPARE(fixture.dialogs.errors.size(), 2);
        fixture.workdir.restore("Base/Log.Halden");
        form.N4->trigger();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(fixture.dialogs.errors.size(), 2);
    }

    void failedExchangeKeepsTheInput() {
        WindowFixture fixture;
        TForm1& form = fixture.start();
        fixture.workdir.remove("Base/Words.Dat");
        typeText(form.Edit1, QStringLiteral("совсем новая фраза"));
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QCOMPARE(fixture.dialogs.errors.size(), 1);
        QCOMPARE(form.Edit1->text(), QStringLiteral("совсем новая фраза"));
        QCOMPARE(form.RichEdit1->lineCount(), 0);
    }
};

} // namespace besedka

QTEST_MAIN(besedka::WindowTimersTest)
#include "test_window_timers.moc"
