#pragma once

#include "curation/curation_error.h"
#include "files/backups.h"
#include "files/file_store.h"

#include <optional>
#include <string>

namespace besedka {

// A change refused because no backup could be made; nothing was written.
// A window words it its own way from `problem`.
class NoBackupMade : public CurationError {
  public:
    NoBackupMade(const std::string& problem, const std::string& refusal)
        : CurationError(problem + "; " + refusal), problem_(problem) {}

    // Why no backup was made ("no backup made: neither XDG_STATE_HOME nor
    // HOME is set").
    const std::string& problem() const { return problem_; }

  private:
    std::string problem_;
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
