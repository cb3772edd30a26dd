#pragma once

#include <cstddef>
#include <string_view>

namespace besedka {

// The most bytes that a text to teach or an export document to import or
// merge may hold; a larger one is refused before it is read, rather than
// read whole into memory. A tree of 100,000 lines exports to about 12 MB, so
// this holds trees of some 8 million lines, far more than a conversation
// teaches; and the program needs several times a document's size while it
// works on it.
inline constexpr std::size_t kMostDocumentBytes = std::size_t{1} << 30;
inline constexpr std::string_view kMostDocumentSize = "1 GiB";

} // namespace besedka
