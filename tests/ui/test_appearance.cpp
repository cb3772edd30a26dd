// Appearance settings: the colour and font commands answered through the
// dialogs interface, the defaults mark, restoring the defaults, and the
// full-screen and normal layouts.
#include "Unit2.h"
#include "Unit3.h"
#include "colors.h"
#include "dialogue_pane.h"
#include "font_dialog.h"
#include "input_field.h"
#include "spin_edit.h"
#include "text.h"
#include "window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace besedka {

using testing::WindowFixture;

namespace {

constexpr Color kRed = 0x0000FF;
constexpr Color kGreen = 0x00FF00;
constexpr Color kBlue = 0xFF0000;
constexpr Color kOdd = 0x123456; // three different channels

QColor windowColour(const TForm1& form) {
    return form.palette().color(QPalette::Window);
}
QColor paneBackground(const TForm1& form) {
    return form.RichEdit1->palette().color(QPalette::Base);
}
QColor inputBackground(const TForm1& form) {
    return form.Edit1->palette().color(QPalette::Base);
}
QColor inputText(const TForm1& form) {
    return form.Edit1->palette().color(QPalette::Active, QPalette::Text);
}
QColor buttonText(const QToolButton* button) {
    return button->palette().color(QPalette::Active, QPalette::ButtonText);
}

// Every colour the window shows that an appearance command may change.
struct Shown {
    QColor window, pane, input, inputText, say, undo, layout;
    bool operator==(const Shown&) const = default;
};

Shown shown(const TForm1& form) {
    return {windowColour(form),
            paneBackground(form),
            inputBackground(form),
            inputText(form),
            buttonText(form.SpeedButton1),
            buttonText(form.SpeedButton2),
            buttonText(form.SpeedButton3)};
}

// The design geometry of the controls the layouts move.
struct Geometry {
    QRect upper, pane, bar, say, layout, undo, input;
    bool operator==(const Geometry&) const = default;
};

Geometry geometry(const TForm1& form) {
    return {form.TabControl1->geometry(),  form.RichEdit1->geometry(),
            form.TabControl2->geometry(),  form.SpeedButton1->geometry(),
            form.SpeedButton3->geometry(), form.SpeedButton2->geometry(),
            form.Edit1->geometry()};
}

FontSpec font(const char* face, int size, bool bold, bool italic) {
    return FontSpec{face, size, bold, italic};
}

} // namespace

class AppearanceTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        form_ = &fixture_->start();
        // The mark as each dialog opens: cleared before, confirmed or not.
        fixture_->dialogs.onOpen = [this] { markAtOpen_.push_back(form_->N13->isChecked()); };
        markAtOpen_.clear();
    }

    void cleanup() {
        fixture_.reset();
        form_ = nullptr;
    }

    void colourConversionIsExact() {
        // Every one of the 2^24 colours there and back.
        Color wrong = 0;
        int wrongs = 0;
        for (Color color = 0; color <= 0xFFFFFF; ++color) {
            if (fromQColor(toQColor(color)) != color) {
                wrong = color;
                ++wrongs;
            }
        }
        QVERIFY2(wrongs == 0, qPrintable(QString::number(wrong, 16)));
        QCOMPARE(toQColor(kRed), QColor(255, 0, 0));
        QCOMPARE(toQColor(0x808000), QColor(0, 128, 128)); // teal
        QCOMPARE(toQColor(kSilver), QColor(192, 192, 192));
        QCOMPARE(fromQColor(QColor(0x12, 0x34, 0x56)), Color{0x563412});
        // A colour the dialog hands back in another model converts as well.
        QCOMPARE(fromQColor(QColor(0x12, 0x34, 0x56).toHsv().toRgb()), Color{0x563412});
    }

    void backgroundColourCommands_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("changed"); // index into Shown
        QTest::newRow("N6 window") << "N6" << 0;
        QTest::newRow("N21 pane") << "N21" << 1;
        QTest::newRow("N16 input") << "N16" << 2;
        QTest::newRow("Mystring2 input text") << "Mystring2" << 3;
    }

    void backgroundColourCommands() {
        QFETCH(QString, item);
        QFETCH(int, changed);
        TForm1& form = *form_;
        QAction* action = form.findChild<QAction*>(item);
        QVERIFY(action != nullptr);
        const Shown before = shown(form);

        action->trigger(); // cancelled
        QCOMPARE(markAtOpen_, std::vector<bool>{false});
        QVERIFY(!form.N13->isChecked());
        QVERIFY(shown(form) == before);
        QCOMPARE(form.engine().appearance().backgroundColor, kBlack);

        fixture_->dialogs.colourAnswers.push_back(kOdd);
        action->trigger();
        QCOMPARE(fixture_->dialogs.colourRequests, (std::vector<Color>{kBlack, kBlack}));
        QCOMPARE(form.engine().appearance().backgroundColor, kOdd); // the dialog keeps it
        Shown expected = before;
        QColor* fields[] = {&expected.window, &expected.pane, &expected.input, &expected.inputText};
        *fields[changed] = toQColor(kOdd);
        QVERIFY(shown(form) == expected);

        action->trigger(); // opens on the colour last chosen
        QCOMPARE(fixture_->dialogs.colourRequests.back(), kOdd);
    }

    // The panels keep their own colour: the window colour shows only where
    // they leave the window bare.
    void windowColourLeavesThePanelsAlone() {
        TForm1& form = *form_;
        fixture_->dialogs.colourAnswers.push_back(kRed);
        form.N6->trigger();
        QCOMPARE(windowColour(form), QColor(Qt::red));
        QCOMPARE(form.TabControl1->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(form.TabControl2->palette().color(QPalette::Window), QColor(192, 192, 192));
    }

    void buttonTextCommandOpensThreeDialogs_data() {
        QTest::addColumn<QList<int>>("answers"); // -1 cancels
        QTest::newRow("only the third") << QList<int>{-1, -1, int(kRed)};
        QTest::newRow("first and third") << QList<int>{int(kGreen), -1, int(kBlue)};
    }

    void buttonTextCommandOpensThreeDialogs() {
        QFETCH(QList<int>, answers);
        TForm1& form = *form_;
        for (const int answer : answers) {
            if (answer < 0) {
                fixture_->dialogs.colourAnswers.push_back(std::nullopt);
            } else {
                fixture_->dialogs.colourAnswers.push_back(static_cast<Color>(answer));
            }
        }
        form.N9->trigger();
        QCOMPARE(markAtOpen_, (std::vector<bool>{false, false, false}));
        QToolButton* buttons[] = {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3};
        Color dialogColour = kBlack;
        std::vector<Color> requests;
        for (int i = 0; i < 3; ++i) {
            requests.push_back(dialogColour); // each opens on the one before's colour
            const Color expected = answers[i] < 0 ? kBlack : static_cast<Color>(answers[i]);
            QCOMPARE(buttonText(buttons[i]), toQColor(expected));
            if (answers[i] >= 0) {
                dialogColour = static_cast<Color>(answers[i]);
            }
        }
        QCOMPARE(fixture_->dialogs.colourRequests, requests);
        QCOMPARE(form.engine().appearance().backgroundColor, dialogColour);
        QCOMPARE(windowColour(form), QColor(192, 192, 192));
    }

    // A new line colour goes to the pane at once and to every later line of
    // its kind; lines already shown keep theirs.
    void lineColourCommands() {
        TForm1& form = *form_;
        say(QStringLiteral("привет"));
        fixture_->dialogs.colourAnswers = {kRed};
        form.User1->trigger();
        QCOMPARE(form.engine().dialogue().insertionFormat().color, kRed);
        fixture_->dialogs.colourAnswers = {kBlue};
        form.Cpu1->trigger();
        QCOMPARE(form.engine().dialogue().insertionFormat().color, kBlue);
        QCOMPARE(form.engine().appearance().userColor, kRed);
        QCOMPARE(form.engine().appearance().replyColor, kBlue);
        QCOMPARE(markAtOpen_, (std::vector<bool>{false, false}));

        form.User1->trigger(); // cancelled: nothing changes, opened on red
        QCOMPARE(fixture_->dialogs.colourRequests.back(), kRed);
        QCOMPARE(form.engine().appearance().userColor, kRed);

        say(QStringLiteral("как дела"));
        const auto& pane = form.engine().dialogue().pane();
        QCOMPARE(pane[0].format.color, kBlack);
        QCOMPARE(pane[1].format.color, kBlack);
        const int n = form.RichEdit1->lineCount();
        QCOMPARE(form.RichEdit1->lineFormat(n - 2).foreground().color(), QColor(Qt::red));
        QCOMPARE(form.RichEdit1->lineFormat(n - 1).foreground().color(), QColor(Qt::blue));
    }

    void lineFontCommands() {
        TForm1& form = *form_;
        const FontSpec userFont = font("DejaVu Serif", 14, true, false);
        const FontSpec replyFont = font("DejaVu Sans Mono", 10, false, true);
        fixture_->dialogs.fontAnswers = {userFont};
        form.User2->trigger();
        QCOMPARE(form.engine().dialogue().insertionFormat().font, userFont);
        fixture_->dialogs.fontAnswers = {replyFont};
        form.Cpu2->trigger();
        QCOMPARE(form.engine().dialogue().insertionFormat().font, replyFont);
        QCOMPARE(markAtOpen_, (std::vector<bool>{false, false}));
        QCOMPARE(fixture_->dialogs.fontRequests.size(), std::size_t(2));
        QCOMPARE(fixture_->dialogs.fontRequests[0].initial, FontSpec{});
        QVERIFY(!fixture_->dialogs.fontRequests[0].sizeFixedAt8);

        form.Cpu2->trigger(); // cancelled
        QCOMPARE(fixture_->dialogs.fontRequests.back().initial, replyFont);
        QCOMPARE(form.engine().appearance().replyFont, replyFont);

        say(QStringLiteral("привет"));
        const int n = form.RichEdit1->lineCount();
        const QFont userShown = form.RichEdit1->lineFormat(n - 2).font();
        QCOMPARE(userShown.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(userShown.pointSize(), 14);
        QVERIFY(userShown.bold() && !userShown.italic());
        const QFont replyShown = form.RichEdit1->lineFormat(n - 1).font();
        QCOMPARE(replyShown.pointSize(), 10);
        QVERIFY(replyShown.italic() && !replyShown.bold());
    }

    void inputFontKeepsSizeEight() {
        TForm1& form = *form_;
        form.Mystring1->trigger(); // cancelled
        QCOMPARE(form.Edit1->font().family(), QStringLiteral("MS Sans Serif"));
        QVERIFY(!form.N13->isChecked());
        fixture_->dialogs.fontAnswers = {font("DejaVu Serif", 14, false, true)};
        form.Mystring1->trigger();
        QCOMPARE(fixture_->dialogs.fontRequests.size(), std::size_t(2));
        QVERIFY(fixture_->dialogs.fontRequests[1].sizeFixedAt8);
        QCOMPARE(fixture_->dialogs.fontRequests[1].initial, FontSpec{});
        QCOMPARE(form.Edit1->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(form.Edit1->font().pointSize(), 8);
        QVERIFY(form.Edit1->font().italic() && !form.Edit1->font().bold());
        QCOMPARE(form.inputFontChoice(), font("DejaVu Serif", 8, false, true));
        QCOMPARE(form.engine().dialogue().insertionFormat().font, FontSpec{}); // pane untouched
    }

    void restoreDefaultsAfterChanges() {
        TForm1& form = *form_;
        form.N40->trigger(); // the layout is not the restore's
        fixture_->dialogs.colourAnswers = {kRed, kGreen, kBlue, kOdd, kRed, kGreen, kBlue};
        for (QAction* item : {form.N6, form.N21, form.N16, form.Mystring2, form.N9}) {
            item->trigger();
        }
        fixture_->dialogs.colourAnswers = {kRed, kBlue};
        form.User1->trigger();
        form.Cpu1->trigger();
        fixture_->dialogs.fontAnswers = {font("DejaVu Serif", 14, true, false),
                                         font("DejaVu Sans", 12, false, true),
                                         font("DejaVu Sans Mono", 8, false, true)};
        form.User2->trigger();
        form.Cpu2->trigger();
        form.Mystring1->trigger();
        form.Form2->Edit1->setText(QStringLiteral("D:\\Other.Dat"));
        form.Form2->SpinEdit1->setValue(250);
        form.Form3->setOuterHeight(TForm3::kUnfoldedHeight);
        form.Cpu31->trigger();
        const TextFormat paneFormat = form.engine().dialogue().insertionFormat();
        QVERIFY(!form.N13->isChecked());

        form.N13->trigger();
        QVERIFY(form.N13->isChecked());
        const QColor silver(192, 192, 192);
        const QColor black(Qt::black);
        QVERIFY(shown(form) == (Shown{silver, silver, silver, black, black, black, black}));
        // Bold in the face last chosen for the input, at size 8.
        QCOMPARE(form.Edit1->font().family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(form.Edit1->font().pointSize(), 8);
        QVERIFY(form.Edit1->font().bold() && !form.Edit1->font().italic());
        const Appearance& dialogs = form.engine().appearance();
        QCOMPARE(dialogs.backgroundColor, kBlack);
        QCOMPARE(dialogs.userColor, kBlack);
        QCOMPARE(dialogs.replyColor, kBlack);
        QCOMPARE(dialogs.userFont, FontSpec{});
        QCOMPARE(dialogs.replyFont, FontSpec{});
        QCOMPARE(form.inputFontChoice(), font("MS Sans Serif", 8, false, true)); // style stays
        QCOMPARE(form.Form2->Edit1->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(form.Form2->interval(), 1000);
        QCOMPARE(form.engine().exchangeWritePath(), std::string("D:\\Txt.Dat"));
        QCOMPARE(form.Form3->outerHeight(), 179);
        // Left alone: the pane's current attributes, the layout, the mode.
        QCOMPARE(form.engine().dialogue().insertionFormat(), paneFormat);
        QVERIFY(form.N40->isChecked());
        QVERIFY(form.Cpu31->isChecked());

        // Later edits in the editor clear the mark again.
        form.Form2->SpinEdit1->setValue(300);
        QVERIFY(!form.N13->isChecked());
    }

    void fullScreenThenNormalGivesBackTheDesignSizes() {
        TForm1& form = *form_;
        const Geometry design = geometry(form);
        const QSize windowSize = form.size();
        const QPoint windowPosition = form.pos();
        form.N13->setChecked(false);

        form.N40->trigger();
        QVERIFY(form.N40->isChecked());
        QCOMPARE(form.N40->text(), QStringLiteral("Normal"));
        QVERIFY(form.windowState().testFlag(Qt::WindowMaximized));
        QTRY_COMPARE(form.geometry(), form.screen()->availableGeometry());
        const Geometry full = geometry(form);
        QCOMPARE(full.upper, QRect(0, 0, 799, 507));
        QCOMPARE(full.pane, QRect(3, 5, 793, 499));
        QCOMPARE(full.bar, QRect(0, 507, 799, 30));
        QCOMPARE(full.say, QRect(710, 5, 86, 22));
        QCOMPARE(full.layout, QRect(667, 5, 43, 22));
        QCOMPARE(full.undo, QRect(640, 5, 27, 22));
        QCOMPARE(full.input, QRect(3, 5, 635, 21));
        QVERIFY(!form.N13->isChecked()); // the mark is not the layout's

        form.N40->trigger();
        QVERIFY(!form.N40->isChecked());
        QCOMPARE(form.N40->text(), QStringLiteral("Full Screen"));
        QVERIFY(!form.windowState().testFlag(Qt::WindowMaximized));
        QVERIFY(geometry(form) == design);
        QTRY_COMPARE(form.size(), windowSize);
        QTRY_COMPARE(form.pos(), windowPosition);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!form.N13->isChecked());
    }

    // Qt's font dialog as the window sets it up: no effects, and with the
    // size fixed another size springs back to 8.
    void fontDialogOffersFaceStyleAndSizeOnly() {
        QFontDialog free;
        setUpFontDialog(free, false);
        free.setCurrentFont(toQFont(font("DejaVu Sans", 14, true, false)));
        for (const QCheckBox* effect : free.findChildren<QCheckBox*>()) {
            QVERIFY(!effect->isVisibleTo(&free));
        }
        for (const QComboBox* writingSystem : free.findChildren<QComboBox*>()) {
            QVERIFY(!writingSystem->isVisibleTo(&free));
        }
        QCoreApplication::processEvents();
        QCOMPARE(chosenFont(free, false).size, 14);
        QVERIFY(chosenFont(free, false).bold);

        QFontDialog fixed;
        setUpFontDialog(fixed, true);
        fixed.setCurrentFont(toQFont(font("DejaVu Sans", 14, false, true)));
        QTRY_COMPARE(fixed.currentFont().pointSize(), 8);
        const FontSpec chosen = chosenFont(fixed, true);
        QCOMPARE(chosen.size, 8);
        QVERIFY(chosen.italic && !chosen.bold);
    }

  private:
    void say(const QString& phrase) {
        form_->Edit1->setText(phrase);
        form_->SpeedButton1Click();
    }

    std::unique_ptr<WindowFixture> fixture_;
    TForm1* form_ = nullptr;
    std::vector<bool> markAtOpen_;
};

} // namespace besedka

QTEST_MAIN(besedka::AppearanceTest)
#include "test_appearance.moc"
