#include "knowledge/outline_model.h"

#include "common/qt_text.h"
#include "text/tree_line.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace besedka {
namespace {

// What names a line in the tree: its key with its depth marks, or for a line
// without a key (it breaks the grammar) the whole line.
std::string_view keyOf(std::string_view line) {
    const TreeLine tree(line);
    return tree.hasSeparator() ? tree.keyWithMarks() : line;
}

// A key as the outline shows it, without its depth marks.
QString shownKey(std::string_view line) {
    const std::string_view key = keyOf(line);
    return toQString(key.substr(std::min(key.find_first_not_of('_'), key.size())));
}

} // namespace

OutlineModel::OutlineModel(QObject* parent) : QAbstractItemModel(parent) {
    buildChildren();
}

void OutlineModel::setTree(StringList tree) {
    beginResetModel();
    tree_ = std::move(tree);
    indexes_.setTree(tree_);
    lastFound_.reset();
    outline_ = Outline(tree_.textLines());
    filtered_ = false;
    visible_.clear();
    buildChildren();
    deepestLevel_ = 0;
    std::vector<int> levels(outline_.size(), 0);
    for (std::size_t line = 1; line < outline_.size(); ++line) {
        if (const auto parent = outline_.parent(line)) {
            levels[line] = levels[*parent] + 1;
            deepestLevel_ = std::max(deepestLevel_, levels[line]);
        }
    }
    endResetModel();
}

void OutlineModel::setFilter(std::optional<std::vector<std::size_t>> lines) {
    beginResetModel();
    filtered_ = lines.has_value();
    visible_.assign(filtered_ ? outline_.size() : 0, 0);
    if (lines) {
        // Each match and the lines above it, up to the first already marked.
        for (std::size_t line : *lines) {
            while (line < visible_.size() && visible_[line] == 0) {
                visible_[line] = 1;
                line = outline_.parent(line).value_or(visible_.size());
            }
        }
    }
    buildChildren();
    endResetModel();
}

std::vector<std::size_t> OutlineModel::find(std::string_view text) {
    lastFound_ = indexes_.search()->find(text, lastFound_ ? &*lastFound_ : nullptr);
    return lastFound_->lines;
}

// Calls each(line) for the shown lines in order. Under a filter the marks
// are skipped a run at a time: a search that finds little reads little.
template <typename Each> void OutlineModel::eachShown(Each&& each) const {
    const std::size_t size = outline_.size();
    if (!filtered_) {
        for (std::size_t line = 1; line < size; ++line) {
            each(line);
        }
        return;
    }
    const auto* const marks = visible_.data();
    for (std::size_t line = 1; line < size; ++line) {
        const void* next = std::memchr(marks + line, 1, size - line);
        if (next == nullptr) {
            return;
        }
        line = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - marks);
        each(line);
    }
}

// Children arrays from three passes over the shown lines and none over the
// others: count each line under its parent (the root lines under line 0),
// place them where their parent's children start, which moves each start to
// the next parent's, and number their rows.
void OutlineModel::buildChildren() {
    const std::size_t size = outline_.size();
    const auto parentOf = [this](std::size_t line) { return outline_.parent(line).value_or(0); };
    childStart_.assign(size + 1, 0);
    rowOf_.resize(size); // read for shown lines only, all set below
    eachShown([&](std::size_t line) { ++childStart_[parentOf(line)]; });
    std::uint32_t total = 0;
    for (std::uint32_t& start : childStart_) {
        total += std::exchange(start, total);
    }
    children_.resize(total);
    eachShown([&](std::size_t line) {
        const std::uint32_t at = childStart_[parentOf(line)]++;
        children_[at] = static_cast<std::uint32_t>(line);
        rowOf_[line] = at;
    });
    if (size > 0) {
        std::copy_backward(childStart_.begin(), childStart_.end() - 1, childStart_.end());
        childStart_[0] = 0;
    }
    eachShown([&](std::size_t line) { rowOf_[line] -= childStart_[parentOf(line)]; });
}

std::size_t OutlineModel::childCount(std::size_t line) const {
    return line < outline_.size() ? childStart_[line + 1] - childStart_[line] : 0;
}

std::size_t OutlineModel::child(std::size_t line, std::size_t row) const {
    return children_[childStart_[line] + row];
}

std::optional<std::size_t> OutlineModel::lineOf(const QModelIndex& index) const {
    if (!index.isValid()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(index.internalId());
}

QModelIndex OutlineModel::indexOfLine(std::size_t line, int column) const {
    if (line == 0 || line >= outline_.size() || !shown(line)) {
        return {};
    }
    return createIndex(static_cast<int>(rowOf_[line]), column, static_cast<quintptr>(line));
}

std::vector<std::string> OutlineModel::keyPath(std::size_t line) const {
    std::vector<std::string> path;
    for (std::optional<std::size_t> at = line; at; at = outline_.parent(*at)) {
        path.emplace_back(keyOf(tree_.line(*at)));
    }
    std::reverse(path.begin(), path.end());
    return path;
}

std::optional<std::size_t> OutlineModel::lineAtKeyPath(const std::vector<std::string>& path) const {
    std::size_t at = 0;
    for (const std::string& key : path) {
        const auto* first = children_.data() + childStart_[at];
        const auto* last = first + childCount(at);
        const auto* found = std::find_if(
            first, last, [&](std::uint32_t line) { return keyOf(tree_.line(line)) == key; });
        if (found == last) {
            return std::nullopt;
        }
        at = *found;
    }
    return path.empty() ? std::nullopt : std::optional(at);
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const {
    const std::size_t line = lineOf(parent).value_or(0);
    if (row < 0 || column < 0 || column >= ColumnCount ||
        (parent.isValid() && parent.column() != 0) ||
        static_cast<std::size_t>(row) >= childCount(line)) {
        return {};
    }
    return createIndex(row, column,
                       static_cast<quintptr>(child(line, static_cast<std::size_t>(row))));
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const {
    const auto line = lineOf(child);
    if (!line) {
        return {};
    }
    const auto parentLine = outline_.parent(*line);
    return parentLine ? indexOfLine(*parentLine) : QModelIndex();
}

int OutlineModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(childCount(lineOf(parent).value_or(0)));
}

int OutlineModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const {
    const auto line = lineOf(index);
    if (!line || (role != Qt::DisplayRole && role != Qt::EditRole &&
                  role != Qt::TextAlignmentRole && role != Qt::ToolTipRole)) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        return index.column() == KeyColumn ? toolTip(*line) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        return index.column() == KeyColumn ? QVariant()
                                           : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    const std::string_view text = tree_.line(*line);
    switch (index.column()) {
    case KeyColumn:
        return shownKey(text);
    case AnswersColumn:
        return static_cast<qulonglong>(TreeLine(text).answerCount());
    default:
        return static_cast<qulonglong>(*line + 1);
    }
}

QString OutlineModel::toolTip(std::size_t line) const {
    int level = 1;
    for (auto at = outline_.parent(line); at; at = outline_.parent(*at)) {
        ++level;
    }
    return QStringLiteral("%1\nУровень %2, строка %3")
        .arg(shownKey(tree_.line(line)))
        .arg(level)
        .arg(static_cast<qulonglong>(line + 1));
}

QVariant OutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case KeyColumn:
        return QStringLiteral("Фраза");
    case AnswersColumn:
        return QStringLiteral("Ответов");
    case NumberColumn:
        return QStringLiteral("Строка");
    default:
        return {};
    }
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == KeyColumn ? flags | Qt::ItemIsEditable : flags;
}

bool OutlineModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const auto line = lineOf(index);
    if (!line || role != Qt::EditRole || index.column() != KeyColumn) {
        return false;
    }
    emit keyEdited(*line, value.toString());
    return false;
}

} // namespace besedka
