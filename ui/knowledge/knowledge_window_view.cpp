// The knowledge window reading the files: at start, after each change and
// whenever another process has saved them; and the search over what it read.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "curation/stats.h"
#include "curation/tree.h"
#include "files/file_error.h"
#include "files/kb_paths.h"
#include "knowledge/curation_text.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/outline_model.h"

#include "knowledge/outline_view.h"
#include <QApplication>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace besedka {
namespace {

// Past this many lines shown the view does not open every branch that leads
// to a match: opening them all would take longer than reading them, and the
// view opens each level of a branch inside the one above it.
constexpr std::size_t kLinesOpened = 2000;

QString figure(const char* caption, std::optional<std::size_t> value) {
    return QString::fromUtf8(caption) +
           (value ? QString::number(static_cast<qulonglong>(*value)) : QStringLiteral("—"));
}

} // namespace

std::optional<KnowledgeWindow::FileSignature> KnowledgeWindow::treeSignature() const {
    struct stat info {};
    if (::stat(paths_.resolve(paths::kWords).c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileSignature{
        static_cast<unsigned long long>(info.st_ino), static_cast<unsigned long long>(info.st_size),
        static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL + info.st_mtim.tv_nsec};
}

// Reads the tree afresh and shows it as the user left the view: the same
// search, the same lines open and current where they are still there. The
// signature is taken first, so a save that comes during the read is followed
// again.
void KnowledgeWindow::reload() {
    const ViewMemory memory = rememberView();
    shownSignature_ = treeSignature();
    StringList tree;
    readProblem_->clear();
    try {
        tree = loadTree(FileStore(paths_));
    } catch (const FileError& error) {
        readProblem_->setText(curationSentence(error, paths_.workdir()));
    }
    expanded_.clear();
    checkResult_->clear(); // told of the tree as it was
    model_->setTree(std::move(tree));
    if (!searchField_->text().isEmpty()) {
        applyFilter();
    }
    restoreView(memory);
    showAnswers();
    showFigures();
    watchFiles();
}

void KnowledgeWindow::followChange() {
    // An open editor would be lost with the view: wait until it closes.
    const QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && (outlineView_->viewport()->isAncestorOf(focus) ||
                             answerList_->viewport()->isAncestorOf(focus))) {
        followTimer_->start();
        return;
    }
    if (treeSignature() != shownSignature_) {
        reload();
    } else {
        showFigures();
        watchFiles();
    }
}

// The Base directory sees every save (a new file renamed into place); the
// tree file itself sees a change written into it by hand.
void KnowledgeWindow::watchFiles() {
    for (const auto& path : {paths_.resolve("Base"), paths_.resolve(paths::kWords)}) {
        const QString name = QString::fromStdString(path.string());
        std::error_code error;
        if (std::filesystem::exists(path, error) && !watcher_->directories().contains(name) &&
            !watcher_->files().contains(name)) {
            watcher_->addPath(name);
        }
    }
}

KnowledgeWindow::ViewMemory KnowledgeWindow::rememberView() const {
    ViewMemory memory;
    for (const std::size_t line : expanded_) {
        if (line > 0 && line < model_->tree().count()) {
            memory.expanded.push_back(model_->keyPath(line));
        }
    }
    if (const auto line = currentLine()) {
        memory.current = model_->keyPath(*line);
    }
    return memory;
}

void KnowledgeWindow::restoreView(const ViewMemory& memory) {
    for (const auto& path : memory.expanded) {
        if (const auto line = model_->lineAtKeyPath(path)) {
            outlineView_->expand(model_->indexOfLine(*line));
        }
    }
    const auto current = memory.current ? model_->lineAtKeyPath(*memory.current) : std::nullopt;
    const QModelIndex index =
        current ? model_->indexOfLine(*current) : model_->index(0, OutlineModel::KeyColumn);
    if (index.isValid()) {
        outlineView_->setCurrentIndex(index);
        outlineView_->scrollTo(index);
    }
}

void KnowledgeWindow::showFigures() {
    const TreeFigures tree = treeFigures(model_->tree());
    linesFigure_->setText(figure("Выучено фраз: ", tree.learned()));
    rootsFigure_->setText(figure("Корневых: ", tree.roots));
    answersFigure_->setText(figure("Ответов: ", tree.answers));
    dialoguesFigure_->setText(figure("Диалогов в журнале: ", dialoguesInLog(FileStore(paths_))));
}

// The lines whose key or answers hold the text, any Cyrillic case, "ё" as "е", with the
// lines that lead to them; the first match becomes current when the current
// line is filtered out.
void KnowledgeWindow::applyFilter() {
    filterTimer_->stop();
    const QString text = searchField_->text();
    if (text.isEmpty()) {
        const ViewMemory memory = rememberView();
        model_->setFilter(std::nullopt);
        matchCount_->clear();
        restoreView(memory);
        return;
    }
    const std::optional<std::size_t> before = currentLine();
    const std::string wanted = fromQString(text);
    std::vector<std::size_t> lines;
    // A character that Windows-1251 cannot write is in no line.
    if (toQString(wanted) == text) {
        lines = model_->find(wanted);
    }
    const std::size_t matches = lines.size();
    const std::optional<std::size_t> first =
        lines.empty() ? std::nullopt : std::optional(lines.front());
    const bool keepCurrent = before && std::binary_search(lines.begin(), lines.end(), *before);
    const std::set<std::size_t> keptOpen = expanded_;
    model_->setFilter(std::move(lines));
    expanded_ = keptOpen;
    matchCount_->setText(QStringLiteral("Найдено: %1").arg(static_cast<qulonglong>(matches)));
    if (model_->shownLines() <= kLinesOpened) {
        outlineView_->expandAll();
    }
    const QModelIndex current = keepCurrent ? model_->indexOfLine(*before)
                                : first     ? model_->indexOfLine(*first)
                                            : QModelIndex();
    if (current.isValid()) {
        outlineView_->setCurrentIndex(current);
        outlineView_->scrollTo(current);
    }
    showAnswers();
}

} // namespace besedka
