#include "curation/knowledge_content.h"

#include "curation/change_backup.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/string_list.h"

namespace besedka {
namespace {

constexpr std::string_view kBase = "Base\\";

std::string pathOf(const std::string& name) {
    return std::string(kBase) + name;
}

} // namespace

std::vector<std::string> replyListNames() {
    std::vector<std::string> names;
    for (const std::string_view path : paths::kReplyLists) {
        names.emplace_back(path.substr(kBase.size()));
    }
    return names;
}

KnowledgeContent readKnowledgeContent(const FileStore& files, const Feedback& feedback) {
    const auto hold = holdForChange(files, feedback);
    KnowledgeContent content;
    StringList list;
    list.load(files, paths::kWords);
    content.tree = list.textLines();
    for (const std::string& name : replyListNames()) {
        list.load(files, pathOf(name));
        content.lists.push_back({name, list.textLines()});
    }
    return content;
}

void writeKnowledgeContent(FileStore& files, const KnowledgeContent& content,
                           const Feedback& feedback, bool withoutBackup) {
    const auto hold = holdForChange(files, feedback);
    const auto backup =
        backUpBeforeChange(files, withoutBackup,
                           "nothing imported (with --no-backup, kb import writes without a backup)",
                           feedback.backupReason);
    BaseChange change(files);
    if (content.tree) {
        StringList(*content.tree).save(files, paths::kWords);
    }
    for (const NamedList& list : content.lists) {
        StringList(list.lines).save(files, pathOf(list.name));
    }
    change.commit();
    retireAfterChange(backup);
}

} // namespace besedka
