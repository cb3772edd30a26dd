#pragma once

#include "curation/feedback.h"
#include "curation/teach.h"
#include "files/error.h"

#include <QString>

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

namespace besedka {

// What the knowledge window tells of a step that failed, in Russian: the
// engine's messages are English, for the terminal, so each is worded here
// from what the engine says of it, naming the file and the base (its working
// directory) it is about.

// The reason of a failed file operation ("нет прав доступа").
QString russianReason(const std::error_code& reason);

// A curation step that was refused or failed, or a file it could not read or
// write, as a clause that follows "Ничего не изменено: " or the like.
QString curationMessage(const Error& error, const std::filesystem::path& workdir);

// The same said on its own, as a sentence.
QString curationSentence(const Error& error, const std::filesystem::path& workdir);

// Why teaching refuses a line of a text, as a clause about the line.
QString refusalReason(const RefusedLine& refused, const std::filesystem::path& workdir);

// Why no backup was made, for "не удалось сделать резервную копию (...)":
// its cause, and for a file operation the file and the reason.
QString backupFailureCause(BackupProblem::Cause cause, const std::string& path,
                           const std::error_code& reason);
QString backupFailureCause(const BackupProblem& problem);

// How the window names a base: its working directory, in quotes.
QString baseName(const std::filesystem::path& workdir);

// A window's curation steps give up on a base another program holds rather
// than stop answering; `problem` hears of a backup that failed.
inline Feedback windowFeedback(ProblemReport problem = {}) {
    return {{}, std::move(problem), true, {}};
}

} // namespace besedka
