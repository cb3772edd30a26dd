#pragma once

#include "curation/outline.h"
#include "files/string_list.h"
#include "knowledge/tree_indexes.h"

#include <QAbstractItemModel>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// The knowledge tree as an item model: root lines at the top, each deeper
// line under the line it hangs under in the outline. The model keeps the
// lines as they are; an index carries its line number (0 is the header,
// never shown) in internalId(), and each line's children are found in arrays
// built once per tree and filter, so a view of a million lines costs no item
// per line. Columns: the key, the number of answers, the line number as a
// text editor counts. A key's tooltip holds it whole with its level and line,
// for a key too deep to show in full.
class OutlineModel final : public QAbstractItemModel {
    Q_OBJECT

  public:
    enum Column { KeyColumn, AnswersColumn, NumberColumn, ColumnCount };

    explicit OutlineModel(QObject* parent = nullptr);

    // Shows a new tree, with the filter cleared, and starts making its
    // indexes.
    void setTree(StringList tree);
    const StringList& tree() const { return tree_; }
    const Outline& outline() const { return outline_; }
    // The lines findInTree finds for `text` in the tree, numbered from 0;
    // the search before narrows it when typing went on.
    std::vector<std::size_t> find(std::string_view text);
    // What the tree is looked up by, made once for it.
    const TreeIndexes& indexes() const { return indexes_; }
    // How many lines the deepest line hangs under (0 when all are roots).
    int deepestLevel() const { return deepestLevel_; }

    // Shows only `lines` (numbers from 0) and the lines that lead to them;
    // nothing shows every line.
    void setFilter(std::optional<std::vector<std::size_t>> lines);
    bool filtered() const { return filtered_; }
    // The lines shown, matches and the lines above them.
    std::size_t shownLines() const { return children_.size(); }

    // The line of an index, or nothing for the root.
    std::optional<std::size_t> lineOf(const QModelIndex& index) const;
    // The index of a shown line; invalid when the line is not shown.
    QModelIndex indexOfLine(std::size_t line, int column = KeyColumn) const;

    // A line's key with its depth marks and those of the lines it hangs
    // under, from the top: what finds "the same line" in a changed tree.
    std::vector<std::string> keyPath(std::size_t line) const;
    std::optional<std::size_t> lineAtKeyPath(const std::vector<std::string>& path) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Asks for the key to be changed (keyEdited); the model itself changes
    // only when a new tree is set.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  signals:
    void keyEdited(std::size_t line, const QString& key);

  private:
    bool shown(std::size_t line) const { return !filtered_ || visible_[line] != 0; }
    // The children of a line, or of the root for line 0 (no line hangs under
    // the header).
    std::size_t childCount(std::size_t line) const;
    std::size_t child(std::size_t line, std::size_t row) const;
    template <typename Each> void eachShown(Each&& each) const;
    void buildChildren();
    QString toolTip(std::size_t line) const;

    StringList tree_;
    Outline outline_{TextLines()};
    TreeIndexes indexes_;
    std::optional<TreeSearch::Found> lastFound_; // in this tree
    bool filtered_ = false;
    std::vector<std::uint8_t> visible_;
    std::vector<std::uint32_t> childStart_; // per line, then one past the end
    std::vector<std::uint32_t> children_;
    std::vector<std::uint32_t> rowOf_;
    int deepestLevel_ = 0;
};

} // namespace besedka
