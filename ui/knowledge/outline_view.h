#pragma once

#include <QTreeView>

namespace besedka {

// The outline's tree view, made for trees that are deep: taught dialogues go
// sixty levels down. The indentation narrows as the tree deepens, the key
// column grows wider than the view when even then the deepest keys would not
// fit (with a horizontal scroll bar), and the view scrolls sideways to show the
// current key's text rather than its indentation. The number columns take only
// the room their contents need, so a narrow window leaves it to the keys.
class OutlineView final : public QTreeView {
    Q_OBJECT

  public:
    explicit OutlineView(QWidget* parent = nullptr);

    // The nesting level of the deepest line shown (0 for root lines).
    void setDeepestLevel(int level);
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    int sizeHintForColumn(int column) const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Room the key column needs beside its indentation to show a key.
    int keyTextRoom() const;
    int leastKeyRoom() const;
    void fitColumns();
    void showKeyText(const QModelIndex& index);

    int deepestLevel_ = 0;
    int plainIndentation_ = 0;
};

} // namespace besedka
