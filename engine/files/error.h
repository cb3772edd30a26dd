#pragma once

#include <stdexcept>
#include <string>

namespace besedka {

// What the program tells its user when a step fails: what() is the message in
// UTF-8, ready for the terminal or a window, and kind() says what went wrong,
// for a caller that words one kind its own way (a window in Russian, the
// terminal naming the working directory of a file).
class Error : public std::runtime_error {
  public:
    enum class Kind {
        File,     // a file could not be read or written, or Base not locked
        Curation, // a curation step refused or failed
        BaseBusy, // another program held the lock of Base; nothing changed
    };

    Kind kind() const { return kind_; }

  protected:
    Error(Kind kind, const std::string& utf8Message)
        : std::runtime_error(utf8Message), kind_(kind) {}

  private:
    Kind kind_;
};

} // namespace besedka
