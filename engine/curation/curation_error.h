#pragma once

#include "curation/refusal.h"
#include "files/error.h"

#include <filesystem>
#include <string>
#include <utility>

namespace besedka {

// A curation step that was refused or failed, with a message for the user
// ("no learned line 7 in Base\Words.Dat ..."). Nothing was changed by the
// step unless the message says so. The message is English, for the terminal;
// code() and facts() say the same for a window that words it its own way.
class CurationError : public Error {
  public:
    CurationError(Refusal code, RefusalFacts facts, const std::string& utf8Message)
        : CurationError(Kind::Curation, code, std::move(facts), utf8Message) {}

    Refusal code() const { return code_; }
    const RefusalFacts& facts() const { return facts_; }

  protected:
    CurationError(Kind kind, Refusal code, RefusalFacts facts, const std::string& utf8Message)
        : Error(kind, utf8Message), code_(code), facts_(std::move(facts)) {}

  private:
    Refusal code_;
    RefusalFacts facts_;
};

class FileError;

// A file error that a step refuses with a message of its own, `workdir` being
// the working directory the file belongs to when it is not the one at hand.
CurationError fileRefusal(const FileError& error, const std::string& utf8Message,
                          const std::filesystem::path& workdir = {});

} // namespace besedka
