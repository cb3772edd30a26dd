// Reads any bytes as a knowledge-base file. RTF must read without crashing,
// its lines must survive being written and read again, and plain text must
// survive being joined and split again.

#include "plain_text.h"
#include "rtf.h"
#include "string_list.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = besedka::parseKnowledgeFile(bytes);
    if (const auto rtf = besedka::readRtf(bytes)) {
        check(*rtf == lines);
        // Every byte of a line comes from at least one byte of the document.
        check(totalSize(lines) <= size);
        check(besedka::readRtf(besedka::writeRtf(lines)) == lines);
    } else {
        check(lines == besedka::splitPlainLines(bytes));
        check(besedka::splitPlainLines(besedka::joinCrLf(lines)) == lines);
    }
    return 0;
}
