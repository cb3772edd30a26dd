#pragma once

// A curation step run by a kb subcommand, its refusals and file errors told
// as the subcommand's own messages.

#include "curation/curation_error.h"
#include "files/file_error.h"
#include "kb/messages.h"
#include "text/cp1251.h"

#include <filesystem>
#include <iosfwd>

namespace besedka::kb {

// Runs a curation step; its refusal or file error becomes one line on `err`
// and kFailure.
template <typename Step> int guarded(std::ostream& err, Step step) {
    try {
        return step();
    } catch (const CurationError& error) {
        return fail(err, error.what());
    } catch (const FileError& error) {
        return fail(err, cp1251ToUtf8(error.what()));
    }
}

// The same for a step on a working directory: a file error names it.
template <typename Step>
int guarded(std::ostream& err, const std::filesystem::path& workdir, Step step) {
    try {
        return step();
    } catch (const CurationError& error) {
        return fail(err, error.what());
    } catch (const FileError& error) {
        return fail(err, cp1251ToUtf8(error.what()) + inWorkdir(workdir));
    }
}

} // namespace besedka::kb
