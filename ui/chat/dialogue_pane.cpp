#include "chat/dialogue_pane.h"

#include "common/colours.h"
#include "common/qt_text.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace besedka {
namespace {

QTextCharFormat charFormat(const TextFormat& format) {
    QTextCharFormat chars;
    chars.setForeground(toQColor(format.colour));
    chars.setFontFamilies({toQString(format.font.face)});
    chars.setFontPointSize(format.font.size);
    chars.setFontWeight(format.font.bold ? QFont::Bold : QFont::Normal);
    chars.setFontItalic(format.font.italic);
    return chars;
}

QTextBlockFormat centred() {
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    return block;
}

} // namespace

DialoguePane::DialoguePane(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    // A line wider than the pane wraps inside its own paragraph, so that it is
    // centred like the others and still one line.
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void DialoguePane::paneLineAppended(const PaneLine& line) {
    const QTextCharFormat chars = charFormat(line.format);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (lineCount_ == 0) {
        // The empty document's only block becomes the first line.
        cursor.setBlockFormat(centred());
        cursor.setBlockCharFormat(chars);
    } else {
        cursor.insertBlock(centred(), chars);
    }
    cursor.insertText(toQString(line.text), chars);
    ++lineCount_;
    scrollToEnd();
    emit linesChanged();
}

void DialoguePane::paneLastLineRemoved() {
    if (lineCount_ == 0) {
        return;
    }
    if (lineCount_ == 1) {
        clear();
    } else {
        // From the end of the line before to the end of the document: selecting
        // the last block alone misses an empty last line.
        const QTextBlock before = document()->findBlockByNumber(lineCount_ - 2);
        QTextCursor cursor(document());
        cursor.setPosition(before.position() + before.length() - 1);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    --lineCount_;
    emit linesChanged();
}

void DialoguePane::paneCleared() {
    clear();
    lineCount_ = 0;
    emit linesChanged();
}

QString DialoguePane::lineText(int i) const {
    if (i < 0 || i >= lineCount_) {
        return {};
    }
    return document()->findBlockByNumber(i).text();
}

QTextCharFormat DialoguePane::lineFormat(int i) const {
    if (i < 0 || i >= lineCount_) {
        return {};
    }
    return document()->findBlockByNumber(i).charFormat();
}

void DialoguePane::scrollToEnd() {
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    ensureCursorVisible();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum()); // the bottom margin too
}

} // namespace besedka
