// Takes any bytes as an export document to import. A document that is
// refused is refused with a message; one that is accepted holds lines that
// can be stored, and exporting them and reading that again gives the same
// lines.

#include "curation/curation_error.h"
#include "curation/knowledge_json.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool sameLines(const besedka::TextLines& a, const besedka::TextLines& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    besedka::KnowledgeContent content;
    try {
        content = besedka::parseKnowledgeJson(
            std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const besedka::CurationError& error) {
        check(std::string_view(error.what()).starts_with("not a besedka-knowledge document: "));
        return 0;
    }
    const besedka::KnowledgeContent again =
        besedka::parseKnowledgeJson(besedka::knowledgeJson(content));
    check(content.tree.has_value() == again.tree.has_value());
    check(!content.tree || sameLines(*content.tree, *again.tree));
    check(content.lists.size() == again.lists.size());
    for (std::size_t i = 0; i < content.lists.size(); ++i) {
        check(content.lists[i].name == again.lists[i].name);
        check(sameLines(content.lists[i].lines, again.lists[i].lines));
        for (const std::string_view line : content.lists[i].lines) {
            check(line.find_first_of("\r\n") == std::string_view::npos);
        }
    }
    return 0;
}
