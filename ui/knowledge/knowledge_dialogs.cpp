#include "knowledge/knowledge_dialogs.h"

#include <algorithm>
#include <climits>

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace besedka {
namespace {

QString title() {
    return QStringLiteral("База знаний");
}

std::optional<QString> chosen(const QString& path) {
    return path.isEmpty() ? std::nullopt : std::optional(path);
}

// A modal progress dialog: each step lets the window repaint and the cancel
// button be pressed.
class DialogProgress final : public Progress {
  public:
    DialogProgress(QWidget* parent, const QString& label)
        : dialog_(label, QStringLiteral("Отмена"), 0, 0, parent) {
        dialog_.setWindowTitle(title());
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
    }
    bool step(std::size_t done, std::size_t total) override {
        dialog_.setMaximum(static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
        dialog_.setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
        return !dialog_.wasCanceled();
    }

  private:
    QProgressDialog dialog_;
};

} // namespace

bool StandardKnowledgeDialogs::confirm(QWidget* parent, const QString& question) {
    return QMessageBox::question(parent, title(), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void StandardKnowledgeDialogs::inform(QWidget* parent, const QString& message) {
    QMessageBox::information(parent, title(), message);
}

void StandardKnowledgeDialogs::showError(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, title(), message);
}

std::optional<QString> StandardKnowledgeDialogs::askText(QWidget* parent, const QString& label) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title(), label, QLineEdit::Normal, {}, &accepted);
    return accepted ? std::optional(text) : std::nullopt;
}

} // namespace besedka

namespace besedka {

std::optional<QString> StandardKnowledgeDialogs::chooseFileToOpen(QWidget* parent,
                                                                  const QString& caption,
                                                                  const QString& filter) {
    return chosen(QFileDialog::getOpenFileName(parent, caption, {}, filter));
}

std::optional<QString> StandardKnowledgeDialogs::chooseFileToSave(QWidget* parent,
                                                                  const QString& caption,
                                                                  const QString& filter,
                                                                  const QString& suggested) {
    return chosen(QFileDialog::getSaveFileName(parent, caption, suggested, filter));
}

std::optional<QString> StandardKnowledgeDialogs::chooseDirectory(QWidget* parent,
                                                                 const QString& caption) {
    return chosen(QFileDialog::getExistingDirectory(parent, caption));
}

std::unique_ptr<Progress> StandardKnowledgeDialogs::showProgress(QWidget* parent,
                                                                 const QString& label) {
    return std::make_unique<DialogProgress>(parent, label);
}

} // namespace besedka
