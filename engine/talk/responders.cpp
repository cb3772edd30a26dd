// The special responders: repeat, insult, personal topic and the long phrase.
#include "talk/engine.h"

#include "files/kb_paths.h"
#include "talk/word_lists.h"
#include "text/key_match.h"

#include <vector>

namespace besedka {
namespace {

constexpr std::size_t kLongPhrase = 110;

// Scans the entries from line 1 on; leaves `lineIndex` on the first entry
// found, or on the list's line count when none is.
bool scanWordList(const std::vector<std::string>& list, std::string_view key, int& lineIndex) {
    for (lineIndex = 1; lineIndex < static_cast<int>(list.size()); ++lineIndex) {
        if (keyOccurs(list[static_cast<std::size_t>(lineIndex)], key)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool Engine::repeatResponder(const std::string& shown, const std::string& previousPaneLine) {
    if (shown != previousPaneLine) {
        return false;
    }
    drawReply(paths::kPovtor);
    return true;
}

bool Engine::insultResponder() {
    if (!scanWordList(insultList(), state_.userPhraseKey, state_.lineIndex)) {
        return false;
    }
    drawReply(paths::kInsultReplies);
    return true;
}

bool Engine::personalTopicResponder() {
    return scanWordList(personalTopicList(), state_.userPhraseKey, state_.lineIndex);
}

bool Engine::longPhraseResponder(const std::string& shown) {
    // The gate also shuts on 2 and 6: intended; held by
    // Responders.ShutGateSendsALongPhraseToTheTree.
    const int gate = random_.range(1, 6);
    if (gate == 2 || gate == 6 || shown.size() < kLongPhrase) {
        return false;
    }
    drawReply(paths::kBigString);
    return true;
}

} // namespace besedka
