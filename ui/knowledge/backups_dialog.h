#pragma once

#include <QDialog>

#include <filesystem>

class QPushButton;
class QTreeWidget;

namespace besedka {

class KnowledgeDialogs;

// The backups of a working directory's knowledge base, newest first (time,
// files, tree lines), with "Восстановить" to put one back after a
// confirmation. A restore backs up the state it replaces, so it can be undone
// from the same list.
class BackupsDialog final : public QDialog {
    Q_OBJECT

  public:
    BackupsDialog(const std::filesystem::path& workdir, KnowledgeDialogs& dialogs,
                  QWidget* parent = nullptr);

  signals:
    // A backup was put back: the files changed.
    void restored();

  private:
    void listBackups();
    void restoreChosen();

    const std::filesystem::path workdir_;
    KnowledgeDialogs& dialogs_;
    QTreeWidget* list_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
};

} // namespace besedka
