// The lock queue while another program holds the lock of Base: here a
// descriptor of the test's own, which flock treats as another holder.
#include "chat/lock_queue.h"
#include "files/file_store.h"
#include "window_fixture.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace besedka {

using testing::part;
using Kind = LockQueue::Step::Kind;

namespace {

constexpr std::chrono::milliseconds kPatience{500};

// A queue over a fresh Base whose lock the test holds until it lets go, and
// the status panel the queue tells the wait in.
struct QueueFixture {
    QueueFixture() {
        std::filesystem::create_directory(dir.path() / "Base");
        holder = ::open((dir.path() / "Base").c_str(), O_RDONLY | O_DIRECTORY);
        if (::flock(holder, LOCK_EX) != 0) {
            qFatal("cannot hold the lock of Base");
        }
    }
    ~QueueFixture() { letGo(); }
    QueueFixture(const QueueFixture&) = delete;
    QueueFixture& operator=(const QueueFixture&) = delete;

    void letGo() {
        if (holder >= 0) {
            ::close(holder);
            holder = -1;
        }
    }
    // One tick of the retry timer.
    void retry() { testing::fire(part<QTimer>(queue, "lockRetryTimer")); }

    // A step that notes its name in `ran` when it runs.
    LockQueue::Step step(Kind kind, const QString& name) {
        return {kind, name, [this, name] { ran.append(name); }, {}};
    }

    test::TempDir dir;
    FileStore files{PathMap(dir.path())};
    testing::FakeDialogs dialogs;
    QLabel panel{QStringLiteral("Загрузка окончена")};
    LockQueue queue{files, StepRunner(dialogs, nullptr), &panel, nullptr, kPatience};
    QStringList ran;
    int holder = -1;
};

} // namespace

class LockQueueTest : public QObject {
    Q_OBJECT

  private slots:
    void stepsRunInTheirOrderOnceTheLockIsFree() {
        QueueFixture fixture;
        fixture.queue.run(fixture.step(Kind::Phrase, QStringLiteral("раз")));
        fixture.queue.run(fixture.step(Kind::SelfTalk, QStringLiteral("self-talk")));
        fixture.queue.run(fixture.step(Kind::Phrase, QStringLiteral("два")));
        fixture.retry();
        QVERIFY(fixture.ran.isEmpty());
        fixture.letGo();
        fixture.retry();
        QCOMPARE(fixture.ran, (QStringList{QStringLiteral("раз"), QStringLiteral("self-talk"),
                                           QStringLiteral("два")}));
        QVERIFY(!fixture.queue.hasWaiting());
        QVERIFY(!part<QTimer>(fixture.queue, "lockRetryTimer")->isActive());
    }

    // The same phrase sent again, a second self-talk step or exit waits once.
    void aStepLikeTheLastWaitingIsDropped() {
        QueueFixture fixture;
        for (const auto& [kind, name] : {std::pair{Kind::Phrase, "раз"},
                                         {Kind::Phrase, "раз"},
                                         {Kind::SelfTalk, "self-talk"},
                                         {Kind::SelfTalk, "self-talk"},
                                         {Kind::Exit, "exit"},
                                         {Kind::Exit, "exit"},
                                         {Kind::Phrase, "два"}}) {
            fixture.queue.run(fixture.step(kind, QString::fromUtf8(name)));
        }
        fixture.letGo();
        fixture.retry();
        QCOMPARE(fixture.ran, (QStringList{QStringLiteral("раз"), QStringLiteral("self-talk"),
                                           QStringLiteral("exit"), QStringLiteral("два")}));
    }

    // As when the window closes: what waits is never written.
    void droppedStepsWriteNothing() {
        QueueFixture fixture;
        fixture.queue.run({Kind::Phrase,
                           QStringLiteral("раз"),
                           [&] { fixture.files.write("Base\\W2.Dat", "written"); },
                           {}});
        fixture.queue.dropWaiting();
        QVERIFY(!part<QTimer>(fixture.queue, "lockRetryTimer")->isActive());
        fixture.letGo();
        fixture.retry();
        QVERIFY(!fixture.queue.hasWaiting());
        QVERIFY(!std::filesystem::exists(fixture.files.paths().resolve("Base\\W2.Dat")));
    }

    // The wait is told only once it has lasted the patience, and the panel
    // shows its own text again when the steps go on.
    void aLongWaitIsToldInThePanel() {
        QueueFixture fixture;
        fixture.queue.run(fixture.step(Kind::Phrase, QStringLiteral("раз")));
        fixture.retry();
        QCOMPARE(fixture.panel.text(), QStringLiteral("Загрузка окончена"));
        std::this_thread::sleep_for(kPatience);
        fixture.retry();
        QCOMPARE(fixture.panel.text(), QStringLiteral("База занята другой программой, ждём..."));
        fixture.letGo();
        fixture.retry();
        QCOMPARE(fixture.ran, QStringList{QStringLiteral("раз")});
        QCOMPARE(fixture.panel.text(), QStringLiteral("Загрузка окончена"));
    }
};

} // namespace besedka

QTEST_MAIN(besedka::LockQueueTest)
#include "test_lock_queue.moc"
