#pragma once

#include "files/file_store.h"
#include "files/path_map.h"

#include <QMainWindow>

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QAction;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QTimer;
class QTreeView;

namespace besedka {

class KnowledgeDialogs;
class OutlineModel;
class OutlineView;
struct Feedback;
struct KnowledgeContent;
struct ShownLine;

// The knowledge window: what the working directory's tree holds, as an
// outline to look through, search, correct and prune, with the backups to
// go back to. It reads the files without the lock and follows changes made
// by other processes; every change goes through the engine's curation.
class KnowledgeWindow final : public QMainWindow {
    Q_OBJECT

  public:
    KnowledgeWindow(const PathMap& paths, KnowledgeDialogs& dialogs, QWidget* parent = nullptr);
    ~KnowledgeWindow() override;

  private:
    // The tree file as last read: a save by another process makes a new file.
    struct FileSignature {
        unsigned long long inode = 0, size = 0;
        long long modified = 0;
        bool operator==(const FileSignature&) const = default;
    };
    // What stays where it was when the tree is read again.
    struct ViewMemory {
        std::vector<std::vector<std::string>> expanded;
        std::optional<std::vector<std::string>> current;
    };

    void buildMenus();
    QWidget* buildOutlinePanel();
    QWidget* buildAnswerPanel();
    QWidget* buildCheckPanel();
    void buildStatusBar();
    void buildKeys();
    void fitToScreen();

    // Reading and following the files.
    void reload();
    void followChange();
    std::optional<FileSignature> treeSignature() const;
    ViewMemory rememberView() const;
    void restoreView(const ViewMemory& memory);
    void showFigures();
    void watchFiles();

    // Search.
    void applyFilter();

    // Which line or reply list the chat would answer a phrase from.
    void checkPhrase();
    void clearCheck(QLineEdit* field);
    void showCheckResult(const QString& text, std::optional<std::size_t> line);

    // Showing and changing a line.
    std::optional<std::size_t> currentLine() const;
    ShownLine shownLine(std::size_t line) const;
    void showAnswers();
    void editKey(std::size_t line, const QString& typed);
    void editAnswer(QListWidgetItem* item);
    void addAnswer();
    void removeAnswer();
    void forgetSelected();
    void openBackups();
    void teachFromText();
    void exportJson();
    void importJson();
    void mergeDirectory();
    void mergeDocument();
    void mergeContent(const KnowledgeContent& content, const QString& source);
    // Runs a change to one line, after a backup that records `reason`; a
    // refused text is told before, a failure after, and the view then shows
    // the files as they are.
    using LineChange = std::function<void(FileStore&, const Feedback&)>;
    bool changeLine(const ShownLine& shown, const std::optional<QString>& text,
                    const QString& reason, const LineChange& change);
    bool refusedText(const QString& text);
    void tellFailure(const QString& what, const std::vector<ShownLine>& shown);

    const PathMap paths_;
    KnowledgeDialogs& dialogs_;
    OutlineModel* model_ = nullptr;
    OutlineView* outlineView_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QLabel* matchCount_ = nullptr;
    QListWidget* answerList_ = nullptr;
    QPushButton* forgetButton_ = nullptr;
    QPushButton* addAnswerButton_ = nullptr;
    QPushButton* removeAnswerButton_ = nullptr;
    QLabel* linesFigure_ = nullptr;
    QLabel* rootsFigure_ = nullptr;
    QLabel* answersFigure_ = nullptr;
    QLabel* dialoguesFigure_ = nullptr;
    QLabel* readProblem_ = nullptr; // why the tree could not be read
    QLineEdit* checkField_ = nullptr;
    QLineEdit* afterField_ = nullptr;
    QLabel* checkResult_ = nullptr;
    QTimer* filterTimer_ = nullptr;
    QTimer* followTimer_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    std::optional<FileSignature> shownSignature_;
    std::set<std::size_t> expanded_;
    QMenu* baseMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
};

} // namespace besedka
