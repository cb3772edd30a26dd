#pragma once

#include <string>

namespace besedka {

// The engine's state between exchanges; it lives for the run and is never
// saved. A new dialogue leaves it alone.
struct EngineState {
    std::string userPhraseKey; // the current phrase, Cyrillic uppercased
    std::string lastReplyKey;  // the previous reply, uppercased at the next exchange
    std::string lastReplyText; // the previous reply as shown
    std::string replyText;     // the current reply; also the last idle remark
    std::string branchText;    // key of the candidate the branch continuation examines
    std::string depthMarks;    // depth marks of the next learned tree line
    int branchLevel = 0;       // depth the next line of the branch must have; 0: no branch
    int branchLine = 0;        // tree line that gave the last tree answer
    // Where the word-list scans of the exchange stopped; the branch
    // continuation shows it in its "S = " diagnostic line, so it is state.
    int lineIndex = 0;
    int idleTicks = 0; // idle-timer ticks since the last exchange or remark
};

} // namespace besedka
