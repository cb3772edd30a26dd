#include "curation/change_backup.h"

namespace besedka {
namespace {

Refusal refusalOf(BackupProblem::Cause cause) {
    switch (cause) {
    case BackupProblem::Cause::NoStateHome:
        return Refusal::NoBackupWithoutStateHome;
    case BackupProblem::Cause::OutOfMemory:
        return Refusal::NoBackupWithoutMemory;
    case BackupProblem::Cause::File:
        break;
    }
    return Refusal::NoBackupFileFailed;
}

} // namespace

NoBackupMade::NoBackupMade(const BackupProblem& problem, const std::string& refusal)
    : CurationError(refusalOf(problem.cause), pathFacts(problem.path, problem.reason),
                    problem.text + "; " + refusal),
      problem_(problem) {}

std::optional<TakenBackup> backUpBeforeChange(const FileStore& files, bool withoutBackup,
                                              const std::string& refusal,
                                              const std::string& reason) {
    if (withoutBackup) {
        return std::nullopt;
    }
    BackupProblem problem;
    auto backup = backUpKnowledgeBase(
        files.paths().workdir(), files.paths().resolve("Base"),
        [&problem](const BackupProblem& told) { problem = told; }, reason);
    if (!backup) {
        throw NoBackupMade(problem, refusal);
    }
    return backup;
}

void retireAfterChange(const std::optional<TakenBackup>& backup) {
    if (backup) {
        retireOldBackups(backup->folder, {backup->stamp});
    }
}

} // namespace besedka
