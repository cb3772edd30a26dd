// The two dialogue modes and self-talk through the exchange file, with the
// editor dialog's path and interval in force.
#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/spin_edit.h"
#include "common/qt_text.h"
#include "text/cp1251.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <iterator>

namespace besedka {

using testing::editorOf;
using testing::fire;
using testing::part;
using testing::WindowFixture;
using testing::WindowTest;

namespace {

const QString kCpuCpuLine = QStringLiteral("Сервис:   // Режим диалога Cpu\\Cpu.");
const QString kCpuUserLine = QStringLiteral("Сервис:   // Режим диалога Cpu\\User.");

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QString paneText(MainWindow& window, int line) {
    return part<DialoguePane>(window, "pane")->lineText(line);
}

} // namespace

class SelfTalkTest : public WindowTest {
    Q_OBJECT

  protected:
    void started() override { exchangeFile_ = fixture().workdir.path("D/Txt.Dat"); }

  private slots:
    void modeCommandsAddTheirLinesEveryTime() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "cpuCpuItem")->trigger();
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 1);
        QCOMPARE(paneText(window, 0), kCpuCpuLine);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineFormat(0).foreground().color(),
                 QColor(0, 128, 128));
        QCOMPARE(window.statusText(2), QStringLiteral("Режим Cpu\\Cpu"));
        QVERIFY(part<QAction>(window, "cpuCpuItem")->isChecked() &&
                !part<QAction>(window, "cpuUserItem")->isChecked());
        QTRY_VERIFY(part<QTimer>(window, "selfTalkTimer")->isActive());
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 3000);

        part<QAction>(window, "cpuCpuItem")->trigger(); // the mode that is on: its line again
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 2);
        QVERIFY(part<QAction>(window, "cpuCpuItem")->isChecked() &&
                !part<QAction>(window, "cpuUserItem")->isChecked());

        part<QAction>(window, "cpuUserItem")->trigger();
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 4);
        QCOMPARE(paneText(window, 2), kCpuUserLine);
        QCOMPARE(paneText(window, 3), QString());
        QCOMPARE(window.statusText(2), QStringLiteral("Режим Cpu\\User"));
        QVERIFY(part<QAction>(window, "cpuUserItem")->isChecked() &&
                !part<QAction>(window, "cpuCpuItem")->isChecked());
        QTRY_VERIFY(!part<QTimer>(window, "selfTalkTimer")->isActive());
        QVERIFY(window.engine().dialogue().transcript().empty()); // pane only
        QVERIFY(fixture().dialogs.errors.isEmpty());
    }

    // With the default path each reply is read back as the next phrase, and
    // the file holds only the last reply.
    void selfTalkOverThreeTicksWithTheDefaultPath() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "cpuCpuItem")->trigger();
        for (std::size_t tick = 0; tick < 3; ++tick) {
            const std::string before = readBytes(exchangeFile_);
            fire(part<QTimer>(window, "selfTalkTimer"));
            const auto& transcript = window.engine().dialogue().transcript();
            QCOMPARE(transcript.size(), std::size_t(3 * (tick + 1)));
            // The phrase is the file's whole text: its final line break puts
            // the appended "." on a line of its own.
            QCOMPARE(toQString(transcript[3 * tick]),
                     QStringLiteral("USER:     ") + toQString(before.substr(0, 1)).toUpper() +
                         toQString(before.substr(1, before.size() - 3)));
            QCOMPARE(transcript[3 * tick + 1], std::string("."));
            const std::string reply = window.engine().state().lastReplyText;
            QVERIFY(!reply.empty());
            QCOMPARE(toQString(transcript[3 * tick + 2]),
                     QStringLiteral("CPU:     ") + toQString(reply));
            QCOMPARE(readBytes(exchangeFile_), reply + "\r\n");
        }
        QVERIFY(part<DialoguePane>(window, "pane")->lineCount() >=
                10); // the mode line and three exchanges
        QVERIFY(fixture().dialogs.errors.isEmpty());
    }

    void anotherPathLeavesTheFixedFileAlone() {
        MainWindow& window = mainWindow();
        const std::string original = readBytes(exchangeFile_);
        part<QLineEdit>(editorOf(window), "pathField")->setText(QStringLiteral("D:\\Ответ.Dat"));
        QCOMPARE(window.engine().exchangeWritePath(), std::string("D:\\\xCE\xF2\xE2\xE5\xF2.Dat"));
        part<QAction>(window, "cpuCpuItem")->trigger();
        fire(part<QTimer>(window, "selfTalkTimer"));
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(readBytes(exchangeFile_), original);
        const std::string reply = window.engine().state().lastReplyText;
        QCOMPARE(readBytes(fixture().workdir.path("D/Ответ.Dat")), reply + "\r\n");
        // Both phrases came from the fixed file.
        const auto& transcript = window.engine().dialogue().transcript();
        QCOMPARE(transcript.size(), std::size_t(6));
        QCOMPARE(transcript[0], transcript[3]);
    }

    // The period follows the interval field at every tick; only a new value
    // restarts it.
    void intervalChangeTakesEffectFromTheNextTick() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "cpuCpuItem")->trigger();
        QTRY_VERIFY(part<QTimer>(window, "selfTalkTimer")->isActive());
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 3000);

        part<SpinEdit>(editorOf(window), "intervalField")->setValue(250);
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(),
                 3000); // not before the next tick
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 250);

        // The same value again: the running period goes on.
        part<SpinEdit>(editorOf(window), "intervalField")->setValue(800);
        fire(part<QTimer>(window, "selfTalkTimer"));
        QTest::qWait(300);
        fire(part<QTimer>(window, "selfTalkTimer"));
        QVERIFY2(part<QTimer>(window, "selfTalkTimer")->remainingTime() < 600,
                 "an equal interval restarted the period");
        // A new value starts the period afresh.
        part<SpinEdit>(editorOf(window), "intervalField")->setValue(5000);
        fire(part<QTimer>(window, "selfTalkTimer"));
        QVERIFY(part<QTimer>(window, "selfTalkTimer")->remainingTime() > 4000);

        part<SpinEdit>(editorOf(window), "intervalField")->setText(QStringLiteral("-"));
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 1); // not a number
    }

    void missingExchangeFileIsReportedOnceAndTriedAgain() {
        MainWindow& window = mainWindow();
        fixture().workdir.remove("D/Txt.Dat");
        part<QAction>(window, "cpuCpuItem")->trigger();
        part<SpinEdit>(editorOf(window), "intervalField")->setValue(250);
        for (int tick = 0; tick < 3; ++tick) {
            fire(part<QTimer>(window, "selfTalkTimer"));
        }
        QCOMPARE(
            fixture().dialogs.errors,
            QStringList{QStringLiteral("Cannot open file D:\\Txt.Dat: No such file or directory")});
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(),
                 3000); // the period is left as it was
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 1);
        QTRY_VERIFY(part<QTimer>(window, "selfTalkTimer")->isActive());

        fixture().workdir.restore("D/Txt.Dat");
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(window.engine().dialogue().transcript().size(), std::size_t(3));
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 250);

        // A new failure after a success is reported again.
        fixture().workdir.remove("D/Txt.Dat");
        fire(part<QTimer>(window, "selfTalkTimer"));
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(fixture().dialogs.errors.size(), 2);
    }

    // A reply that cannot be written still leaves the new period set.
    void unwritablePathStopsTheExchangeAfterThePeriod() {
        MainWindow& window = mainWindow();
        part<QLineEdit>(editorOf(window), "pathField")
            ->setText(QStringLiteral("D:\\NoSuchDir\\Out.Dat"));
        part<SpinEdit>(editorOf(window), "intervalField")->setValue(500);
        part<QAction>(window, "cpuCpuItem")->trigger();
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(fixture().dialogs.errors.size(), 1);
        QVERIFY(fixture().dialogs.errors.first().startsWith(QStringLiteral("Cannot create file")));
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 500);
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(fixture().dialogs.errors.size(), 1);
    }

  private:
    std::filesystem::path exchangeFile_;
};

} // namespace besedka

QTEST_MAIN(besedka::SelfTalkTest)
#include "test_self_talk.moc"
