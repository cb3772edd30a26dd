#include "files/knowledge_files.h"

#include "files/file_store.h"
#include "text/rtf.h"

#include <cctype>

namespace besedka {

KnowledgeFiles::Held& KnowledgeFiles::heldFor(std::string_view windowsPath) {
    // Lines are made from bytes alone, so a shared entry could only cost a
    // parse, never give wrong lines; one entry per file keeps parses rare.
    std::string name(windowsPath);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return held_[name];
}

StringList KnowledgeFiles::load(std::string_view windowsPath) {
    Held& held = heldFor(windowsPath);
    if (files_.sameAsKnown(windowsPath, held.bytes)) {
        return held.lines;
    }
    if (held.bytes && files_.hasContent(windowsPath, *held.bytes)) {
        files_.noteKnownContent(windowsPath, held.bytes);
        return held.lines;
    }
    auto bytes = std::make_shared<std::string>(files_.read(windowsPath));
    if (!held.bytes || *held.bytes != *bytes) {
        held.lines = StringList(knowledgeFileLines(bytes));
        held.bytes = std::move(bytes);
        held.paragraphStarts.clear();
    }
    files_.noteKnownContent(windowsPath, held.bytes);
    return held.lines;
}

void KnowledgeFiles::save(std::string_view windowsPath, const StringList& list) {
    Held& held = heldFor(windowsPath);
    files_.noteKnownContent(windowsPath, nullptr); // the bytes may be rewritten in place
    RtfDocument document;
    // Bytes that no line views into and that this program wrote can be
    // rewritten where they stand.
    if (held.bytes && held.bytes.use_count() == 1 && !held.paragraphStarts.empty()) {
        document = {std::move(*held.bytes), std::move(held.paragraphStarts)};
        rewriteRtfDocument(document, held.lines.textLines(), list.textLines());
    } else {
        document = writeRtfDocument(list.textLines());
    }
    // Until the write succeeds, nothing held matches the file.
    held = Held{};
    files_.write(windowsPath, document.bytes);
    // Reading these bytes gives these lines back, so they need no parse.
    held.bytes = std::make_shared<std::string>(std::move(document.bytes));
    held.lines = list;
    held.paragraphStarts = std::move(document.paragraphStarts);
    files_.noteKnownContent(windowsPath, held.bytes);
}

} // namespace besedka
