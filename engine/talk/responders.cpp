// The special responders: repeat, insult, personal topic and the long phrase.
#include "talk/engine.h"

#include "files/kb_paths.h"
#include "talk/responder_rules.h"
#include "talk/word_lists.h"

#include <vector>

namespace besedka {
namespace {

// Leaves `lineIndex` on the first entry found, or on the list's line count
// when none is.
bool scanWordList(const std::vector<std::string>& list, std::string_view key, int& lineIndex) {
    const std::size_t entry = firstEntryIn(list, key);
    lineIndex = static_cast<int>(entry);
    return entry < list.size();
}

} // namespace

bool Engine::repeatResponder(const std::string& shown, const std::string& previousPaneLine) {
    if (!isRepeat(shown, previousPaneLine)) {
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
    if (!gateOpens(random_.range(1, kGateDraws)) || shown.size() < kLongPhrase) {
        return false;
    }
    drawReply(paths::kBigString);
    return true;
}

} // namespace besedka
