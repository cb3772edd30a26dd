// The knowledge window's phrase check: which tree line or reply list the chat
// would answer a phrase from, in a new dialogue or after one of its replies,
// told as kb why tells it and with the answering line made current. It reads
// the tree the window holds and changes nothing.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "curation/curation_error.h"
#include "curation/explain_answer.h"
#include "knowledge/answer_text.h"
#include "knowledge/outline_model.h"
#include "knowledge/outline_view.h"
#include "talk/phrase.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace besedka {
namespace {

QLineEdit* checkLine(QWidget* parent, const char* name, const QString& accessibleName,
                     const QString& toolTip) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setAccessibleName(accessibleName);
    field->setToolTip(toolTip);
    field->setClearButtonEnabled(true);
    return field;
}

} // namespace

QWidget* KnowledgeWindow::buildCheckPanel() {
    auto* panel = new QWidget(this);
    auto* checkLabel = new QLabel(QStringLiteral("Проверить &фразу:"), panel);
    checkField_ = checkLine(panel, "checkField", QStringLiteral("Проверить фразу"),
                            QStringLiteral("Какая строка дерева или какой список ответит на "
                                           "эту фразу (Enter — проверить, Ctrl+K — сюда)"));
    checkField_->setMaxLength(static_cast<int>(kLongestTypedPhrase)); // as the chat's own field
    checkLabel->setBuddy(checkField_);
    auto* afterLabel = new QLabel(QStringLiteral("после &реплики:"), panel);
    afterField_ = checkLine(panel, "afterField", QStringLiteral("после реплики"),
                            QStringLiteral("Ответ чата, на который сказана фраза; "
                                           "пусто — фраза начинает новый диалог"));
    afterLabel->setBuddy(afterField_);
    checkResult_ = new QLabel(panel);
    checkResult_->setObjectName(QStringLiteral("checkResult"));
    checkResult_->setAccessibleName(QStringLiteral("Результат проверки"));
    checkResult_->setWordWrap(true);
    checkResult_->setTextFormat(Qt::PlainText);
    checkResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The text wraps to the width it is given and never widens the window.
    checkResult_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    for (QLineEdit* field : {checkField_, afterField_}) {
        connect(field, &QLineEdit::returnPressed, this, &KnowledgeWindow::checkPhrase);
        auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), field);
        clear->setContext(Qt::WidgetShortcut);
        connect(clear, &QShortcut::activated, this, [this, field] { clearCheck(field); });
    }

    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(checkLabel);
    fieldRow->addWidget(checkField_, 3);
    fieldRow->addWidget(afterLabel);
    fieldRow->addWidget(afterField_, 2);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(layout->contentsMargins().left(), 0,
                               layout->contentsMargins().right(), 0);
    layout->addLayout(fieldRow);
    layout->addWidget(checkResult_);
    return panel;
}

// Escape empties the field and the result, and once the field is empty goes
// back to the outline, as in the search field.
void KnowledgeWindow::clearCheck(QLineEdit* field) {
    if (field->text().isEmpty()) {
        outlineView_->setFocus();
        return;
    }
    field->clear();
    checkResult_->clear();
}

void KnowledgeWindow::checkPhrase() {
    const QString phrase = checkField_->text();
    const QString after = afterField_->text();
    if (phrase.isEmpty()) {
        checkResult_->clear();
        return;
    }
    // A tree that could not be read answers nothing: say why instead.
    if (!readProblem_->text().isEmpty()) {
        showCheckResult(readProblem_->text(), std::nullopt);
        return;
    }
    for (const QString& typed : {phrase, after}) {
        if (const auto character = firstOutsideCp1251(typed)) {
            showCheckResult(notInCodePageText(*character), std::nullopt);
            return;
        }
    }
    const std::optional<std::string> afterReply =
        after.isEmpty() ? std::nullopt : std::optional(fromQString(after));
    try {
        const auto keys = model_->indexes().keys();
        const auto search = model_->indexes().search();
        const AnswerExplained explained = explainAnswer(model_->tree().textLines(), *keys, *search,
                                                        fromQString(phrase), afterReply);
        // The outline's lines are numbered from the header, as 0.
        const auto line = explained.lineNumber
                              ? std::optional<std::size_t>(*explained.lineNumber - 1)
                              : std::nullopt;
        showCheckResult(answerText(explained), line);
    } catch (const CurationError&) { // the one refusal: a reply no tree line gives
        showCheckResult(unknownReplyText(after), std::nullopt);
    }
}

// Makes the answering line current and shows it, the search emptied first
// when it hides that line; with no such line, nothing is selected.
void KnowledgeWindow::showCheckResult(const QString& text, std::optional<std::size_t> line) {
    checkResult_->setText(text);
    if (!line) {
        outlineView_->clearSelection();
        return;
    }
    if (!model_->indexOfLine(*line).isValid() && model_->filtered()) {
        searchField_->clear();
        applyFilter();
    }
    const QModelIndex index = model_->indexOfLine(*line);
    if (index.isValid()) {
        outlineView_->setCurrentIndex(index);
        outlineView_->scrollTo(index);
    }
}

} // namespace besedka
