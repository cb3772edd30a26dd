#pragma once

#include "curation/feedback.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// UTF-8 lines (a byte order mark aside) as the program's Windows-1251 lines,
// with the numbers of the lines (from 1) whose characters without a
// Windows-1251 form became "?".
struct ConvertedText {
    std::vector<std::string> lines;
    std::vector<std::size_t> lossyLines;
};
ConvertedText linesFromUtf8(std::string_view text);

// Writes the lines as a knowledge-base file (RTF), atomically and under the
// lock of the directory written into; into a working directory's Base after a
// backup of it. CurationError, naming the file and the reason, when it cannot
// be written.
void writeKnowledgeFile(const std::filesystem::path& output, const std::vector<std::string>& lines,
                        const Feedback& feedback);

} // namespace besedka
