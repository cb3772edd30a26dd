#pragma once

#include "files/string_list.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace besedka {

class FileStore;

// The knowledge-base files as the engine loads and saves them. Every load
// reads the file afresh, so a change made on disk between two steps is always
// seen. When the file holds the very bytes behind the lines held from the
// last load or save of that file (compared in full, as they are read), those
// lines are used again instead of being parsed anew: after a save, the next
// load is a read and a compare. A save after a save rewrites the bytes held
// where they stand, keeping the paragraphs of the lines both lists share.
class KnowledgeFiles {
  public:
    explicit KnowledgeFiles(const FileStore& files) : files_(files) {}

    // Throws FileError.
    StringList load(std::string_view windowsPath);
    void save(std::string_view windowsPath, const StringList& list);

  private:
    struct Held {
        std::shared_ptr<std::string> bytes;
        StringList lines;
        // Where each line's paragraph starts in `bytes` when this program
        // wrote them for `lines`; empty for bytes read from elsewhere.
        std::vector<std::size_t> paragraphStarts;
    };
    Held& heldFor(std::string_view windowsPath);

    const FileStore& files_;
    std::unordered_map<std::string, Held> held_; // by the path in capitals
};

} // namespace besedka
