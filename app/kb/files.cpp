// kb lines and kb from-text: one knowledge-base file to UTF-8 lines and back.
#include "kb/subcommands.h"

#include "curation/text_file.h"
#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/string_list.h"
#include "kb/guarded.h"
#include "text/cp1251.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace besedka::kb {
// The lines go out as UTF-8, converted into one buffer that is written in
// large blocks.
int runLines(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
    const std::string& file = args.words[0];
    std::error_code reason;
    auto bytes = readWholeFile(file, reason);
    if (!bytes) {
        return fail(err, "cannot read " + file + ": " + reasonText(reason));
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

int runFromText(const ParsedArgs& args, std::ostream& /*out*/, std::ostream& err) {
    const std::string& input = args.words[0];
    std::error_code reason;
    const auto text = readWholeFile(input, reason);
    if (!text) {
        return fail(err, "cannot read " + input + ": " + reasonText(reason));
    }
    const ConvertedText converted = linesFromUtf8(*text);
    // Written anyway: the rest of the file is good, and "?" shows where.
    for (const std::size_t line : converted.lossyLines) {
        err << "besedka kb: " << input << ':' << line
            << ": characters without a Windows-1251 form became \"?\"\n";
    }
    return guarded(err, [&] {
        writeKnowledgeFile(args.words[1], converted.lines, feedbackOn(err));
        return kSuccess;
    });
}

} // namespace besedka::kb
