// The dialogue pane mirrors the engine's pane lines: one centred paragraph per
// added line, in the line's format, deleted and counted as whole lines.
#include "chat/dialogue_pane.h"
#include "talk/dialogue.h"
#include "text/russian.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace besedka {

class DialoguePaneTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        pane_ = std::make_unique<DialoguePane>();
        dialogue_ = Dialogue();
        dialogue_.setObserver(pane_.get());
    }

    void cleanup() {
        dialogue_.setObserver(nullptr);
        pane_.reset();
    }

    void eachLineIsOneCentredParagraphInItsOwnFormat() {
        dialogue_.setInsertionFormat({0x0000FF, FontSpec{"Arial", 12, true, true}});
        dialogue_.appendToPane(ru("Привет."));
        dialogue_.setInsertionFormat({0x00FF00, FontSpec{}});
        dialogue_.appendToPane("second");

        QCOMPARE(pane_->lineCount(), 2);
        QCOMPARE(pane_->document()->blockCount(), 2);
        QCOMPARE(pane_->lineText(0), QStringLiteral("Привет."));
        QCOMPARE(pane_->lineText(1), QStringLiteral("second"));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(pane_->document()->findBlockByNumber(i).blockFormat().alignment(),
                     Qt::AlignHCenter);
        }
        const QTextCharFormat first = pane_->lineFormat(0);
        QCOMPARE(first.foreground().color(), QColor(255, 0, 0));
        QCOMPARE(first.fontPointSize(), 12.0);
        QCOMPARE(first.fontWeight(), static_cast<int>(QFont::Bold));
        QVERIFY(first.fontItalic());
        QCOMPARE(first.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
        const QTextCharFormat second = pane_->lineFormat(1);
        QCOMPARE(second.foreground().color(), QColor(0, 255, 0));
        QCOMPARE(second.fontPointSize(), 8.0);
        QVERIFY(!second.fontItalic());
    }

    void markupShowsAsTyped() {
        dialogue_.appendToPane("<b>x</b> &amp;");
        QCOMPARE(pane_->toPlainText(), QStringLiteral("<b>x</b> &amp;"));
    }

    void lineBreaksStartNewLines() {
        dialogue_.appendToPane("one\r\ntwo\nthree");
        dialogue_.appendToPane("after");
        QCOMPARE(pane_->lineCount(), 4);
        QCOMPARE(pane_->document()->blockCount(), 4);
        dialogue_.removeLastPaneLine();
        QCOMPARE(pane_->lineCount(), 3);
        QCOMPARE(pane_->lineText(2), QStringLiteral("three"));
    }

    // Removing works on whole added lines, empty ones included, down to none.
    void removingTakesExactlyTheLastLine() {
        dialogue_.appendToPane("a");
        dialogue_.appendToPane("");
        dialogue_.appendToPane("b");
        dialogue_.appendToPane("");

        dialogue_.removeLastPaneLine();
        QCOMPARE(pane_->lineCount(), 3);
        QCOMPARE(pane_->toPlainText(), QStringLiteral("a\n\nb"));
        dialogue_.removeLastPaneLine();
        QCOMPARE(pane_->toPlainText(), QStringLiteral("a\n"));
        dialogue_.removeLastPaneLine();
        QCOMPARE(pane_->toPlainText(), QStringLiteral("a"));
        dialogue_.removeLastPaneLine();
        QCOMPARE(pane_->lineCount(), 0);
        QVERIFY(pane_->document()->isEmpty());
        dialogue_.removeLastPaneLine(); // nothing left: nothing happens
        QCOMPARE(pane_->lineCount(), 0);

        // A line added to the emptied pane is centred like the first one.
        dialogue_.appendToPane("again");
        QCOMPARE(pane_->toPlainText(), QStringLiteral("again"));
        QCOMPARE(pane_->document()->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
    }

    void clearingStartsTheCountAfresh() {
        dialogue_.appendToPane("a");
        dialogue_.appendToPane("b");
        dialogue_.clearPane();
        QCOMPARE(pane_->lineCount(), 0);
        QVERIFY(pane_->document()->isEmpty());
        dialogue_.appendToPane("c");
        QCOMPARE(pane_->lineCount(), 1);
        QCOMPARE(pane_->toPlainText(), QStringLiteral("c"));
    }

  private:
    std::unique_ptr<DialoguePane> pane_;
    Dialogue dialogue_;
};

} // namespace besedka

QTEST_MAIN(besedka::DialoguePaneTest)
#include "test_dialogue_pane.moc"
