#include "files/file_store.h"

#include "files/atomic_file.h"
#include "files/file_compare.h"
#include "files/file_error.h"
#include "files/restore_journal.h"

namespace besedka {

KnowledgeBaseHold::~KnowledgeBaseHold() {
    if (store_ != nullptr && --store_->holds_ == 0) {
        store_->lock_.reset();
    }
}

std::string FileStore::read(std::string_view windowsPath) const {
    std::error_code reason;
    auto bytes = readWholeFile(paths_.resolve(windowsPath), reason);
    if (!bytes) {
        throw FileError(FileError::Operation::Open, std::string(windowsPath), reason);
    }
    return std::move(*bytes);
}

bool FileStore::hasContent(std::string_view windowsPath, std::string_view bytes) const {
    return fileHoldsExactly(paths_.resolve(windowsPath), bytes);
}

void FileStore::write(std::string_view windowsPath, std::string_view bytes) const {
    if (!written_) {
        written_ = true;
        if (beforeFirstWrite_) {
            beforeFirstWrite_();
        }
    }
    if (const std::error_code reason = writeFileAtomically(paths_.resolve(windowsPath), bytes)) {
        throw FileError(FileError::Operation::Create, std::string(windowsPath), reason);
    }
    if (!succeeded_) {
        succeeded_ = true;
        if (afterFirstWrite_) {
            afterFirstWrite_();
        }
    }
}

KnowledgeBaseHold FileStore::holdKnowledgeBase(const LockWaitObserver& observer) const {
    lockForHold([&](const std::filesystem::path& base) {
        return std::optional<DirectoryLock>(std::in_place, base, kLockPatience, observer);
    });
    ++holds_;
    return KnowledgeBaseHold(*this);
}

std::optional<KnowledgeBaseHold>
FileStore::tryHoldKnowledgeBase(std::chrono::milliseconds patience) const {
    if (!lockForHold([&](const std::filesystem::path& base) {
            return DirectoryLock::tryToLock(base, patience);
        })) {
        return std::nullopt;
    }
    ++holds_;
    return KnowledgeBaseHold(*this);
}

bool FileStore::lockForHold(
    const std::function<std::optional<DirectoryLock>(const std::filesystem::path&)>& take) const {
    if (holds_ > 0) {
        return true;
    }
    const auto base = paths_.resolve("Base");
    try {
        auto taken = take(base);
        if (!taken) {
            return false;
        }
        lock_.emplace(std::move(*taken));
    } catch (const std::system_error& error) {
        throw FileError(FileError::Operation::Lock, "Base", error.code());
    }
    if (!cleaned_) {
        removeLeftoverTemporaries(base);
        if (const auto failure = finishUnfinishedRestore(paths_.workdir(), base)) {
            lock_.reset();
            throw FileError(FileError::Operation::Create, "Base\\" + failure->file,
                            failure->reason);
        }
        cleaned_ = true;
    }
    return true;
}

} // namespace besedka
