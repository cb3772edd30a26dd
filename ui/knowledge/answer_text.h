#pragma once

#include "curation/explain_answer.h"

#include <QString>

namespace besedka {

// What the knowledge window's phrase check tells, in Russian: the facts kb
// why prints (the step that answers, the line with its key found in the
// phrase, the list the reply comes from, whether the chat learns the phrase),
// worded again for the window, keys and entries shortened to fit a line.
QString answerText(const AnswerExplained& explained);

// Why the check cannot run after `reply`: no tree line gives it.
QString unknownReplyText(const QString& reply);

// Why a phrase cannot be checked: `character` has no Windows-1251 form.
QString notInCodePageText(char32_t character);

} // namespace besedka
