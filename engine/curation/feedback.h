#pragma once

#include "curation/curation_error.h"
#include "files/backups.h"
#include "files/directory_lock.h"
#include "files/file_store.h"

#include <string>

namespace besedka {

// What a curation step tells its caller while it runs: that it waits for the
// lock on Base, and problems that do not stop it (a backup that failed).
struct Feedback {
    LockWaitObserver waiting;
    ProblemReport problem;
    // A window, which must go on answering, gives up after a moment when
    // another program holds the lock instead of waiting for it.
    bool giveUpWhenBusy = false;
    // What the backup taken before the step records as about to happen
    // ("перед: забыть 3 строки"); nothing when empty.
    std::string backupReason;
};

// The step given up on: another program held the lock of Base; nothing was
// changed. Its kind is Error::Kind::BaseBusy, which a window words its own way.
class KnowledgeBaseBusy : public CurationError {
  public:
    KnowledgeBaseBusy()
        : CurationError(Kind::BaseBusy, Refusal::BaseBusy, {},
                        "Base is busy: another program holds its lock; nothing changed") {}
};

// Takes the lock of Base for a change, as `feedback` asks: waited for, or
// tried for about a second and then given up with KnowledgeBaseBusy.
[[nodiscard]] KnowledgeBaseHold holdForChange(const FileStore& files, const Feedback& feedback);

} // namespace besedka
