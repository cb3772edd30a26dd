#pragma once

// The nick the bot asks for and the ones it falls back to while another
// holds it: NAME_, NAME__, NAME1, NAME2 and on, cut to the server's length.

#include <cstddef>
#include <string>

namespace besedka::irc {

class NickChoice {
  public:
    explicit NickChoice(std::string wanted) : wanted_(std::move(wanted)) {}

    const std::string& wanted() const { return wanted_; }
    // The next fallback after the last was refused (433, 437).
    std::string nextFallback(std::size_t maxLength);
    // Back to the start: the next fallback is NAME_ again (a new connection).
    void restart() { attempts_ = 0; }

  private:
    std::string wanted_;
    std::size_t attempts_ = 0;
};

} // namespace besedka::irc
