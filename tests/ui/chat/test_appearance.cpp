// Appearance settings: the colour and font commands answered through the
// dialogs interface, the defaults mark, restoring the defaults, and the
// full-screen and normal layouts.
#include "chat/about_box.h"
#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/input_field.h"
#include "chat/spin_edit.h"
#include "common/colours.h"
#include "common/font_dialog.h"
#include "common/qt_text.h"
#include "window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStringListModel>
#include <QTest>
#include <QToolButton>

namespace besedka {

using testing::aboutBoxOf;
using testing::editorOf;
using testing::part;
using testing::WindowFixture;
using testing::WindowTest;

namespace {

constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kBlue = 0xFF0000;
constexpr Colour kOdd = 0x123456; // three different channels

QColor windowColour(const MainWindow& window) {
    return window.palette().color(QPalette::Window);
}
QColor paneBackground(const MainWindow& window) {
    return part<DialoguePane>(window, "pane")->palette().color(QPalette::Base);
}
QColor inputBackground(const MainWindow& window) {
    return part<InputField>(window, "input")->palette().color(QPalette::Base);
}
QColor inputText(const MainWindow& window) {
    return part<InputField>(window, "input")->palette().color(QPalette::Active, QPalette::Text);
}
QColor buttonText(const QToolButton* button) {
    return button->palette().color(QPalette::Active, QPalette::ButtonText);
}

// Every colour the window shows that an appearance command may change.
struct Shown {
    QColor window, pane, input, inputText, say, undo, layout;
    bool operator==(const Shown&) const = default;
};

Shown shown(const MainWindow& window) {
    return {windowColour(window),
            paneBackground(window),
            inputBackground(window),
            inputText(window),
            buttonText(part<QToolButton>(window, "sayButton")),
            buttonText(part<QToolButton>(window, "undoButton")),
            buttonText(part<QToolButton>(window, "layoutButton"))};
}

// The design geometry of the controls the layouts move.
struct Geometry {
    QRect upper, pane, bar, say, layout, undo, input;
    bool operator==(const Geometry&) const = default;
};

Geometry geometry(const MainWindow& window) {
    return {part<QFrame>(window, "panePanel")->geometry(),
            part<DialoguePane>(window, "pane")->geometry(),
            part<QFrame>(window, "inputBar")->geometry(),
            part<QToolButton>(window, "sayButton")->geometry(),
            part<QToolButton>(window, "layoutButton")->geometry(),
            part<QToolButton>(window, "undoButton")->geometry(),
            part<InputField>(window, "input")->geometry()};
}

FontSpec font(const char* face, int size, bool bold, bool italic) {
    return FontSpec{face, size, bold, italic};
}

} // namespace

class AppearanceTest : public WindowTest {
    Q_OBJECT

  protected:
    void started() override {
        // The mark as each dialog opens: cleared before, confirmed or not.
        fixture().dialogs.onOpen = [this] {
            markAtOpen_.push_back(part<QAction>(mainWindow(), "restoreDefaultsItem")->isChecked());
        };
        markAtOpen_.clear();
    }

  private slots:
    void colourConversionIsExact() {
        // Every one of the 2^24 colours there and back.
        Colour wrong = 0;
        int wrongs = 0;
        for (Colour colour = 0; colour <= 0xFFFFFF; ++colour) {
            if (fromQColor(toQColor(colour)) != colour) {
                wrong = colour;
                ++wrongs;
            }
        }
        QVERIFY2(wrongs == 0, qPrintable(QString::number(wrong, 16)));
        QCOMPARE(toQColor(kRed), QColor(255, 0, 0));
        QCOMPARE(toQColor(0x808000), QColor(0, 128, 128)); // teal
        QCOMPARE(toQColor(kSilver), QColor(192, 192, 192));
        QCOMPARE(fromQColor(QColor(0x12, 0x34, 0x56)), Colour{0x563412});
        // A colour the dialog hands back in another model converts as well.
        QCOMPARE(fromQColor(QColor(0x12, 0x34, 0x56).toHsv().toRgb()), Colour{0x563412});
    }

    void backgroundColourCommands_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("changed"); // index into Shown
        QTest::newRow("window") << "windowColourItem" << 0;
        QTest::newRow("pane") << "paneColourItem" << 1;
        QTest::newRow("input") << "inputColourItem" << 2;
        QTest::newRow("input text") << "inputTextColourItem" << 3;
    }

    void backgroundColourCommands() {
        QFETCH(QString, item);
        QFETCH(int, changed);
        MainWindow& window = mainWindow();
        QAction* action = window.findChild<QAction*>(item);
        QVERIFY(action != nullptr);
        const Shown before = shown(window);

        action->trigger(); // cancelled
        QCOMPARE(markAtOpen_, std::vector<bool>{false});
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")->isChecked());
        QVERIFY(shown(window) == before);
        QCOMPARE(window.engine().appearance().backgroundColour, kBlack);

        fixture().dialogs.colourAnswers.push_back(kOdd);
        action->trigger();
        QCOMPARE(fixture().dialogs.colourRequests, (std::vector<Colour>{kBlack, kBlack}));
        QCOMPARE(window.engine().appearance().backgroundColour, kOdd); // the dialog keeps it
        Shown expected = before;
        QColor* fields[] = {&expected.window, &expected.pane, &expected.input, &expected.inputText};
        *fields[changed] = toQColor(kOdd);
        QVERIFY(shown(window) == expected);

        action->trigger(); // opens on the colour last chosen
        QCOMPARE(fixture().dialogs.colourRequests.back(), kOdd);
    }

    // The panels keep their own colour: the window colour shows only where
    // they leave the window bare.
    void windowColourLeavesThePanelsAlone() {
        MainWindow& window = mainWindow();
        fixture().dialogs.colourAnswers.push_back(kRed);
        part<QAction>(window, "windowColourItem")->trigger();
        QCOMPARE(windowColour(window), QColor(Qt::red));
        QCOMPARE(part<QFrame>(window, "panePanel")->palette().color(QPalette::Window),
                 QColor(192, 192, 192));
        QCOMPARE(part<QFrame>(window, "inputBar")->palette().color(QPalette::Window),
                 QColor(192, 192, 192));
    }

    void buttonTextCommandOpensThreeDialogs_data() {
        QTest::addColumn<QList<int>>("answers"); // -1 cancels
        QTest::newRow("only the third") << QList<int>{-1, -1, int(kRed)};
        QTest::newRow("first and third") << QList<int>{int(kGreen), -1, int(kBlue)};
    }

    void buttonTextCommandOpensThreeDialogs() {
        QFETCH(QList<int>, answers);
        MainWindow& window = mainWindow();
        for (const int answer : answers) {
            if (answer < 0) {
                fixture().dialogs.colourAnswers.push_back(std::nullopt);
            } else {
                fixture().dialogs.colourAnswers.push_back(static_cast<Colour>(answer));
            }
        }
        part<QAction>(window, "buttonTextColourItem")->trigger();
        QCOMPARE(markAtOpen_, (std::vector<bool>{false, false, false}));
        QToolButton* buttons[] = {part<QToolButton>(window, "sayButton"),
                                  part<QToolButton>(window, "undoButton"),
                                  part<QToolButton>(window, "layoutButton")};
        Colour dialogColour = kBlack;
        std::vector<Colour> requests;
        for (int i = 0; i < 3; ++i) {
            requests.push_back(dialogColour); // each opens on the one before's colour
            const Colour expected = answers[i] < 0 ? kBlack : static_cast<Colour>(answers[i]);
            QCOMPARE(buttonText(buttons[i]), toQColor(expected));
            if (answers[i] >= 0) {
                dialogColour = static_cast<Colour>(answers[i]);
            }
        }
        QCOMPARE(fixture().dialogs.colourRequests, requests);
        QCOMPARE(fixture().dialogs.colourTitles,
                 (QStringList{QStringLiteral("Цвет шрифтов кнопок на панели: «Сказать»"),
                              QStringLiteral("Цвет шрифтов кнопок на панели: «<»"),
                              QStringLiteral("Цвет шрифтов кнопок на панели: «E/R»")}));
        QCOMPARE(window.engine().appearance().backgroundColour, dialogColour);
        QCOMPARE(windowColour(window), QColor(192, 192, 192));
    }

    // A new line colour goes to the pane at once and to every later line of
    // its kind; lines already shown keep theirs.
    void lineColourCommands() {
        MainWindow& window = mainWindow();
        say(QStringLiteral("привет"));
        fixture().dialogs.colourAnswers = {kRed};
        part<QAction>(window, "userColourItem")->trigger();
        QCOMPARE(window.engine().dialogue().insertionFormat().colour, kRed);
        fixture().dialogs.colourAnswers = {kBlue};
        part<QAction>(window, "replyColourItem")->trigger();
        QCOMPARE(window.engine().dialogue().insertionFormat().colour, kBlue);
        QCOMPARE(window.engine().appearance().userColour, kRed);
        QCOMPARE(window.engine().appearance().replyColour, kBlue);
        QCOMPARE(markAtOpen_, (std::vector<bool>{false, false}));

        part<QAction>(window, "userColourItem")
            ->trigger(); // cancelled: nothing changes, opened on red
        QCOMPARE(fixture().dialogs.colourRequests.back(), kRed);
        QCOMPARE(window.engine().appearance().userColour, kRed);

        say(QStringLiteral("как дела"));
        const auto& pane = window.engine().dialogue().pane();
        QCOMPARE(pane[0].format.colour, kBlack);
        QCOMPARE(pane[1].format.colour, kBlack);
        const int n = part<DialoguePane>(window, "pane")->lineCount();
        QCOMPARE(part<DialoguePane>(window, "pane")->lineFormat(n - 2).foreground().color(),
                 QColor(Qt::red));
        QCOMPARE(part<DialoguePane>(window, "pane")->lineFormat(n - 1).foreground().color(),
                 QColor(Qt::blue));
    }

    void lineFontCommands() {
        MainWindow& window = mainWindow();
        const FontSpec userFont = font("DejaVu Serif", 14, true, false);
        const FontSpec replyFont = font("DejaVu Sans Mono", 10, false, true);
        fixture().dialogs.fontAnswers = {userFont};
        part<QAction>(window, "userFontItem")->trigger();
        QCOMPARE(window.engine().dialogue().insertionFormat().font, userFont);
        fixture().dialogs.fontAnswers = {replyFont};
        part<QAction>(window, "replyFontItem")->trigger();
        QCOMPARE(window.engine().dialogue().insertionFormat().font, replyFont);
        QCOMPARE(markAtOpen_, (std::vector<bool>{false, false}));
        QCOMPARE(fixture().dialogs.fontRequests.size(), std::size_t(2));
        QCOMPARE(fixture().dialogs.fontRequests[0].initial, FontSpec{});
        QVERIFY(!fixture().dialogs.fontRequests[0].sizeFixedAt8);

        part<QAction>(window, "replyFontItem")->trigger(); // cancelled
        QCOMPARE(fixture().dialogs.fontRequests.back().initial, replyFont);
        QCOMPARE(window.engine().appearance().replyFont, replyFont);

        say(QStringLiteral("привет"));
        const int n = part<DialoguePane>(window, "pane")->lineCount();
        const QFont userShown = part<DialoguePane>(window, "pane")->lineFormat(n - 2).font();
        QCOMPARE(userShown.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(userShown.pointSize(), 14);
        QVERIFY(userShown.bold() && !userShown.italic());
        const QFont replyShown = part<DialoguePane>(window, "pane")->lineFormat(n - 1).font();
        QCOMPARE(replyShown.pointSize(), 10);
        QVERIFY(replyShown.italic() && !replyShown.bold());
    }

    void inputFontKeepsSizeEight() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "inputFontItem")->trigger(); // cancelled
        QCOMPARE(part<InputField>(window, "input")->font().family(),
                 QStringLiteral("MS Sans Serif"));
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")->isChecked());
        fixture().dialogs.fontAnswers = {font("DejaVu Serif", 14, false, true)};
        part<QAction>(window, "inputFontItem")->trigger();
        QCOMPARE(fixture().dialogs.fontRequests.size(), std::size_t(2));
        QVERIFY(fixture().dialogs.fontRequests[1].sizeFixedAt8);
        QCOMPARE(fixture().dialogs.fontRequests[1].initial, FontSpec{});
        QCOMPARE(part<InputField>(window, "input")->font().family(),
                 QStringLiteral("DejaVu Serif"));
        QCOMPARE(part<InputField>(window, "input")->font().pointSize(), 8);
        QVERIFY(part<InputField>(window, "input")->font().italic() &&
                !part<InputField>(window, "input")->font().bold());
        QCOMPARE(window.inputFontChoice(), font("DejaVu Serif", 8, false, true));
        QCOMPARE(window.engine().dialogue().insertionFormat().font, FontSpec{}); // pane untouched
    }

    void restoreDefaultsAfterChanges() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "fullScreenItem")->trigger(); // the layout is not the restore's
        fixture().dialogs.colourAnswers = {kRed, kGreen, kBlue, kOdd, kRed, kGreen, kBlue};
        for (QAction* item :
             {part<QAction>(window, "windowColourItem"), part<QAction>(window, "paneColourItem"),
              part<QAction>(window, "inputColourItem"),
              part<QAction>(window, "inputTextColourItem"),
              part<QAction>(window, "buttonTextColourItem")}) {
            item->trigger();
        }
        fixture().dialogs.colourAnswers = {kRed, kBlue};
        part<QAction>(window, "userColourItem")->trigger();
        part<QAction>(window, "replyColourItem")->trigger();
        fixture().dialogs.fontAnswers = {font("DejaVu Serif", 14, true, false),
                                         font("DejaVu Sans", 12, false, true),
                                         font("DejaVu Sans Mono", 8, false, true)};
        part<QAction>(window, "userFontItem")->trigger();
        part<QAction>(window, "replyFontItem")->trigger();
        part<QAction>(window, "inputFontItem")->trigger();
        part<QLineEdit>(editorOf(window), "pathField")->setText(QStringLiteral("D:\\Other.Dat"));
        part<SpinEdit>(editorOf(window), "intervalField")->setValue(250);
        aboutBoxOf(window).setOuterHeight(AboutBox::kUnfoldedHeight);
        part<QAction>(window, "cpuCpuItem")->trigger();
        const TextFormat paneFormat = window.engine().dialogue().insertionFormat();
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")->isChecked());

        part<QAction>(window, "restoreDefaultsItem")->trigger();
        QVERIFY(part<QAction>(window, "restoreDefaultsItem")->isChecked());
        const QColor silver(192, 192, 192);
        const QColor black(Qt::black);
        QVERIFY(shown(window) == (Shown{silver, silver, silver, black, black, black, black}));
        // Bold in the face last chosen for the input, at size 8.
        QCOMPARE(part<InputField>(window, "input")->font().family(),
                 QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(part<InputField>(window, "input")->font().pointSize(), 8);
        QVERIFY(part<InputField>(window, "input")->font().bold() &&
                !part<InputField>(window, "input")->font().italic());
        const Appearance& dialogs = window.engine().appearance();
        QCOMPARE(dialogs.backgroundColour, kBlack);
        QCOMPARE(dialogs.userColour, kBlack);
        QCOMPARE(dialogs.replyColour, kBlack);
        QCOMPARE(dialogs.userFont, FontSpec{});
        QCOMPARE(dialogs.replyFont, FontSpec{});
        QCOMPARE(window.inputFontChoice(), font("MS Sans Serif", 8, false, true)); // style stays
        QCOMPARE(part<QLineEdit>(editorOf(window), "pathField")->text(),
                 QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(editorOf(window).interval(), 1000);
        QCOMPARE(window.engine().exchangeWritePath(), std::string("D:\\Txt.Dat"));
        QCOMPARE(aboutBoxOf(window).outerHeight(), 179);
        // Left alone: the pane's current attributes, the layout, the mode.
        QCOMPARE(window.engine().dialogue().insertionFormat(), paneFormat);
        QVERIFY(part<QAction>(window, "fullScreenItem")->isChecked());
        QVERIFY(part<QAction>(window, "cpuCpuItem")->isChecked());

        // Later edits in the editor clear the mark again.
        part<SpinEdit>(editorOf(window), "intervalField")->setValue(300);
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")->isChecked());
    }

    void fullScreenThenNormalGivesBackTheDesignSizes() {
        MainWindow& window = mainWindow();
        const Geometry design = geometry(window);
        const QSize windowSize = window.size();
        const QPoint windowPosition = window.pos();
        part<QAction>(window, "restoreDefaultsItem")->setChecked(false);

        part<QAction>(window, "fullScreenItem")->trigger();
        QVERIFY(part<QAction>(window, "fullScreenItem")->isChecked());
        QCOMPARE(part<QAction>(window, "fullScreenItem")->text(), QStringLiteral("Normal"));
        QVERIFY(window.windowState().testFlag(Qt::WindowMaximized));
        QTRY_COMPARE(window.geometry(), window.screen()->availableGeometry());
        const Geometry full = geometry(window);
        QCOMPARE(full.upper, QRect(0, 0, 799, 507));
        QCOMPARE(full.pane, QRect(3, 5, 793, 499));
        QCOMPARE(full.bar, QRect(0, 507, 799, 30));
        QCOMPARE(full.say, QRect(710, 5, 86, 22));
        QCOMPARE(full.layout, QRect(667, 5, 43, 22));
        QCOMPARE(full.undo, QRect(640, 5, 27, 22));
        QCOMPARE(full.input, QRect(3, 5, 635, 21));
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")
                     ->isChecked()); // the mark is not the layout's

        part<QAction>(window, "fullScreenItem")->trigger();
        QVERIFY(!part<QAction>(window, "fullScreenItem")->isChecked());
        QCOMPARE(part<QAction>(window, "fullScreenItem")->text(), QStringLiteral("Full Screen"));
        QVERIFY(!window.windowState().testFlag(Qt::WindowMaximized));
        QVERIFY(geometry(window) == design);
        QTRY_COMPARE(window.size(), windowSize);
        QTRY_COMPARE(window.pos(), windowPosition);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")->isChecked());
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
        // The size list offers only what the dialog keeps, also after the face
        // changed and the dialog filled it anew.
        const auto listsOfOnly8 = [](const QFontDialog& dialog) {
            int lists = 0;
            for (const QListView* list : dialog.findChildren<QListView*>()) {
                const auto* model = qobject_cast<const QStringListModel*>(list->model());
                lists += model != nullptr && model->stringList() == QStringList{QStringLiteral("8")}
                             ? 1
                             : 0;
            }
            return lists;
        };
        QCOMPARE(listsOfOnly8(fixed), 1);
        QCOMPARE(listsOfOnly8(free), 0);
        const FontSpec chosen = chosenFont(fixed, true);
        QCOMPARE(chosen.size, 8);
        QVERIFY(chosen.italic && !chosen.bold);
    }

  private:
    void say(const QString& phrase) {
        part<InputField>(mainWindow(), "input")->setText(phrase);
        part<QToolButton>(mainWindow(), "sayButton")->click();
    }

    std::vector<bool> markAtOpen_;
};

} // namespace besedka

QTEST_MAIN(besedka::AppearanceTest)
#include "test_appearance.moc"
