#pragma once

#include "curation/knowledge_content.h"

#include <string>
#include <string_view>

namespace besedka {

// The export document of a knowledge base, UTF-8 JSON:
//   {"format": "besedka-knowledge", "version": 1,
//    "tree": [{"line": "header"}, {"depth": 0, "key": "ПРИВЕТ", "answers": ["Привет!"]}, ...],
//    "lists": {"W1.Dat": ["..."], ...}}
// A tree line that breaks the grammar, or whose key is not in capitals, is
// {"line": "..."} as it is, so that nothing is dropped; so is the header.
std::string knowledgeJson(const KnowledgeContent& content);

// The content of such a document; CurationError naming the position of what
// is wrong when it is not one (bad JSON, an unknown field or list, a line
// break in a line, a character without a Windows-1251 form, a key or answer
// that the tree's grammar cannot hold, a key not in capitals, which no phrase
// could match).
KnowledgeContent parseKnowledgeJson(std::string_view json);

// Whether a text starts as such a document does: "{", and its format's name
// in what follows.
bool opensKnowledgeJson(std::string_view start);

} // namespace besedka
