#include "kb/messages.h"

#include <ostream>
#include <utility>

namespace besedka::kb {

int fail(std::ostream& err, std::string_view message) {
    err << "besedka kb: " << message << '\n';
    return kFailure;
}

Feedback feedbackOn(std::ostream& err, std::string backupReason) {
    return {
        [&err](bool waiting) {
            if (waiting) {
                err << "besedka kb: waiting for another besedka to finish with Base...\n"
                    << std::flush;
            }
        },
        [&err](const BackupProblem& problem) { err << "besedka kb: " << problem.text << '\n'; },
        false,
        std::move(backupReason),
    };
}

std::string inWorkdir(const std::filesystem::path& workdir) {
    return " (working directory " + workdir.string() + ")";
}

} // namespace besedka::kb
