#pragma once

#include "curation/feedback.h"
#include "files/error.h"

#include <QString>

#include <utility>

namespace besedka {

// What the windows tell of a curation step that was refused or failed, or of
// a file it could not read or write: a clause that follows "Ничего не
// изменено: " or the like.
inline QString curationMessage(const Error& error) {
    if (error.kind() == Error::Kind::BaseBusy) {
        return QStringLiteral("база занята другой программой, попробуйте ещё раз чуть позже.");
    }
    return QString::fromUtf8(error.what());
}

// The same said on its own, as a sentence.
inline QString curationSentence(const Error& error) {
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
