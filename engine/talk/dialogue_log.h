#pragma once

#include <string>
#include <vector>

namespace besedka {

struct LocalDateTime;

// Date and time as the dialogue log writes them: "07.12.2026" and "9:05:03".
std::string logDate(const LocalDateTime& now);
std::string logTime(const LocalDateTime& now);

// The lines 1 to 6 of a dialogue log block, before the transcript.
std::vector<std::string> logBlockHeader(const LocalDateTime& now, long learnedPhrases);
// The closing line of a block.
std::string logBlockEnd();

} // namespace besedka
