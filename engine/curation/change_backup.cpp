#include "curation/change_backup.h"

namespace besedka {

std::optional<TakenBackup> backUpBeforeChange(const FileStore& files, bool withoutBackup,
                                              const std::string& refusal,
                                              const std::string& reason) {
    if (withoutBackup) {
        return std::nullopt;
    }
    std::string problem;
    auto backup = backUpKnowledgeBase(
        files.paths().workdir(), files.paths().resolve("Base"),
        [&problem](const std::string& told) { problem = told; }, reason);
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
