// The about box on its own: the version button, the picture, the history
// panel that folds and unfolds, and the missing history file.
#include "Unit3.h"
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
        form_ = std::make_unique<TForm3>(*files_, *dialogs_);
    }

    void cleanup() {
        form_.reset();
        dialogs_.reset();
        files_.reset();
        workdir_.reset();
    }

    void startsWithTheDesignValues() {
        TForm3& form = *form_;
        QVERIFY(!form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("О программе"));
        QVERIFY(form.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(form.size(), QSize(377, 152));
        QCOMPARE(form.outerHeight(), 179);
        QCOMPARE(form.SpeedButton1->text(), QString(26, u' ') + QStringLiteral("ВЕРСИЯ: 1.9.2.6"));
        QCOMPARE(form.SpeedButton1->geometry(), QRect(4, 6, 369, 142));
        QCOMPARE(form.QRImage1->geometry(), QRect(7, 8, 178, 137));
        QCOMPARE(form.Button1->text(), QStringLiteral("История"));
        QCOMPARE(form.Button1->geometry(), QRect(190, 120, 179, 25));
        QVERIFY(form.Memo1->isReadOnly());
        QCOMPARE(form.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(form.Memo1->toPlainText().isEmpty());
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
        QCOMPARE(form_->QRImage1->pixmap().size(), QSize(179, 132));
    }

    void historyUnfoldsFoldsAndUnfoldsAgain() {
        open();
        const QList<int> heights{327, 179, 327};
        for (const int height : heights) {
            QTest::mouseClick(form_->Button1, Qt::LeftButton);
            QCOMPARE(form_->outerHeight(), height);
            QCOMPARE(form_->height(), height - 27);
        }
        QVERIFY(form_->Memo1->toPlainText().startsWith(QStringLiteral("Беседка")));
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void historyIsReadAgainAtEveryPress() {
        open();
        writeHistory("один\r\nдва\r\n");
        form_->Button1Click();
        QCOMPARE(form_->Memo1->toPlainText(), QStringLiteral("один\nдва"));
        writeHistory("три\rчетыре\nпять");
        form_->Button1Click(); // folding reads it too
        QCOMPARE(form_->Memo1->toPlainText(), QStringLiteral("три\nчетыре\nпять"));
        QCOMPARE(form_->outerHeight(), 179);
    }

    void missingHistoryIsReportedOncePerPress() {
        open();
        form_->Button1Click();
        const QString shown = form_->Memo1->toPlainText();
        QCOMPARE(form_->outerHeight(), 327);

        workdir_->remove("ReadMe.Txt");
        form_->Button1Click();
        QCOMPARE(dialogs_->errors, QStringList{QStringLiteral("Cannot open file ReadMe.Txt")});
        QCOMPARE(form_->outerHeight(), 327); // stays unfolded
        QCOMPARE(form_->Memo1->toPlainText(), shown);
        form_->Button1Click();
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(form_->outerHeight(), 327);

        workdir_->restore("ReadMe.Txt");
        form_->Button1Click();
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(form_->outerHeight(), 179);
    }

    void missingHistoryKeepsAFoldedBoxFolded() {
        workdir_->remove("ReadMe.Txt");
        open();
        QTest::mouseClick(form_->Button1, Qt::LeftButton);
        QCOMPARE(dialogs_->errors.size(), 1);
        QCOMPARE(form_->outerHeight(), 179);
    }

    void versionButtonClosesButThePictureDoesNot() {
        QSignalSpy closed(form_.get(), &TForm3::closed);
        open();
        QTest::mouseClick(form_->QRImage1, Qt::LeftButton, {}, QPoint(80, 60));
        QCOMPARE(closed.count(), 0);
        QVERIFY(form_->isVisible());
        // The part of the version button right of the picture, above "История".
        QTest::mouseClick(form_->SpeedButton1, Qt::LeftButton, {}, QPoint(300, 40));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form_->isVisible());
    }

    void closeBoxClosesAndEscapeDoesNot() {
        QSignalSpy opened(form_.get(), &TForm3::opened);
        QSignalSpy closed(form_.get(), &TForm3::closed);
        open();
        QCOMPARE(opened.count(), 1);
        form_->Button1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form_->Button1, Qt::Key_Escape);
        QCOMPARE(closed.count(), 0);
        QVERIFY(form_->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form_->isVisible());
    }

    void reopeningAnUnfoldedBoxShowsItFolded() {
        open();
        form_->Button1Click();
        QCOMPARE(form_->outerHeight(), 327);
        form_->SpeedButton1Click();
        open();
        QCOMPARE(form_->outerHeight(), 179);
    }

    void opensEnabledUnderADisabledOwner() {
        QWidget owner;
        owner.setEnabled(false);
        TForm3 form(*files_, *dialogs_, &owner);
        form.openAbout();
        QVERIFY(form.isVisible());
        QVERIFY(form.isEnabled());
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QCOMPARE(form.outerHeight(), 327);
        form.SpeedButton1Click();
    }

  private:
    void open() {
        form_->openAbout();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    // Writes "ReadMe.Txt" in Windows-1251.
    void writeHistory(const char* utf8) {
        std::ofstream out(workdir_->path("ReadMe.Txt"), std::ios::binary | std::ios::trunc);
        out << utf8ToCp1251(utf8);
    }

    std::unique_ptr<WorkDir> workdir_;
    std::unique_ptr<FileStore> files_;
    std::unique_ptr<FakeDialogs> dialogs_;
    std::unique_ptr<TForm3> form_;
};

} // namespace besedka

QTEST_MAIN(besedka::AboutBoxTest)
#include "test_about_box.moc"
