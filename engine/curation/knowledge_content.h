#pragma once

#include "curation/feedback.h"
#include "files/file_store.h"
#include "text/text_lines.h"

#include <optional>
#include <string>
#include <vector>

namespace besedka {

// A reply list by its file name in Base ("W1.Dat").
struct NamedList {
    std::string name;
    TextLines lines;
};

// What export, import and merge carry from one knowledge base to another:
// the tree's lines and the reply lists', in Windows-1251. A part that is not
// there is left as it is where it goes.
struct KnowledgeContent {
    std::optional<TextLines> tree;
    std::vector<NamedList> lists;
};

// The names of the reply lists in Base, in the program's order.
std::vector<std::string> replyListNames();

// The tree and every reply list of a working directory, read under the lock
// of Base; throws FileError (and KnowledgeBaseBusy as `feedback` asks).
KnowledgeContent readKnowledgeContent(const FileStore& files, const Feedback& feedback = {});

// Replaces each file that `content` holds, atomically, under the lock of Base
// and after a backup; throws FileError. A backup that cannot be made refuses
// the change (NoBackupMade) unless `withoutBackup`: the files replaced may
// hold what was learned since the document was made.
void writeKnowledgeContent(FileStore& files, const KnowledgeContent& content,
                           const Feedback& feedback, bool withoutBackup = false);

} // namespace besedka
