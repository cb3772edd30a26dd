#include "knowledge_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace besedka {
namespace {

QString title() {
    return QStringLiteral("База знаний");
}

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
    const QString text = QInputDialog::getText(parent, title(), label, QLineEdit::Normal, {},
                                               &accepted);
    return accepted ? std::optional(text) : std::nullopt;
}

} // namespace besedka
