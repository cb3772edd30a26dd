#include "irc/case_mapping.h"

namespace besedka::irc {
namespace {

char foldChar(char c, CaseMapping mapping) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    if (mapping == CaseMapping::Ascii) {
        return c;
    }
    switch (c) {
    case '[':
        return '{';
    case ']':
        return '}';
    case '\\':
        return '|';
    case '~':
        return mapping == CaseMapping::Rfc1459 ? '^' : c;
    default:
        return c;
    }
}

} // namespace

CaseMapping caseMappingNamed(std::string_view name) {
    if (name == "ascii") {
        return CaseMapping::Ascii;
    }
    if (name == "strict-rfc1459") {
        return CaseMapping::StrictRfc1459;
    }
    return CaseMapping::Rfc1459;
}

std::string foldCase(std::string_view text, CaseMapping mapping) {
    std::string folded(text);
    for (char& c : folded) {
        c = foldChar(c, mapping);
    }
    return folded;
}

bool sameName(std::string_view a, std::string_view b, CaseMapping mapping) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldChar(a[i], mapping) != foldChar(b[i], mapping)) {
            return false;
        }
    }
    return true;
}

} // namespace besedka::irc
