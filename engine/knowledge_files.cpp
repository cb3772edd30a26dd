#include "knowledge_files.h"

#include "file_store.h"
#include "rtf.h"

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
    if (held.bytes && files_.hasContent(windowsPath, *held.bytes)) {
        return held.lines;
    }
    auto bytes = std::make_shared<const std::string>(files_.read(windowsPath));
    if (!held.bytes || *held.bytes != *bytes) {
        held.lines = StringList(knowledgeFileLines(bytes));
        held.bytes = std::move(bytes);
    }
    return held.lines;
}

void KnowledgeFiles::save(std::string_view windowsPath, const StringList& list) {
    auto bytes = std::make_shared<const std::string>(writeRtf(list.textLines()));
    files_.write(windowsPath, *bytes);
    // Reading these bytes gives these lines back, so they need no parse.
    Held& held = heldFor(windowsPath);
    held.bytes = std::move(bytes);
    held.lines = list;
}

} // namespace besedka
