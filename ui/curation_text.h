#pragma once

#include "curation/curation_error.h"
#include "curation/feedback.h"

#include <QString>

#include <utility>

namespace besedka {

// What the windows tell of a curation step that was refused or failed.
inline QString curationMessage(const CurationError& error) {
    if (dynamic_cast<const KnowledgeBaseBusy*>(&error) != nullptr) {
        return QStringLiteral("База занята другой программой. Ничего не изменено: попробуйте ещё "
                              "раз чуть позже.");
    }
    return QString::fromUtf8(error.what());
}

// A window's curation steps give up on a base another program holds rather
// than stop answering; `problem` hears of a backup that failed.
inline Feedback windowFeedback(ProblemReport problem = {}) {
    return {{}, std::move(problem), true};
}

} // namespace besedka
