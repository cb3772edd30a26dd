#include "knowledge/outline_view.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

namespace besedka {
namespace {

// The narrowest indentation that still shows the levels apart.
constexpr int kNarrowestIndentation = 6;
// At most this share of the key column goes to indenting the deepest line.
constexpr int kIndentShareDivisor = 3;
// Characters of a key that stay in view beside the deepest indentation once
// the key column is wider than the view, and the fewest that keep it within.
constexpr int kKeyCharacters = 32;
constexpr int kLeastKeyCharacters = 14;

} // namespace

OutlineView::OutlineView(QWidget* parent) : QTreeView(parent) {
    plainIndentation_ = indentation();
    header()->setStretchLastSection(false);
    // The number columns are measured on the rows in sight (and the last
    // line, sizeHintForColumn), not on a thousand rows at every search.
    header()->setResizeContentsPrecision(0);
    header()->setMinimumSectionSize(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 3);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void OutlineView::setDeepestLevel(int level) {
    deepestLevel_ = std::max(level, 0);
    fitColumns();
}

// The current line, when in sight, stays in sight as the view grows shorter:
// the phrase check scrolls to its line before its result, told below the
// outline, has taken the lines it needs.
void OutlineView::resizeEvent(QResizeEvent* event) {
    const QModelIndex current = currentIndex();
    const QRect shown = visualRect(current);
    const bool wasInSight =
        shown.isValid() && shown.top() >= 0 && shown.bottom() < event->oldSize().height();
    QTreeView::resizeEvent(event);
    fitColumns();
    if (wasInSight && shown.bottom() >= viewport()->height()) {
        scrollTo(current);
    }
}

int OutlineView::keyTextRoom() const {
    return fontMetrics().averageCharWidth() * kKeyCharacters;
}

int OutlineView::leastKeyRoom() const {
    return fontMetrics().averageCharWidth() * kLeastKeyCharacters;
}

// The key column fills what the number columns leave, and is widened past the
// view only when the deepest line's key would not fit even at the narrowest
// indentation.
void OutlineView::fitColumns() {
    if (model() == nullptr || header()->count() == 0) {
        return;
    }
    for (int column = 1; column < header()->count(); ++column) {
        header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    int numbers = 0;
    for (int column = 1; column < header()->count(); ++column) {
        numbers += header()->sectionSize(column);
    }
    const int room = std::max(viewport()->width() - numbers, leastKeyRoom());
    const int levels = deepestLevel_ + 1; // the root lines' branch marks too
    const int fitting = room / kIndentShareDivisor / levels;
    setIndentation(std::clamp(fitting, kNarrowestIndentation, plainIndentation_));
    const int deepest = indentation() * levels;
    header()->resizeSection(0, deepest + leastKeyRoom() <= room ? room : deepest + keyTextRoom());
}

// The last row all the way down is the last line shown, whose number is the
// widest of them.
int OutlineView::sizeHintForColumn(int column) const {
    const int inSight = QTreeView::sizeHintForColumn(column);
    if (column == 0 || model() == nullptr || model()->rowCount() == 0) {
        return inSight;
    }
    QModelIndex last;
    while (model()->rowCount(last) > 0) {
        last = model()->index(model()->rowCount(last) - 1, 0, last);
    }
    return std::max(inSight, sizeHintForIndex(last.siblingAtColumn(column)).width());
}

void OutlineView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTreeView::scrollTo(index, hint);
    showKeyText(index);
}

// Sideways, the start of the key's text with one level of indentation before
// it, unless all of it is already in view.
void OutlineView::showKeyText(const QModelIndex& index) {
    if (!index.isValid() || header()->sectionSize(0) <= viewport()->width()) {
        return;
    }
    int level = 0;
    for (QModelIndex at = index.parent(); at.isValid(); at = at.parent()) {
        ++level;
    }
    const int textStart = indentation() * (level + 1);
    const int shown = horizontalScrollBar()->value();
    if (textStart - indentation() < shown ||
        textStart + keyTextRoom() > shown + viewport()->width()) {
        horizontalScrollBar()->setValue(std::max(0, textStart - indentation()));
    }
}

} // namespace besedka
