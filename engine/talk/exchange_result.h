#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace besedka {

// What one exchange produced, in Windows-1251, for a caller without a pane
// to read it from.
struct ExchangeResult {
    bool exchanged = false;               // false: an empty phrase, nothing happened
    std::string shown;                    // the phrase as the pane shows it
    std::string reply;                    // the reply
    std::vector<std::string> diagnostics; // the branch continuation's lines ("NomerRazryada = 1")
    bool learned = false;                 // a reply list or the tree changed
    bool farewell = false;                // the phrase was a farewell
};

// A line of the knowledge tree put in or taken out by learning, so that
// other dialogues on the same tree can keep their places in it.
struct TreeEdit {
    enum class Kind { Inserted, Removed };
    Kind kind = Kind::Inserted;
    std::size_t line = 0;
};

// Where learning puts a new tree line: at the end of the tree, as the chat
// does, or after its own dialogue's branch, so that dialogues learning in
// turn on one tree each read as if it had learned alone.
enum class Placement { AtEnd, OwnBranch };

} // namespace besedka
