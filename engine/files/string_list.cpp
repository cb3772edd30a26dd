#include "files/string_list.h"

#include "files/file_store.h"
#include "text/plain_text.h"
#include "text/rtf.h"
#include "text/tree_keys.h"

namespace besedka {

struct StringList::Content {
    TextLines lines;
    // Made on demand from `lines`, which it follows; shared copies see it too.
    mutable std::unique_ptr<TreeKeys> keys;
};

KnowledgeText readKnowledgeText(std::string_view bytes) {
    if (auto rtf = readRtfText(bytes)) {
        return {std::move(rtf->lines), KnowledgeForm::Rtf, std::move(rtf->strayBraces),
                !rtf->closed};
    }
    if (const auto text = utf8TextAsCp1251(bytes)) {
        return {splitPlainLines(*text), KnowledgeForm::PlainUtf8, {}};
    }
    return {splitPlainLines(bytes), KnowledgeForm::Plain, {}};
}

TextLines knowledgeFileLines(std::shared_ptr<const std::string> bytes) {
    if (auto paragraphs = readRtfLines(*bytes)) {
        return std::move(*paragraphs);
    }
    if (auto text = utf8TextAsCp1251(*bytes)) {
        return plainTextLines(std::make_shared<const std::string>(std::move(*text)));
    }
    return plainTextLines(std::move(bytes));
}

std::vector<std::string> parseKnowledgeFile(std::string_view bytes) {
    return knowledgeFileLines(std::make_shared<const std::string>(bytes)).toStrings();
}

StringList::StringList() : content_(std::make_shared<Content>()) {}

StringList::StringList(const std::vector<std::string>& lines) : StringList() {
    for (const std::string& line : lines) {
        content_->lines.push_back(line);
    }
}

StringList::StringList(TextLines lines) : content_(std::make_shared<Content>()) {
    content_->lines = std::move(lines);
}

void StringList::load(const FileStore& files, std::string_view windowsPath) {
    *this = StringList(
        knowledgeFileLines(std::make_shared<const std::string>(files.read(windowsPath))));
}

void StringList::save(const FileStore& files, std::string_view windowsPath) const {
    files.write(windowsPath, writeRtf(content_->lines));
}

std::size_t StringList::count() const {
    return content_->lines.size();
}

const TextLines& StringList::textLines() const {
    return content_->lines;
}

std::string_view StringList::line(std::size_t i) const {
    return i < count() ? content_->lines[i] : std::string_view();
}

const TreeKeys& StringList::treeKeys() const {
    if (!content_->keys) {
        content_->keys = std::make_unique<TreeKeys>(content_->lines);
    }
    return *content_->keys;
}

StringList::Content& StringList::editable() {
    // Lists are changed a line or two at a time: room for a few more lines
    // spares a second copy of every line at the first append.
    constexpr std::size_t kRoom = 64;
    if (content_.use_count() > 1) {
        auto copy = std::make_shared<Content>();
        copy->lines = content_->lines.copyWithRoom(kRoom);
        // The keys go with the copy that changes. The list it was copied
        // from is, in this program, the one held for a file until the
        // changed copy is saved in its place; asked again, it makes its keys
        // anew.
        copy->keys = std::move(content_->keys);
        content_ = std::move(copy);
    }
    return *content_;
}

void StringList::append(std::string_view text) {
    Content& content = editable();
    for (const auto& part : splitAtLineBreaks(text)) {
        content.lines.push_back(part);
        if (content.keys) {
            content.keys->append(content.lines[content.lines.size() - 1]);
        }
    }
}

void StringList::insert(std::size_t i, std::string_view line) {
    if (i >= count()) {
        append(line);
        return;
    }
    Content& content = editable();
    content.lines.insert(i, line);
    if (content.keys) {
        content.keys->insert(i, line);
    }
}

void StringList::remove(std::size_t i) {
    if (i >= count()) {
        return;
    }
    Content& content = editable();
    content.lines.erase(i);
    if (content.keys) {
        content.keys->erase(i);
    }
}

} // namespace besedka
