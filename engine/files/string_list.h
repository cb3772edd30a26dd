#pragma once

#include "text/text_lines.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

class FileStore;
class TreeKeys;

// An ordered list of Windows-1251 lines loaded from and saved to a
// knowledge-base file. Loading reads RTF or, failing that, plain lines;
// saving always writes RTF. Copies share their lines until one of them
// changes.
class StringList {
  public:
    StringList();
    explicit StringList(const std::vector<std::string>& lines);
    explicit StringList(TextLines lines);

    // Replaces the content with the file's lines; throws FileError.
    void load(const FileStore& files, std::string_view windowsPath);
    // Writes the whole list as RTF, replacing the file; throws FileError.
    void save(const FileStore& files, std::string_view windowsPath) const;

    std::size_t count() const;
    // Line i, or the empty text when there is no such line.
    std::string_view line(std::size_t i) const;
    // Adds a line; a text with line breaks becomes one line per part.
    void append(std::string_view text);
    // Adds a line of no line breaks as line i; past the end, as append does.
    void insert(std::size_t i, std::string_view line);
    void remove(std::size_t i);

    const TextLines& textLines() const;
    std::vector<std::string> lines() const { return textLines().toStrings(); }
    // The keys of the lines read as a knowledge tree; made at the first call
    // and kept up to date by append and remove.
    const TreeKeys& treeKeys() const;

  private:
    struct Content;
    Content& editable();

    std::shared_ptr<Content> content_;
};

// The lines of a knowledge-base file's bytes: RTF paragraphs, else plain lines
// in UTF-8 or Windows-1251 (which view into `bytes` when they need no
// conversion).
TextLines knowledgeFileLines(std::shared_ptr<const std::string> bytes);
std::vector<std::string> parseKnowledgeFile(std::string_view bytes);

enum class KnowledgeForm { Rtf, Plain, PlainUtf8 };

// The lines of a knowledge-base file, with how they were read: for a checker.
struct KnowledgeText {
    std::vector<std::string> lines;
    KnowledgeForm form = KnowledgeForm::Plain;
    std::vector<std::size_t> strayBraces; // see RtfText
    bool cutShort = false;                // an RTF document that stops before its end
};
KnowledgeText readKnowledgeText(std::string_view bytes);

} // namespace besedka
