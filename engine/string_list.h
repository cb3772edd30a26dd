#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace besedka {

class FileStore;

// An ordered list of Windows-1251 lines loaded from and saved to a
// knowledge-base file. Loading reads RTF or, failing that, plain lines;
// saving always writes RTF.
class StringList {
  public:
    StringList() = default;
    explicit StringList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    // Replaces the content with the file's lines; throws FileError.
    void load(const FileStore& files, std::string_view windowsPath);
    // Writes the whole list as RTF, replacing the file; throws FileError.
    void save(const FileStore& files, std::string_view windowsPath) const;

    std::size_t count() const { return lines_.size(); }
    // Line i, or the empty text when there is no such line.
    const std::string& line(std::size_t i) const;
    // Adds a line; a text with line breaks becomes one line per part.
    void append(std::string_view text);
    void remove(std::size_t i);
    void clear() { lines_.clear(); }

    const std::vector<std::string>& lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
};

// The lines of a knowledge-base file's bytes: RTF paragraphs, else plain lines
// in UTF-8 or Windows-1251.
std::vector<std::string> parseKnowledgeFile(std::string_view bytes);

enum class KnowledgeForm { Rtf, Plain, PlainUtf8 };

// The lines of a knowledge-base file, with how they were read: for a checker.
struct KnowledgeText {
    std::vector<std::string> lines;
    KnowledgeForm form = KnowledgeForm::Plain;
    std::vector<std::size_t> strayBraces; // see RtfText
};
KnowledgeText readKnowledgeText(std::string_view bytes);

} // namespace besedka
