// kb lines and kb from-text: one knowledge-base file to UTF-8 lines and back.
#include "kb/subcommands.h"

#include "files/atomic_file.h"
#include "text/cp1251.h"
#include "files/path_map.h"
#include "text/plain_text.h"
#include "text/rtf.h"
#include "files/string_list.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace besedka::kb {
namespace fs = std::filesystem;
namespace {

fs::path directoryOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool isBaseDirectory(const fs::path& directory) {
    std::error_code error;
    return fs::equivalent(PathMap(directory / "..").resolve("Base"), directory, error);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.substr(0, mark.size()) == mark ? text.substr(mark.size()) : text;
}

} // namespace

// The lines go out as UTF-8, converted into one buffer that is written in
// large blocks.
int printLines(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string& file = args[0];
    std::error_code reason;
    auto bytes = readWholeFile(file, reason);
    if (!bytes) {
        return fail(err, withReason("cannot read " + file, reason));
    }
    const TextLines lines =
        knowledgeFileLines(std::make_shared<const std::string>(std::move(*bytes)));
    std::string buffer(std::size_t{1} << 20, '\0');
    std::size_t used = 0;
    for (const std::string_view line : lines) {
        const std::size_t room = 3 * line.size() + 2; // the UTF-8 form and the line break
        if (buffer.size() - used < room) {
            out.write(buffer.data(), static_cast<std::streamsize>(used));
            used = 0;
            buffer.resize(std::max(buffer.size(), room));
        }
        char* end = cp1251ToUtf8(line, buffer.data() + used);
        *end++ = '\n';
        used = static_cast<std::size_t>(end - buffer.data());
    }
    out.write(buffer.data(), static_cast<std::streamsize>(used));
    return kSuccess;
}

int fromText(const Args& args, std::ostream& /*out*/, std::ostream& err) {
    const std::string& input = args[0];
    const std::string& output = args[1];
    std::error_code reason;
    const auto text = readWholeFile(input, reason);
    if (!text) {
        return fail(err, withReason("cannot read " + input, reason));
    }
    std::vector<std::string> lines;
    std::size_t number = 0;
    for (const std::string& utf8 : splitPlainLines(withoutByteOrderMark(*text))) {
        ++number;
        lines.push_back(utf8ToCp1251(utf8));
        // Written anyway: the rest of the file is good, and "?" shows where.
        if (cp1251ToUtf8(lines.back()) != utf8) {
            err << "besedka kb: " << input << ':' << number
                << ": characters without a Windows-1251 form became \"?\"\n";
        }
    }
    // Under the lock of the directory written into; into a working
    // directory's Base after a backup of it.
    const fs::path directory = directoryOf(output);
    const DirectoryLock lock(directory, kLockPatience, waitingMessage(err));
    if (isBaseDirectory(directory)) {
        backUpKnowledgeBase(directory / "..", directory, problemReport(err));
    }
    if (const auto failure = writeFileAtomically(output, writeRtf(lines))) {
        return fail(err, withReason("cannot write " + output, failure));
    }
    return kSuccess;
}

} // namespace besedka::kb
