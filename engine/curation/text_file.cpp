#include "curation/text_file.h"

#include "curation/change_backup.h"
#include "curation/curation_error.h"
#include "files/atomic_file.h"
#include "files/backups.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "text/cp1251.h"
#include "text/plain_text.h"
#include "text/rtf.h"

#include <optional>

namespace besedka {
namespace fs = std::filesystem;
namespace {

bool isBaseDirectory(const fs::path& directory) {
    std::error_code error;
    return fs::equivalent(PathMap(directory / "..").resolve("Base"), directory, error);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.substr(0, mark.size()) == mark ? text.substr(mark.size()) : text;
}

// The file a write to `output` really changes: through a symbolic link, its
// target (whose directory is the one to lock and back up); in a working
// directory's Base, the knowledge file whose name matches whatever its case,
// as the program itself finds it, rather than a new file beside it.
fs::path realTarget(const fs::path& output) {
    std::error_code error;
    fs::path target = followLinks(output, error);
    if (error) {
        target = output; // the write itself reports the loop
    }
    const fs::path directory = directoryOf(target);
    if (isBaseDirectory(directory)) {
        return directory / PathMap(directory).resolve(target.filename().string()).filename();
    }
    return target;
}

// The lock of the folder written into. A Base is locked as every change of
// Base locks it, which first finishes a change or a restore left unfinished,
// so that the next run cannot finish it over what is written here.
struct FolderLock {
    std::optional<FileStore> store;
    std::optional<KnowledgeBaseHold> hold;
    std::optional<DirectoryLock> lock;
};

CurationError unlocked(const fs::path& directory, const std::error_code& reason) {
    return CurationError(Refusal::FolderNotLocked, pathFacts(directory, reason),
                         "cannot lock " + directory.string() + ": " + reasonText(reason) +
                             "; nothing written");
}

void lockDirectory(FolderLock& locked, const fs::path& directory, const Feedback& feedback) {
    if (isBaseDirectory(directory)) {
        locked.store.emplace(PathMap(directory / ".."));
        try {
            locked.hold.emplace(holdForChange(*locked.store, feedback));
        } catch (const FileError& error) {
            if (error.operation() == FileError::Operation::Lock) {
                throw unlocked(directory, error.reason());
            }
            throw fileRefusal(error, std::string(error.what()) + "; nothing written",
                              (directory / "..").lexically_normal());
        }
        return;
    }
    try {
        locked.lock.emplace(directory, kLockPatience, feedback.waiting);
    } catch (const std::system_error& error) {
        throw unlocked(directory, error.code());
    }
}

} // namespace

ConvertedText linesFromUtf8(std::string_view text) {
    ConvertedText converted;
    std::size_t number = 0;
    for (const std::string& utf8 : splitPlainLines(withoutByteOrderMark(text))) {
        ++number;
        converted.lines.push_back(utf8ToCp1251(utf8));
        if (cp1251ToUtf8(converted.lines.back()) != utf8) {
            converted.lossyLines.push_back(number);
        }
    }
    return converted;
}

void writeKnowledgeFile(const fs::path& output, const std::vector<std::string>& lines,
                        const Feedback& feedback) {
    const fs::path target = realTarget(output);
    const fs::path directory = directoryOf(target);
    FolderLock lock;
    lockDirectory(lock, directory, feedback);
    std::optional<TakenBackup> backup;
    if (isBaseDirectory(directory)) {
        BackupProblem problem;
        backup = backUpKnowledgeBase(directory / "..", directory,
                                     [&problem](const BackupProblem& told) { problem = told; });
        if (!backup) {
            throw NoBackupMade(problem, "nothing written");
        }
    }
    if (const auto failure = writeFileAtomically(target, writeRtf(lines))) {
        throw CurationError(Refusal::FileNotWritten, pathFacts(output, failure),
                            "cannot write " + output.string() + ": " + reasonText(failure));
    }
    if (backup) {
        retireOldBackups(backup->folder, {backup->stamp});
    }
}

} // namespace besedka
