// The about box on its own: the version button, the picture, the history
// panel that folds and unfolds, and the missing history file.
#include "about_box.h"
#include "about_picture.h"
#include "cp1251.h"
#include "file_store.h"
#include "path_map.h"
#include "window_fixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <memory>

namespace besedka {

using testing::FakeDialogs;
using testing::WorkDir;

class AboutBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        workdir_ = std::make_unique<WorkDir>();
        files_ = std::make_unique<FileStore>(PathMap(workdir_->root()));
        dialogs_ = std::make_unique<FakeDialogs>();
        box_ = std::make_unique<AboutBox>(*files_, *dialogs_);
    }

    void cleanup() {
        box_.reset();
        dialogs_.reset();
        files_.reset();
        workdir_.reset();
    }

    void startsWithTheDesignValues() {
        AboutBox& box = *box_;
        QVERIFY(!box.isVisible());
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе"));
        QVERIFY(box.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(box.size(), QSize(377, 152));
        QCOMPARE(box.outerHeight(), 179);
        QCOMPARE(box.versionButton_->text(), QString(26, u' ') + QStringLiteral("ВЕРСИЯ: 1.9.2.6"));
        QCOMPARE(box.versionButton_->geometry(), QRect(4, 6, 369, 142));
        QCOMPARE(box.picture_->geometry(), QRect(7, 8, 178, 137));
        QCOMPARE(box.historyButton_->text(), QStringLiteral("История"));
        QCOMPARE(box.historyButton_->geometry(), QRect(190, 120, 179, 25));
        QVERIFY(box.history_->isReadOnly());
        QCOMPARE(box.history_->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(box.history_->toPlainText().isEmpty());
    }

    void pictureIsOurOwnSizeAndDepth() {
        const QImage picture = aboutPicture();
        QCOMPARE(picture.size(), QSize(179, 132));
        QCOMPARE(picture.depth(), 24);
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 3) {
            for (int x = 0; x < picture.width(); x += 3) {
                colours.insert(picture.pixel(x, y));
            }
        }
        QVERIFY2(colours.size() > 50, "the picture is drawn, not a flat fill");
        QCOMPARE(box_->picture_->pixmap().size(), QSize(179, 132));
    }

    void historyUnfoldsFoldsAndUnfoldsAgain() {
        open();
        const QList<int> heights{327, 179, 327};
        for (const int height : heights) {
            QTest::mouseClick(box_->historyButton_, Qt::LeftButton);
            QCOMPARE(box_->outerHeight(), height);
            QCOMPARE(box_->height(), height - 27);
        }
        QVERIFY(box_->history_->toPlainText().startsWith(QStringLiteral("Беседка")));
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void historyIsReadAgainAtEveryPress() {
        open();
        writeHistory("один\r\nдва\r\n");
        box_->toggleHistory();
        QCOMPARE(box_->history_->toPlainText(), QStringLiteral("один\nдва"));
        writeHistory("три\rчетыре\nпять");
        box_->toggleHistory(); // folding reads it too
        QCOMPARE(box_->history_->toPlainText(), QStringLiteral("три\nчетыре\nпять"));
        QCOMPARE(box_->outerHeight(), 179);
    }

    void missingHistoryIsReportedOncePerPress() {
        open();
        box_->toggleHistory();
        const QString shown = box_->history_->toPlainText();
        QCOMPARE(box_->outerHeight(), 327);

        workdir_->remove("ReadMe.Txt");
        box_->toggleHistory();
        QCOMPARE(dialogs_->errors, QStringList{QStringLiteral("Cannot open file ReadMe.Txt")});
        QCOMPARE(box_->outerHeight(), 327); // stays unfolded
        QCOMPARE(box_->history_->toPlainText(), shown);
        box_->toggleHistory();
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(box_->outerHeight(), 327);

        workdir_->restore("ReadMe.Txt");
        box_->toggleHistory();
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(box_->outerHeight(), 179);
    }

    void missingHistoryKeepsAFoldedBoxFolded() {
        workdir_->remove("ReadMe.Txt");
        open();
        QTest::mouseClick(box_->historyButton_, Qt::LeftButton);
        QCOMPARE(dialogs_->errors.size(), 1);
        QCOMPARE(box_->outerHeight(), 179);
    }

    void versionButtonClosesButThePictureDoesNot() {
        QSignalSpy closed(box_.get(), &AboutBox::closed);
        open();
        QTest::mouseClick(box_->picture_, Qt::LeftButton, {}, QPoint(80, 60));
        QCOMPARE(closed.count(), 0);
        QVERIFY(box_->isVisible());
        // The part of the version button right of the picture, above "История".
        QTest::mouseClick(box_->versionButton_, Qt::LeftButton, {}, QPoint(300, 40));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!box_->isVisible());
    }

    void closeBoxClosesAndEscapeDoesNot() {
        QSignalSpy opened(box_.get(), &AboutBox::opened);
        QSignalSpy closed(box_.get(), &AboutBox::closed);
        open();
        QCOMPARE(opened.count(), 1);
        box_->historyButton_->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box_->historyButton_, Qt::Key_Escape);
        QCOMPARE(closed.count(), 0);
        QVERIFY(box_->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!box_->isVisible());
    }

    void reopeningAnUnfoldedBoxShowsItFolded() {
        open();
        box_->toggleHistory();
        QCOMPARE(box_->outerHeight(), 327);
        box_->closeAbout();
        open();
        QCOMPARE(box_->outerHeight(), 179);
    }

    void opensEnabledUnderADisabledOwner() {
        QWidget owner;
        owner.setEnabled(false);
        AboutBox box(*files_, *dialogs_, &owner);
        box.openAbout();
        QVERIFY(box.isVisible());
        QVERIFY(box.isEnabled());
        QTest::mouseClick(box.historyButton_, Qt::LeftButton);
        QCOMPARE(box.outerHeight(), 327);
        box.closeAbout();
    }

  private:
    void open() {
        box_->openAbout();
        QVERIFY(QTest::qWaitForWindowActive(box_.get()));
    }

    // Writes "ReadMe.Txt" in Windows-1251.
    void writeHistory(const char* utf8) {
        std::ofstream out(workdir_->path("ReadMe.Txt"), std::ios::binary | std::ios::trunc);
        out << utf8ToCp1251(utf8);
    }

    std::unique_ptr<WorkDir> workdir_;
    std::unique_ptr<FileStore> files_;
    std::unique_ptr<FakeDialogs> dialogs_;
    std::unique_ptr<AboutBox> box_;
};

} // namespace besedka

QTEST_MAIN(besedka::AboutBoxTest)
#include "test_about_box.moc"
