#pragma once

#include "curation/curation_error.h"
#include "curation/feedback.h"

#include <QString>

#include <utility>

namespace besedka {

// What the windows tell of a curation step that was refused or failed: a
// clause that follows "Ничего не изменено: " or the like.
inline QString curationMessage(const CurationError& error) {
    if (dynamic_cast<const KnowledgeBaseBusy*>(&error) != nullptr) {
        return QStringLiteral("база занята другой программой, попробуйте ещё раз чуть позже.");
    }
    return QString::fromUtf8(error.what());
}

// The same said on its own, as a sentence.
inline QString curationSentence(const CurationError& error) {
    QString text = curationMessage(error);
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

// A window's curation steps give up on a base another program holds rather
// than stop answering; `problem` hears of a backup that failed.
inline Feedback windowFeedback(ProblemReport problem = {}) {
    return {{}, std::move(problem), true};
}

} // namespace besedka
