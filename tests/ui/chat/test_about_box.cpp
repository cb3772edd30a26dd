// The about box on its own: the version button, the picture, the history
// panel that folds and unfolds, and the missing history file.
#include "chat/about_box.h"
#include "chat/about_picture.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "text/cp1251.h"
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
using testing::part;
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
        QCOMPARE(part<QToolButton>(box, "versionButton")->text(),
                 QString(26, u' ') + QStringLiteral("ВЕРСИЯ: 1.9.2.6"));
        QCOMPARE(part<QToolButton>(box, "versionButton")->geometry(), QRect(4, 6, 369, 142));
        QCOMPARE(part<QLabel>(box, "picture")->geometry(), QRect(7, 8, 178, 137));
        QCOMPARE(part<QPushButton>(box, "historyButton")->text(), QStringLiteral("История"));
        QCOMPARE(part<QPushButton>(box, "historyButton")->geometry(), QRect(190, 120, 179, 25));
        QVERIFY(part<QPlainTextEdit>(box, "history")->isReadOnly());
        QCOMPARE(part<QPlainTextEdit>(box, "history")->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(part<QPlainTextEdit>(box, "history")->toPlainText().isEmpty());
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
        QCOMPARE(part<QLabel>(*box_, "picture")->pixmap().size(), QSize(179, 132));
    }

    void historyUnfoldsFoldsAndUnfoldsAgain() {
        open();
        const QList<int> heights{327, 179, 327};
        for (const int height : heights) {
            QTest::mouseClick(part<QPushButton>(*box_, "historyButton"), Qt::LeftButton);
            QCOMPARE(box_->outerHeight(), height);
            QCOMPARE(box_->height(), height - 27);
        }
        QVERIFY(part<QPlainTextEdit>(*box_, "history")
                    ->toPlainText()
                    .startsWith(QStringLiteral("Беседка")));
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void historyIsReadAgainAtEveryPress() {
        open();
        writeHistory("один\r\nдва\r\n");
        part<QPushButton>(*box_, "historyButton")->click();
        QCOMPARE(part<QPlainTextEdit>(*box_, "history")->toPlainText(),
                 QStringLiteral("один\nдва"));
        writeHistory("три\rчетыре\nпять");
        part<QPushButton>(*box_, "historyButton")->click(); // folding reads it too
        QCOMPARE(part<QPlainTextEdit>(*box_, "history")->toPlainText(),
                 QStringLiteral("три\nчетыре\nпять"));
        QCOMPARE(box_->outerHeight(), 179);
    }

    void missingHistoryIsReportedOncePerPress() {
        open();
        part<QPushButton>(*box_, "historyButton")->click();
        const QString shown = part<QPlainTextEdit>(*box_, "history")->toPlainText();
        QCOMPARE(box_->outerHeight(), 327);

        workdir_->remove("ReadMe.Txt");
        part<QPushButton>(*box_, "historyButton")->click();
        QCOMPARE(dialogs_->errors, QStringList{QStringLiteral(
                                       "Cannot open file ReadMe.Txt: No such file or directory")});
        QCOMPARE(box_->outerHeight(), 327); // stays unfolded
        QCOMPARE(part<QPlainTextEdit>(*box_, "history")->toPlainText(), shown);
        part<QPushButton>(*box_, "historyButton")->click();
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(box_->outerHeight(), 327);

        workdir_->restore("ReadMe.Txt");
        part<QPushButton>(*box_, "historyButton")->click();
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(box_->outerHeight(), 179);
    }

    void missingHistoryKeepsAFoldedBoxFolded() {
        workdir_->remove("ReadMe.Txt");
        open();
        QTest::mouseClick(part<QPushButton>(*box_, "historyButton"), Qt::LeftButton);
        QCOMPARE(dialogs_->errors.size(), 1);
        QCOMPARE(box_->outerHeight(), 179);
    }

    void versionButtonClosesButThePictureDoesNot() {
        QSignalSpy closed(box_.get(), &AboutBox::closed);
        open();
        QTest::mouseClick(part<QLabel>(*box_, "picture"), Qt::LeftButton, {}, QPoint(80, 60));
        QCOMPARE(closed.count(), 0);
        QVERIFY(box_->isVisible());
        // The part of the version button right of the picture, above "История".
        QTest::mouseClick(part<QToolButton>(*box_, "versionButton"), Qt::LeftButton, {},
                          QPoint(300, 40));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!box_->isVisible());
    }

    void closeBoxClosesAndEscapeDoesNot() {
        QSignalSpy opened(box_.get(), &AboutBox::opened);
        QSignalSpy closed(box_.get(), &AboutBox::closed);
        open();
        QCOMPARE(opened.count(), 1);
        part<QPushButton>(*box_, "historyButton")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(part<QPushButton>(*box_, "historyButton"), Qt::Key_Escape);
        QCOMPARE(closed.count(), 0);
        QVERIFY(box_->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!box_->isVisible());
    }

    void reopeningAnUnfoldedBoxShowsItFolded() {
        open();
        part<QPushButton>(*box_, "historyButton")->click();
        QCOMPARE(box_->outerHeight(), 327);
        part<QToolButton>(*box_, "versionButton")->click();
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
        QTest::mouseClick(part<QPushButton>(box, "historyButton"), Qt::LeftButton);
        QCOMPARE(box.outerHeight(), 327);
        part<QToolButton>(box, "versionButton")->click();
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
