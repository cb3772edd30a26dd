#pragma once

#include <string>

namespace besedka {

// The engine's state between exchanges; it lives for the run and is never
// saved. A new dialogue leaves it alone.
struct EngineState {
    std::string UserPhraseKey; // the current phrase, Cyrillic uppercased
    std::string LastReplyKey;  // the previous reply, uppercased at the next exchange
    std::string LastReplyText; // the previous reply as shown
    std::string ReplyText;     // the current reply; also the last idle remark
    std::string BranchText;    // key of the candidate the branch continuation examines
    std::string DepthMarks;    // depth marks of the next learned tree line
    int BranchLevel = 0;       // depth the next line of the branch must have; 0: no branch
    int BranchLine = 0;        // tree line that gave the last tree answer
    int BranchDepth = 0;       // depth of the candidate line
    int CharPos = 0;           // character cursor of line scans
    int AnswerNumber = 0;      // 1-based number of the answer drawn
    int LineIndex = 0;         // line cursor shared by the scans of an exchange
    int IdleTicks = 0;         // idle-timer ticks since the last exchange or remark
};

} // namespace besedka
