// The knowledge window's changes: a key or an answer corrected, an answer
// added or removed, lines forgotten. Each goes through the engine's curation
// (the lock, a backup, an atomic save, the line checked against what the
// user saw) and the view then shows the files as they are.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "curation/edit_line.h"
#include "curation/forget.h"
#include "curation/teach.h"
#include "knowledge/backups_dialog.h"
#include "knowledge/curation_text.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/outline_model.h"
#include "text/russian.h"
#include "text/tree_line.h"

#include "knowledge/outline_view.h"
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

namespace besedka {
namespace {

// "1 строку", "3 строки", "5 строк": the number of lines as "забыть" takes it.
QString linesToForget(std::size_t count) {
    return QString::number(static_cast<qulonglong>(count)) + QLatin1Char(' ') +
           QString::fromUtf8(russianPlural(count, "строку", "строки", "строк").data());
}

QString problemText(PhraseProblem problem) {
    switch (problem) {
    case PhraseProblem::Empty:
        return QStringLiteral("Пустой текст сохранить нельзя.");
    case PhraseProblem::Delimiter:
        return QStringLiteral("Символы «^», «_» и «;» разделяют части строк базы, "
                              "во фразах и ответах их быть не может.");
    case PhraseProblem::LineBreak:
        return QStringLiteral("Фраза или ответ должны быть одной строкой.");
    case PhraseProblem::NotInCodePage:
        return QStringLiteral("В тексте есть символ, которого нет в кодировке Windows-1251: "
                              "база его не сохранит.");
    }
    return {};
}

} // namespace

std::optional<std::size_t> KnowledgeWindow::currentLine() const {
    return model_->lineOf(outlineView_->currentIndex());
}

ShownLine KnowledgeWindow::shownLine(std::size_t line) const {
    return {line + 1, std::string(model_->tree().line(line))};
}

void KnowledgeWindow::showAnswers() {
    const QSignalBlocker blocker(answerList_);
    answerList_->clear();
    const auto line = currentLine();
    const std::string_view text = line ? model_->tree().line(*line) : std::string_view();
    const TreeLine tree(text);
    for (std::size_t k = 1; k <= tree.answerCount(); ++k) {
        auto* item = new QListWidgetItem(toQString(tree.answer(k)), answerList_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (answerList_->count() > 0) {
        answerList_->setCurrentRow(0);
    }
    const bool changeable = line && !treeLineProblem(text);
    addAnswerButton_->setEnabled(changeable);
    removeAnswerButton_->setEnabled(changeable && answerList_->count() > 0);
    forgetButton_->setEnabled(line.has_value());
}

bool KnowledgeWindow::refusedText(const QString& text) {
    const auto problem = phraseProblem(text.toStdString());
    if (problem) {
        dialogs_.showError(this, problemText(*problem));
    }
    return problem.has_value();
}

bool KnowledgeWindow::changeLine(const ShownLine& shown, const std::optional<QString>& text,
                                 const QString& reason, const LineChange& change) {
    if (text && refusedText(*text)) {
        showAnswers();
        return false;
    }
    QStringList backupProblems;
    Feedback feedback = windowFeedback(
        [&](const BackupProblem& problem) { backupProblems << backupFailureCause(problem); });
    feedback.backupReason = reason.toStdString();
    try {
        // A store of its own backs up before this change, so that each can
        // be undone alone.
        FileStore store(paths_);
        change(store, feedback);
    } catch (const Error& error) {
        tellFailure(curationMessage(error, paths_.workdir()), {shown});
        return false;
    }
    reload();
    // The line keeps its place; a new key would not find it by its old one.
    const QModelIndex changed = model_->indexOfLine(shown.number - 1);
    if (changed.isValid()) {
        outlineView_->setCurrentIndex(changed);
    }
    if (!backupProblems.isEmpty()) {
        dialogs_.showError(this, QStringLiteral("Изменение сохранено, но резервная копия не "
                                                "сделана: ") +
                                     backupProblems.join(QStringLiteral("; ")));
    }
    return true;
}

// Shows the files as they are now, and says whether a line the user acted on
// had changed on disk meanwhile (a chat learned into it) or what failed.
void KnowledgeWindow::tellFailure(const QString& what, const std::vector<ShownLine>& shown) {
    reload();
    const StringList& tree = model_->tree();
    const auto changed = std::find_if(shown.begin(), shown.end(), [&](const ShownLine& line) {
        return line.number > tree.count() || tree.line(line.number - 1) != line.text;
    });
    if (changed != shown.end()) {
        dialogs_.showError(this, QStringLiteral("Строка %1 изменилась на диске с тех пор, как была "
                                                "показана (её могла изменить беседа). Ничего не "
                                                "изменено; теперь показано то, что в файле.")
                                     .arg(static_cast<qulonglong>(changed->number)));
        return;
    }
    dialogs_.showError(this, QStringLiteral("Ничего не изменено: ") + what);
}

// The view commits an edit from inside the model; the change and the reload
// that follows run once it has finished.
// A key is stored as teaching stores one (capitals, no end punctuation), so
// that a corrected key still matches what the user will say.
void KnowledgeWindow::editKey(std::size_t line, const QString& typed) {
    const ShownLine shown = shownLine(line);
    if (toQString(TreeLine(shown.text).key()) == typed) {
        return;
    }
    QTimer::singleShot(0, this, [this, shown, typed] {
        if (refusedText(typed)) {
            showAnswers();
            return;
        }
        const QString key = toQString(teachingKey(fromQString(typed)));
        if (key.isEmpty()) {
            dialogs_.showError(this, QStringLiteral("От фразы «%1» не остаётся ключа, когда "
                                                    "отброшены знаки препинания в конце.")
                                         .arg(typed));
            return;
        }
        if (key == toQString(TreeLine(shown.text).key())) {
            return;
        }
        const QString reason = QStringLiteral("перед: изменить фразу «%1» на «%2»")
                                   .arg(toQString(TreeLine(shown.text).key()), key);
        changeLine(shown, key, reason, [&](FileStore& store, const Feedback& feedback) {
            setKey(store, shown, key.toStdString(), feedback);
        });
    });
}

void KnowledgeWindow::editAnswer(QListWidgetItem* item) {
    const auto line = currentLine();
    if (!line) {
        return;
    }
    const ShownLine shown = shownLine(*line);
    const std::size_t answer = static_cast<std::size_t>(answerList_->row(item)) + 1;
    const QString text = item->text();
    QTimer::singleShot(0, this, [this, shown, answer, text] {
        const QString reason = QStringLiteral("перед: изменить ответ «%1»")
                                   .arg(toQString(TreeLine(shown.text).answer(answer)));
        if (changeLine(shown, text, reason, [&](FileStore& store, const Feedback& feedback) {
                setAnswer(store, shown, answer, text.toStdString(), feedback);
            })) {
            answerList_->setCurrentRow(static_cast<int>(answer) - 1);
        }
    });
}

void KnowledgeWindow::addAnswer() {
    const auto line = currentLine();
    if (!line || !addAnswerButton_->isEnabled()) {
        return;
    }
    const ShownLine shown = shownLine(*line);
    const auto text = dialogs_.askText(
        this, QStringLiteral("Новый ответ на «%1»:").arg(toQString(TreeLine(shown.text).key())));
    if (!text) {
        return;
    }
    const QString reason = QStringLiteral("перед: добавить ответ «%1»").arg(*text);
    if (changeLine(shown, *text, reason, [&](FileStore& store, const Feedback& feedback) {
            besedka::addAnswer(store, shown, text->toStdString(), feedback);
        })) {
        answerList_->setCurrentRow(answerList_->count() - 1);
    }
}

void KnowledgeWindow::removeAnswer() {
    const auto line = currentLine();
    const int row = answerList_->currentRow();
    if (!line || row < 0 || !removeAnswerButton_->isEnabled()) {
        return;
    }
    const ShownLine shown = shownLine(*line);
    const QString answer = answerList_->item(row)->text();
    if (!dialogs_.confirm(this, QStringLiteral("Удалить ответ «%1» фразы «%2»?")
                                    .arg(answer, toQString(TreeLine(shown.text).key())))) {
        return;
    }
    changeLine(shown, std::nullopt, QStringLiteral("перед: удалить ответ «%1»").arg(answer),
               [&](FileStore& store, const Feedback& feedback) {
                   besedka::removeAnswer(store, shown, static_cast<std::size_t>(row) + 1, feedback);
               });
}

// The selected lines with their branches, after a confirmation that says how
// many lines go. A fresh store backs up before each forget.
void KnowledgeWindow::forgetSelected() {
    std::vector<std::size_t> lines;
    for (const QModelIndex& index : outlineView_->selectionModel()->selectedRows()) {
        lines.push_back(*model_->lineOf(index));
    }
    if (lines.empty() && currentLine()) {
        lines.push_back(*currentLine());
    }
    if (lines.empty()) {
        return;
    }
    std::sort(lines.begin(), lines.end());
    std::size_t count = 0;
    std::size_t covered = 0; // branches nest, so a line below `covered` is counted
    ForgetRequest request;
    std::vector<ShownLine> shown;
    for (const std::size_t line : lines) {
        if (line >= covered) {
            covered = model_->outline().branchEnd(line);
            count += covered - line;
        }
        shown.push_back(shownLine(line));
        request.numbers.push_back(shown.back().number);
        request.expected.push_back(shown.back().text);
    }
    QStringList keys;
    for (const ShownLine& line : shown) {
        keys << QStringLiteral("«%1»").arg(toQString(TreeLine(line.text).key()));
    }
    constexpr int kKeysNamed = 3;
    const QString named = keys.size() <= kKeysNamed
                              ? keys.join(QStringLiteral(", "))
                              : keys.mid(0, kKeysNamed).join(QStringLiteral(", ")) +
                                    QStringLiteral(" и ещё %1").arg(keys.size() - kKeysNamed);
    if (!dialogs_.confirm(this, QStringLiteral("Забыть %1 — %2 с ветвями? Перед этим будет "
                                               "сделана резервная копия.")
                                    .arg(linesToForget(count), named))) {
        return;
    }
    QStringList backupProblems;
    try {
        FileStore store(paths_);
        Feedback feedback = windowFeedback(
            [&](const BackupProblem& problem) { backupProblems << backupFailureCause(problem); });
        feedback.backupReason =
            (QStringLiteral("перед: забыть ") + linesToForget(count)).toStdString();
        forgetLines(store, request, feedback);
    } catch (const Error& error) {
        tellFailure(curationMessage(error, paths_.workdir()), shown);
        return;
    }
    reload();
    // The place stays: the line that came after the first one forgotten, or
    // the one before it at the end of the tree.
    const std::size_t place =
        std::min(lines.front(), std::max<std::size_t>(model_->tree().count(), 1) - 1);
    for (std::size_t line = place; line > 0; --line) {
        if (const QModelIndex index = model_->indexOfLine(line); index.isValid()) {
            outlineView_->setCurrentIndex(index);
            outlineView_->scrollTo(index);
            break;
        }
    }
    if (!backupProblems.isEmpty()) {
        dialogs_.showError(this, QStringLiteral("Строки забыты, но резервная копия не сделана: ") +
                                     backupProblems.join(QStringLiteral("; ")));
    }
}

} // namespace besedka

namespace besedka {

void KnowledgeWindow::openBackups() {
    auto* dialog = new BackupsDialog(paths_.workdir(), dialogs_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &BackupsDialog::restored, this, &KnowledgeWindow::reload);
    dialog->open();
}

} // namespace besedka
