#pragma once

#include <cstddef>
#include <functional>

namespace besedka {

class Progress;

// Told how far a worker has come; false once the user has cancelled.
using WorkProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Runs `work` on a worker thread while the window's events go on, so that a
// long step (teaching from a large text) neither freezes the window nor
// leaves a closed file dialog painted on it. The worker's progress is shown on
// `shown` a few times a second, and its "Отмена" reaches the worker at once.
// Returns when the work is done; an exception it threw is thrown here.
void runInBackground(Progress& shown, const std::function<void(const WorkProgress&)>& work);

} // namespace besedka
