#include "files/file_error.h"

#include "text/cp1251.h"

#include <cstring>

namespace besedka {
namespace {

class FileKindCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "file kind"; }
    std::string message(int value) const override {
        return value == kLinkOfAnotherUser ? "Symbolic link made by another user, not followed"
                                           : "Not a regular file";
    }

    static constexpr int kNotRegular = 1;
    static constexpr int kLinkOfAnotherUser = 2;
};

std::string opening(FileError::Operation operation) {
    switch (operation) {
    case FileError::Operation::Open:
        return "Cannot open file ";
    case FileError::Operation::Create:
        return "Cannot create file ";
    case FileError::Operation::Lock:
        break;
    }
    return "Cannot lock ";
}

} // namespace

FileError::FileError(Operation operation, const std::string& path, std::error_code reason)
    : Error(Kind::File, cp1251ToUtf8(opening(operation) + path) +
                            (reason ? ": " + reasonText(reason) : std::string())),
      operation_(operation), path_(path), reason_(reason) {}

std::string reasonText(const std::error_code& reason) {
    if (reason.category() == std::system_category() ||
        reason.category() == std::generic_category()) {
        // strerror() follows the locale; the program's messages are English.
        if (const char* text = ::strerrordesc_np(reason.value())) {
            return text;
        }
    }
    return reason.message();
}

const FileKindCategory& fileKindCategory() {
    static const FileKindCategory category;
    return category;
}

std::error_code notARegularFile() {
    return {FileKindCategory::kNotRegular, fileKindCategory()};
}

std::error_code linkOfAnotherUser() {
    return {FileKindCategory::kLinkOfAnotherUser, fileKindCategory()};
}

} // namespace besedka
