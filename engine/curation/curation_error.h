#pragma once

#include "files/error.h"

#include <string>

namespace besedka {

// A curation step that was refused or failed, with a message for the user
// ("no learned line 7 in Base\Words.Dat ..."). Nothing was changed by the
// step unless the message says so.
class CurationError : public Error {
  public:
    explicit CurationError(const std::string& utf8Message) : Error(Kind::Curation, utf8Message) {}

  protected:
    CurationError(Kind kind, const std::string& utf8Message) : Error(kind, utf8Message) {}
};

} // namespace besedka
