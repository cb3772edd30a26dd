// The knowledge window's changes: a key or an answer corrected, an answer
// added or removed, lines forgotten. Each goes through the engine's curation
// (the lock, a backup, an atomic save, the line checked against what the
// user saw) and the view then shows the files as they are.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "curation/edit_line.h"
#include "curation/forget.h"
#include "knowledge/backups_dialog.h"
#include "knowledge/curation_text.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/outline_model.h"
#include "text/tree_line.h"

#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace besedka {
namespace {

// "1 строку", "3 строки", "5 строк": the number of lines as "забыть" takes it.
QString linesToForget(std::size_t count) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    const char* word = (last == 1 && lastTwo != 11)                                 ? "строку"
                       : (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) ? "строки"
                                                                                    : "строк";
    return QString::number(static_cast<qulonglong>(count)) + QLatin1Char(' ') +
           QString::fromUtf8(word);
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
                                 const std::function<void(const Feedback&)>& change) {
    if (text && refusedText(*text)) {
        showAnswers();
        return false;
    }
    QStringList backupProblems;
    const Feedback feedback = windowFeedback(
        [&](const std::string& problem) { backupProblems << QString::fromStdString(problem); });
    try {
        change(feedback);
    } catch (const Error& error) {
        tellFailure(curationMessage(error), {shown});
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
void KnowledgeWindow::editKey(std::size_t line, const QString& key) {
    const ShownLine shown = shownLine(line);
    if (toQString(TreeLine(shown.text).key()) == key) {
        return;
    }
    QTimer::singleShot(0, this, [this, shown, key] {
        changeLine(shown, key, [&](const Feedback& feedback) {
            setKey(editStore_, shown, key.toStdString(), feedback);
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
        if (changeLine(shown, text, [&](const Feedback& feedback) {
                setAnswer(editStore_, shown, answer, text.toStdString(), feedback);
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
    if (changeLine(shown, *text, [&](const Feedback& feedback) {
            besedka::addAnswer(editStore_, shown, text->toStdString(), feedback);
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
    if (!dialogs_.confirm(
            this, QStringLiteral("Удалить ответ «%1»?").arg(answerList_->item(row)->text()))) {
        return;
    }
    changeLine(shown, std::nullopt, [&](const Feedback& feedback) {
        besedka::removeAnswer(editStore_, shown, static_cast<std::size_t>(row) + 1, feedback);
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
    if (!dialogs_.confirm(this, QStringLiteral("Забыть %1 (выбранные фразы с их ветвями)? Перед "
                                               "этим будет сделана резервная копия.")
                                    .arg(linesToForget(count)))) {
        return;
    }
    QStringList backupProblems;
    try {
        FileStore store(paths_);
        forgetLines(store, request, windowFeedback([&](const std::string& problem) {
                        backupProblems << QString::fromStdString(problem);
                    }));
    } catch (const Error& error) {
        tellFailure(curationMessage(error), shown);
        return;
    }
    reload();
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
