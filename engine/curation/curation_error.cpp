#include "curation/curation_error.h"

#include "files/file_error.h"
#include "text/cp1251.h"

namespace besedka {
namespace {

Refusal refusalOf(FileError::Operation operation) {
    switch (operation) {
    case FileError::Operation::Open:
        return Refusal::FileNotOpened;
    case FileError::Operation::Create:
        return Refusal::FileNotWritten;
    case FileError::Operation::Lock:
        break;
    }
    return Refusal::FolderNotLocked;
}

} // namespace

CurationError fileRefusal(const FileError& error, const std::string& utf8Message,
                          const std::filesystem::path& workdir) {
    RefusalFacts facts;
    facts.path = cp1251ToUtf8(error.path());
    facts.reason = error.reason();
    facts.workdir = workdir;
    return CurationError(refusalOf(error.operation()), facts, utf8Message);
}

} // namespace besedka
