// The two dialogue modes and self-talk through the exchange file, with the
// editor dialog's path and interval in force.
#include "Unit2.h"
#include "cp1251.h"
#include "dialogue_pane.h"
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

QString paneText(TForm1& form, int line) {
    return form.RichEdit1->lineText(line);
}

} // namespace

class SelfTalkTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        form_ = &fixture_->start();
        exchangeFile_ = fixture_->workdir.path("D/Txt.Dat");
    }

    void cleanup() {
        fixture_.reset();
        form_ = nullptr;
    }

    void modeCommandsAddTheirLinesEveryTime() {
        TForm1& form = *form_;
        form.Cpu31->trigger();
        QCOMPARE(form.RichEdit1->lineCount(), 1);
        QCOMPARE(paneText(form, 0), kCpuCpuLine);
        QCOMPARE(form.RichEdit1->lineFormat(0).foreground().color(), QColor(0, 128, 128));
        QCOMPARE(form.statusText(2), QStringLiteral("Режим Cpu\\Cpu"));
        QVERIFY(form.Cpu31->isChecked() && !form.CpuUser1->isChecked());
        QTRY_VERIFY(form.Timer6->isActive());
        QCOMPARE(form.Timer6->interval(), 3000);

        form.Cpu31->trigger(); // the mode that is on: its line again
        QCOMPARE(form.RichEdit1->lineCount(), 2);
        QVERIFY(form.Cpu31->isChecked() && !form.CpuUser1->isChecked());

        form.CpuUser1->trigger();
        QCOMPARE(form.RichEdit1->lineCount(), 4);
        QCOMPARE(paneText(form, 2), kCpuUserLine);
        QCOMPARE(paneText(form, 3), QString());
        QCOMPARE(form.statusText(2), QStringLiteral("Режим Cpu\\User"));
        QVERIFY(form.CpuUser1->isChecked() && !form.Cpu31->isChecked());
        QTRY_VERIFY(!form.Timer6->isActive());
        QVERIFY(form.engine().dialogue().transcript().empty()); // pane only
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    // With the default path each reply is read back as the next phrase, and
    // the file holds only the last reply.
    void selfTalkOverThreeTicksWithTheDefaultPath() {
        TForm1& form = *form_;
        form.Cpu31Click();
        for (int tick = 0; tick < 3; ++tick) {
            const std::string before = readBytes(exchangeFile_);
            form.Timer6Timer();
            const auto& transcript = form.engine().dialogue().transcript();
            QCOMPARE(transcript.size(), std::size_t(3 * (tick + 1)));
            // The phrase is the file's whole text: its final line break puts
            // the appended "." on a line of its own.
            QCOMPARE(toQString(transcript[3 * tick]),
                     "USER:     " + toQString(before.substr(0, 1)).toUpper() +
                         toQString(before.substr(1, before.size() - 3)));
            QCOMPARE(transcript[3 * tick + 1], std::string("."));
            const std::string reply = form.engine().state().LastReplyText;
            QVERIFY(!reply.empty());
            QCOMPARE(toQString(transcript[3 * tick + 2]), "CPU:     " + toQString(reply));
            QCOMPARE(readBytes(exchangeFile_), reply + "\r\n");
        }
        QVERIFY(form.RichEdit1->lineCount() >= 10); // the mode line and three exchanges
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void anotherPathLeavesTheFixedFileAlone() {
        TForm1& form = *form_;
        const std::string original = readBytes(exchangeFile_);
        form.Form2->Edit1->setText(QStringLiteral("D:\\Ответ.Dat"));
        QCOMPARE(form.engine().exchangeWritePath(), std::string("D:\\\xCE\xF2\xE2\xE5\xF2.Dat"));
        form.Cpu31Click();
        form.Timer6Timer();
        form.Timer6Timer();
        QCOMPARE(readBytes(exchangeFile_), original);
        const std::string reply = form.engine().state().LastReplyText;
        QCOMPARE(readBytes(fixture_->workdir.path("D/Ответ.Dat")), reply + "\r\n");
        // Both phrases came from the fixed file.
        const auto& transcript = form.engine().dialogue().transcript();
        QCOMPARE(transcript.size(), std::size_t(6));
        QCOMPARE(transcript[0], transcript[3]);
    }

    // The period follows the interval field at every tick; only a new value
    // restarts it.
    void intervalChangeTakesEffectFromTheNextTick() {
        TForm1& form = *form_;
        form.Cpu31Click();
        QTRY_VERIFY(form.Timer6->isActive());
        QCOMPARE(form.Timer6->interval(), 3000);

        form.Form2->SpinEdit1->setValue(250);
        QCOMPARE(form.Timer6->interval(), 3000); // not before the next tick
        form.Timer6Timer();
        QCOMPARE(form.Timer6->interval(), 250);

        // The same value again: the running period goes on.
        form.Form2->SpinEdit1->setValue(800);
        form.Timer6Timer();
        QTest::qWait(300);
        form.Timer6Timer();
        QVERIFY2(form.Timer6->remainingTime() < 600, "an equal interval restarted the period");
        // A new value starts the period afresh.
        form.Form2->SpinEdit1->setValue(5000);
        form.Timer6Timer();
        QVERIFY(form.Timer6->remainingTime() > 4000);

        form.Form2->SpinEdit1->setText(QStringLiteral("-"));
        form.Timer6Timer();
        QCOMPARE(form.Timer6->interval(), 1); // not a number
    }

    void missingExchangeFileIsReportedOnceAndTriedAgain() {
        TForm1& form = *form_;
        fixture_->workdir.remove("D/Txt.Dat");
        form.Cpu31Click();
        form.Form2->SpinEdit1->setValue(250);
        for (int tick = 0; tick < 3; ++tick) {
            form.Timer6Timer();
        }
        QCOMPARE(fixture_->dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file D:\\Txt.Dat")});
        QCOMPARE(form.Timer6->interval(), 3000); // the period is left as it was
        QCOMPARE(form.RichEdit1->lineCount(), 1);
        QTRY_VERIFY(form.Timer6->isActive());

        fixture_->workdir.restore("D/Txt.Dat");
        form.Timer6Timer();
        QCOMPARE(form.engine().dialogue().transcript().size(), std::size_t(3));
        QCOMPARE(form.Timer6->interval(), 250);

        // A new failure after a success is reported again.
        fixture_->workdir.remove("D/Txt.Dat");
        form.Timer6Timer();
        form.Timer6Timer();
        QCOMPARE(fixture_->dialogs.errors.size(), 2);
    }

    // A reply that cannot be written still leaves the new period set.
    void unwritablePathStopsTheExchangeAfterThePeriod() {
        TForm1& form = *form_;
        form.Form2->Edit1->setText(QStringLiteral("D:\\NoSuchDir\\Out.Dat"));
        form.Form2->SpinEdit1->setValue(500);
        form.Cpu31Click();
        form.Timer6Timer();
        QCOMPARE(fixture_->dialogs.errors.size(), 1);
        QVERIFY(fixture_->dialogs.errors.first().startsWith(QStringLiteral("Cannot create file")));
        QCOMPARE(form.Timer6->interval(), 500);
        form.Timer6Timer();
        QCOMPARE(fixture_->dialogs.errors.size(), 1);
    }

  private:
    std::unique_ptr<WindowFixture> fixture_;
    TForm1* form_ = nullptr;
    std::filesystem::path exchangeFile_;
};

} // namespace besedka

QTEST_MAIN(besedka::SelfTalkTest)
#include "test_self_talk.moc"
