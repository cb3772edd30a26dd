// The two dialogue modes and self-talk through the exchange file, with the
// editor dialog's path and interval in force.
#include "cp1251.h"
#include "dialogue_pane.h"
#include "editor_dialog.h"
#include "spin_edit.h"
#include "text.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <iterator>

namespace besedka {

using testing::WindowFixture;

namespace {

const QString kCpuCpuLine = QStringLiteral("Сервис:   // Режим диалога Cpu\\Cpu.");
const QString kCpuUserLine = QStringLiteral("Сервис:   // Режим диалога Cpu\\User.");

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QString paneText(MainWindow& window, int line) {
    return window.pane_->lineText(line);
}

} // namespace

class SelfTalkTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        window_ = &fixture_->start();
        exchangeFile_ = fixture_->workdir.path("D/Txt.Dat");
    }

    void cleanup() {
        fixture_.reset();
        window_ = nullptr;
    }

    void modeCommandsAddTheirLinesEveryTime() {
        MainWindow& window = *window_;
        window.cpuCpuItem_->trigger();
        QCOMPARE(window.pane_->lineCount(), 1);
        QCOMPARE(paneText(window, 0), kCpuCpuLine);
        QCOMPARE(window.pane_->lineFormat(0).foreground().color(), QColor(0, 128, 128));
        QCOMPARE(window.statusText(2), QStringLiteral("Режим Cpu\\Cpu"));
        QVERIFY(window.cpuCpuItem_->isChecked() && !window.cpuUserItem_->isChecked());
        QTRY_VERIFY(window.selfTalkTimer_->isActive());
        QCOMPARE(window.selfTalkTimer_->interval(), 3000);

        window.cpuCpuItem_->trigger(); // the mode that is on: its line again
        QCOMPARE(window.pane_->lineCount(), 2);
        QVERIFY(window.cpuCpuItem_->isChecked() && !window.cpuUserItem_->isChecked());

        window.cpuUserItem_->trigger();
        QCOMPARE(window.pane_->lineCount(), 4);
        QCOMPARE(paneText(window, 2), kCpuUserLine);
        QCOMPARE(paneText(window, 3), QString());
        QCOMPARE(window.statusText(2), QStringLiteral("Режим Cpu\\User"));
        QVERIFY(window.cpuUserItem_->isChecked() && !window.cpuCpuItem_->isChecked());
        QTRY_VERIFY(!window.selfTalkTimer_->isActive());
        QVERIFY(window.engine().dialogue().transcript().empty()); // pane only
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    // With the default path each reply is read back as the next phrase, and
    // the file holds only the last reply.
    void selfTalkOverThreeTicksWithTheDefaultPath() {
        MainWindow& window = *window_;
        window.switchToCpuCpu();
        for (int tick = 0; tick < 3; ++tick) {
            const std::string before = readBytes(exchangeFile_);
            window.selfTalkTick();
            const auto& transcript = window.engine().dialogue().transcript();
            QCOMPARE(transcript.size(), std::size_t(3 * (tick + 1)));
            // The phrase is the file's whole text: its final line break puts
            // the appended "." on a line of its own.
            QCOMPARE(toQString(transcript[3 * tick]),
                     "USER:     " + toQString(before.substr(0, 1)).toUpper() +
                         toQString(before.substr(1, before.size() - 3)));
            QCOMPARE(transcript[3 * tick + 1], std::string("."));
            const std::string reply = window.engine().state().lastReplyText;
            QVERIFY(!reply.empty());
            QCOMPARE(toQString(transcript[3 * tick + 2]), "CPU:     " + toQString(reply));
            QCOMPARE(readBytes(exchangeFile_), reply + "\r\n");
        }
        QVERIFY(window.pane_->lineCount() >= 10); // the mode line and three exchanges
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void anotherPathLeavesTheFixedFileAlone() {
        MainWindow& window = *window_;
        const std::string original = readBytes(exchangeFile_);
        window.editor_->pathField_->setText(QStringLiteral("D:\\Ответ.Dat"));
        QCOMPARE(window.engine().exchangeWritePath(), std::string("D:\\\xCE\xF2\xE2\xE5\xF2.Dat"));
        window.switchToCpuCpu();
        window.selfTalkTick();
        window.selfTalkTick();
        QCOMPARE(readBytes(exchangeFile_), original);
        const std::string reply = window.engine().state().lastReplyText;
        QCOMPARE(readBytes(fixture_->workdir.path("D/Ответ.Dat")), reply + "\r\n");
        // Both phrases came from the fixed file.
        const auto& transcript = window.engine().dialogue().transcript();
        QCOMPARE(transcript.size(), std::size_t(6));
        QCOMPARE(transcript[0], transcript[3]);
    }

    // The period follows the interval field at every tick; only a new value
    // restarts it.
    void intervalChangeTakesEffectFromTheNextTick() {
        MainWindow& window = *window_;
        window.switchToCpuCpu();
        QTRY_VERIFY(window.selfTalkTimer_->isActive());
        QCOMPARE(window.selfTalkTimer_->interval(), 3000);

        window.editor_->intervalField_->setValue(250);
        QCOMPARE(window.selfTalkTimer_->interval(), 3000); // not before the next tick
        window.selfTalkTick();
        QCOMPARE(window.selfTalkTimer_->interval(), 250);

        // The same value again: the running period goes on.
        window.editor_->intervalField_->setValue(800);
        window.selfTalkTick();
        QTest::qWait(300);
        window.selfTalkTick();
        QVERIFY2(window.selfTalkTimer_->remainingTime() < 600,
                 "an equal interval restarted the period");
        // A new value starts the period afresh.
        window.editor_->intervalField_->setValue(5000);
        window.selfTalkTick();
        QVERIFY(window.selfTalkTimer_->remainingTime() > 4000);

        window.editor_->intervalField_->setText(QStringLiteral("-"));
        window.selfTalkTick();
        QCOMPARE(window.selfTalkTimer_->interval(), 1); // not a number
    }

    void missingExchangeFileIsReportedOnceAndTriedAgain() {
        MainWindow& window = *window_;
        fixture_->workdir.remove("D/Txt.Dat");
        window.switchToCpuCpu();
        window.editor_->intervalField_->setValue(250);
        for (int tick = 0; tick < 3; ++tick) {
            window.selfTalkTick();
        }
        QCOMPARE(fixture_->dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file D:\\Txt.Dat")});
        QCOMPARE(window.selfTalkTimer_->interval(), 3000); // the period is left as it was
        QCOMPARE(window.pane_->lineCount(), 1);
        QTRY_VERIFY(window.selfTalkTimer_->isActive());

        fixture_->workdir.restore("D/Txt.Dat");
        window.selfTalkTick();
        QCOMPARE(window.engine().dialogue().transcript().size(), std::size_t(3));
        QCOMPARE(window.selfTalkTimer_->interval(), 250);

        // A new failure after a success is reported again.
        fixture_->workdir.remove("D/Txt.Dat");
        window.selfTalkTick();
        window.selfTalkTick();
        QCOMPARE(fixture_->dialogs.errors.size(), 2);
    }

    // A reply that cannot be written still leaves the new period set.
    void unwritablePathStopsTheExchangeAfterThePeriod() {
        MainWindow& window = *window_;
        window.editor_->pathField_->setText(QStringLiteral("D:\\NoSuchDir\\Out.Dat"));
        window.editor_->intervalField_->setValue(500);
        window.switchToCpuCpu();
        window.selfTalkTick();
        QCOMPARE(fixture_->dialogs.errors.size(), 1);
        QVERIFY(fixture_->dialogs.errors.first().startsWith(QStringLiteral("Cannot create file")));
        QCOMPARE(window.selfTalkTimer_->interval(), 500);
        window.selfTalkTick();
        QCOMPARE(fixture_->dialogs.errors.size(), 1);
    }

  private:
    std::unique_ptr<WindowFixture> fixture_;
    MainWindow* window_ = nullptr;
    std::filesystem::path exchangeFile_;
};

} // namespace besedka

QTEST_MAIN(besedka::SelfTalkTest)
#include "test_self_talk.moc"
