// The start-up check of the six wave files, and playing without a sound device.
#include "chat/qt_sound_player.h"
#include "chat/sound_files.h"
#include "files/path_map.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QTest>

#include <fstream>

namespace besedka {

using testing::WorkDir;

class SoundFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void starterFilesPass() {
        const WorkDir workdir;
        QCOMPARE(soundFileProblem(PathMap(workdir.root())), std::nullopt);
    }

    void fileNamesMatchWhateverTheirCase() {
        const WorkDir workdir;
        std::filesystem::rename(workdir.path("Sound/KeyBoard.wav"),
                                workdir.path("Sound/keyboard.WAV"));
        QCOMPARE(soundFileProblem(PathMap(workdir.root())), std::nullopt);
    }

    void missingFileIsNamed() {
        const WorkDir workdir;
        workdir.remove("Sound/Close.wav");
        const auto problem = soundFileProblem(PathMap(workdir.root()));
        QVERIFY(problem.has_value());
        QVERIFY2(problem->contains(QStringLiteral("Sound\\Close.wav")), qPrintable(*problem));
        QVERIFY2(problem->contains(QStringLiteral("не найден")), qPrintable(*problem));
    }

    void fileThatIsNotWaveIsNamed_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("not a sound at all");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("RIFF but not WAVE") << QByteArray("RIFF\x04\x00\x00\x00"
                                                         "AVI LIST",
                                                         16);
    }

    void fileThatIsNotWaveIsNamed() {
        QFETCH(QByteArray, content);
        const WorkDir workdir;
        std::ofstream(workdir.path("Sound/Button1.wav"), std::ios::binary | std::ios::trunc)
            .write(content.constData(), content.size());
        const auto problem = soundFileProblem(PathMap(workdir.root()));
        QVERIFY(problem.has_value());
        QVERIFY2(problem->contains(QStringLiteral("Sound\\Button1.wav")), qPrintable(*problem));
        QVERIFY2(problem->contains(QStringLiteral("WAVE")), qPrintable(*problem));
    }

    // The tests run with no sound server: playing must neither hang nor fail.
    void playingWithoutAudioReturnsAtOnce() {
        const WorkDir workdir;
        QtSoundPlayer player{PathMap(workdir.root())};
        QElapsedTimer elapsed;
        elapsed.start();
        for (int round = 0; round < 3; ++round) {
            for (const Cue cue : kAllCues) {
                player.play(cue);
            }
            QCoreApplication::processEvents();
        }
        QVERIFY2(elapsed.elapsed() < 2000, "playing the cues blocked");
    }
};

} // namespace besedka

QTEST_MAIN(besedka::SoundFilesTest)
#include "test_sound_files.moc"
