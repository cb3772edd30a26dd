#pragma once

// A curation step run by a kb subcommand, its refusals and file errors told
// as the subcommand's own messages.

#include "files/error.h"
#include "kb/messages.h"

#include <filesystem>
#include <iosfwd>
#include <new>
#include <string_view>

namespace besedka::kb {

// What a step that ran out of memory says: each file is replaced whole or
// not at all, so what is on disk is still whole.
inline constexpr std::string_view kOutOfMemory =
    "out of memory: the document or the knowledge base is too large for the memory this "
    "program may use";

// Runs a curation step; its refusal or file error becomes one line on `err`
// and kFailure.
template <typename Step> int guarded(std::ostream& err, Step step) {
    try {
        return step();
    } catch (const Error& error) {
        return fail(err, error.what());
    } catch (const std::bad_alloc&) {
        return fail(err, kOutOfMemory);
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
    } catch (const std::bad_alloc&) {
        return fail(err, kOutOfMemory);
    }
}

} // namespace besedka::kb
