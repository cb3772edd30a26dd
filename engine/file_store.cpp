#include "file_store.h"

#include "atomic_file.h"
#include "file_error.h"

namespace besedka {

std::string FileStore::read(std::string_view windowsPath) const {
    auto bytes = readWholeFile(paths_.resolve(windowsPath));
    if (!bytes) {
        throw FileError(FileError::Kind::Open, std::string(windowsPath));
    }
    return std::move(*bytes);
}

void FileStore::write(std::string_view windowsPath, std::string_view bytes) const {
    if (!writeFileAtomically(paths_.resolve(windowsPath), bytes)) {
        throw FileError(FileError::Kind::Create, std::string(windowsPath));
    }
}

} // namespace besedka
