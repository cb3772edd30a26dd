#pragma once

#include "files/backups.h"
#include "files/directory_lock.h"

namespace besedka {

// What a curation step tells its caller while it runs: that it waits for the
// lock on Base, and problems that do not stop it (a backup that failed).
struct Feedback {
    LockWaitObserver waiting;
    ProblemReport problem;
};

} // namespace besedka
