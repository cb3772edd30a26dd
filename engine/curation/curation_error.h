#pragma once

#include <stdexcept>
#include <string>

namespace besedka {

// A curation step that was refused or failed, with a message in UTF-8 for the
// user ("no learned line 7 in Base\Words.Dat ..."). Nothing was changed by
// the step unless the message says so.
class CurationError : public std::runtime_error {
  public:
    explicit CurationError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace besedka
