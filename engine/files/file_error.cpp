#include "files/file_error.h"

#include <cstring>

namespace besedka {
namespace {

class FileKindCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "file kind"; }
    std::string message(int) const override { return "Not a regular file"; }
};

} // namespace

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

std::error_code notARegularFile() {
    static const FileKindCategory category;
    return {1, category};
}

} // namespace besedka
