// Reads any bytes as a knowledge-base file. RTF must read without crashing,
// its lines must survive being written and read again, and plain text must
// survive being joined and split again. A plain text is read as UTF-8 exactly
// when it starts with a byte order mark or is mostly UTF-8 beyond ASCII (a
// broken sequence or two among good ones).

#include "files/string_list.h"
#include "text/cp1251.h"
#include "text/plain_text.h"
#include "text/rtf.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::size_t totalSize(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const auto& line : lines) {
        total += line.size();
    }
    return total;
}

bool readAsUtf8(std::string_view bytes) {
    const auto firstHigh = std::find_if(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return bytes.starts_with("\xEF\xBB\xBF") ||
           (firstHigh != bytes.end() &&
            besedka::mostlyUtf8(bytes.substr(static_cast<std::size_t>(firstHigh - bytes.begin()))));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using besedka::KnowledgeForm;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const besedka::KnowledgeText text = besedka::readKnowledgeText(bytes);
    const std::vector<std::string>& lines = text.lines;
    check(besedka::parseKnowledgeFile(bytes) == lines);
    // Every byte of a line comes from at least one byte of the file.
    check(totalSize(lines) <= size);
    if (const auto rtf = besedka::readRtf(bytes)) {
        check(text.form == KnowledgeForm::Rtf && *rtf == lines);
        check(std::is_sorted(text.strayBraces.begin(), text.strayBraces.end()));
        check(text.strayBraces.empty() || text.strayBraces.back() <= lines.size());
        check(besedka::readRtf(besedka::writeRtf(lines)) == lines);
        return 0;
    }
    check(text.strayBraces.empty());
    if (readAsUtf8(bytes)) {
        check(text.form == KnowledgeForm::PlainUtf8);
        const std::string_view utf8 = bytes.substr(bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0);
        check(lines == besedka::splitPlainLines(besedka::utf8ToCp1251(utf8)));
    } else {
        check(text.form == KnowledgeForm::Plain);
        check(lines == besedka::splitPlainLines(bytes));
    }
    check(besedka::splitPlainLines(besedka::joinCrLf(lines)) == lines);
    return 0;
}
