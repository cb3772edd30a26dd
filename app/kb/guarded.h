#pragma once

// A curation step run by a kb subcommand, its refusals and file errors told
// as the subcommand's own messages.

#include "files/error.h"
#include "kb/messages.h"

#include <filesystem>
#include <iosfwd>

namespace besedka::kb {

// Runs a curation step; its refusal or file error becomes one line on `err`
// and kFailure.
template <typename Step> int guarded(std::ostream& err, Step step) {
    try {
        return step();
    } catch (const Error& error) {
        return fail(err, error.what());
    }
}

// The same for a step on a working directory: a file error names it.
template <typename Step>
int guarded(std::ostream& err, const std::filesystem::path& workdir, Step step) {
    try {
        return step();
    } catch (const Error& error) {
        const bool namesAFile = error.kind() == Error::Kind::File;
        return fail(err, error.what() + (namesAFile ? inWorkdir(workdir) : std::string()));
    }
}

} // namespace besedka::kb
