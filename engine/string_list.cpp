#include "string_list.h"

#include "file_store.h"
#include "plain_text.h"
#include "rtf.h"

namespace besedka {

KnowledgeText readKnowledgeText(std::string_view bytes) {
    if (auto rtf = readRtfText(bytes)) {
        return {std::move(rtf->lines), KnowledgeForm::Rtf, std::move(rtf->strayBraces)};
    }
    if (const auto text = utf8TextAsCp1251(bytes)) {
        return {splitPlainLines(*text), KnowledgeForm::PlainUtf8, {}};
    }
    return {splitPlainLines(bytes), KnowledgeForm::Plain, {}};
}

std::vector<std::string> parseKnowledgeFile(std::string_view bytes) {
    return std::move(readKnowledgeText(bytes).lines);
}

void StringList::load(const FileStore& files, std::string_view windowsPath) {
    lines_ = parseKnowledgeFile(files.read(windowsPath));
}

void StringList::save(const FileStore& files, std::string_view windowsPath) const {
    files.write(windowsPath, writeRtf(lines_));
}

const std::string& StringList::line(std::size_t i) const {
    static const std::string empty;
    return i < lines_.size() ? lines_[i] : empty;
}

void StringList::append(std::string_view text) {
    for (auto& part : splitAtLineBreaks(text)) {
        lines_.push_back(std::move(part));
    }
}

void StringList::remove(std::size_t i) {
    if (i < lines_.size()) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

} // namespace besedka
