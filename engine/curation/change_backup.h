#pragma once

#include "curation/curation_error.h"
#include "files/backups.h"
#include "files/file_store.h"

#include <optional>
#include <string>

namespace besedka {

// A change refused because no backup could be made; nothing was written.
// Its message is the problem's, then `refusal` ("nothing restored").
class NoBackupMade : public CurationError {
  public:
    NoBackupMade(const BackupProblem& problem, const std::string& refusal);

    // Why no backup was made.
    const BackupProblem& problem() const { return problem_; }

  private:
    BackupProblem problem_;
};

// Backs up the working directory's Base just before a change, under its lock.
// When no backup can be made the change is refused (NoBackupMade, whose
// message ends with `refusal`, "nothing taught (with --no-backup ...)"):
// what was learned since the last backup would otherwise be lost for good.
// With `withoutBackup` nothing is backed up and nothing refused. The backup
// records `reason`, what was about to happen.
[[nodiscard]] std::optional<TakenBackup> backUpBeforeChange(const FileStore& files,
                                                            bool withoutBackup,
                                                            const std::string& refusal,
                                                            const std::string& reason = {});

// Once the change is saved, keeps the newest backups, the one just taken
// among them.
void retireAfterChange(const std::optional<TakenBackup>& backup);

} // namespace besedka
