#include "chat/step_runner.h"

#include "chat/repeated_failure.h"
#include "common/dialogs.h"
#include "files/file_error.h"

#include <QString>

namespace besedka {

bool StepRunner::run(const std::function<void()>& step, RepeatedFailure* repeated) const {
    try {
        step();
        return true;
    } catch (const FileError& error) {
        if (repeated == nullptr || repeated->firstFailure()) {
            dialogs_.showError(boxParent_, QString::fromUtf8(error.what()));
        }
        return false;
    }
}

} // namespace besedka
