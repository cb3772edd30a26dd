#include "files/file_store.h"

#include "files/atomic_file.h"
#include "files/base_change.h"
#include "files/file_compare.h"
#include "files/file_error.h"
#include "files/restore_journal.h"

#include <iostream>

namespace besedka {

KnowledgeBaseHold::~KnowledgeBaseHold() {
    if (store_ != nullptr && --store_->holds_ == 0) {
        store_->lock_.reset();
    }
}

BaseChange::BaseChange(const FileStore& store) : store_(store) {
    ++store_.changes_;
}

BaseChange::~BaseChange() {
    if (--store_.changes_ == 0) {
        store_.held_.clear();
    }
}

void BaseChange::commit() {
    if (store_.changes_ == 1) {
        store_.commitChange();
    }
}

const FileStore::HeldWrite* FileStore::heldWrite(const std::filesystem::path& path) const {
    const auto found = held_.find(path);
    return found == held_.end() ? nullptr : &found->second;
}

bool FileStore::isInBase(const std::filesystem::path& path) const {
    return directoryOf(path) == paths_.resolve("Base");
}

void FileStore::beforeWrite() const {
    if (!written_) {
        written_ = true;
        if (beforeFirstWrite_) {
            beforeFirstWrite_();
        }
    }
}

void FileStore::afterWrite() const {
    if (!succeeded_) {
        succeeded_ = true;
        if (afterFirstWrite_) {
            afterFirstWrite_();
        }
    }
}

void FileStore::commitChange() const {
    if (held_.empty()) {
        return;
    }
    beforeWrite();
    std::vector<FileChange> files;
    for (auto& [path, write] : held_) {
        files.push_back({path, *write.bytes, {}, write.windowsPath});
    }
    held_.clear();
    if (const auto failure = changeFilesTogether(paths_.resolve("Base"), files)) {
        const bool journal = failure->file == kChangeJournal;
        throw FileError(FileError::Operation::Create,
                        journal ? "Base\\" + failure->file : failure->file, failure->reason);
    }
    afterWrite();
}

void FileStore::tell(const std::string& notice) const {
    if (notice_) {
        notice_(notice);
    } else {
        std::cerr << "besedka: " << notice << "\n";
    }
}

std::string FileStore::read(std::string_view windowsPath) const {
    if (!held_.empty()) {
        if (const HeldWrite* held = heldWrite(paths_.resolve(windowsPath))) {
            return *held->bytes;
        }
    }
    std::error_code reason;
    auto bytes = readWholeFile(paths_.resolve(windowsPath), reason);
    if (!bytes) {
        throw FileError(FileError::Operation::Open, std::string(windowsPath), reason);
    }
    return std::move(*bytes);
}

bool FileStore::hasContent(std::string_view windowsPath, std::string_view bytes) const {
    if (!held_.empty()) {
        if (const HeldWrite* held = heldWrite(paths_.resolve(windowsPath))) {
            return *held->bytes == bytes;
        }
    }
    return fileHoldsExactly(paths_.resolve(windowsPath), bytes);
}

void FileStore::write(std::string_view windowsPath, std::string_view bytes) const {
    const std::filesystem::path path = paths_.resolve(windowsPath);
    if (changes_ > 0 && isInBase(path)) {
        held_[path] =
            HeldWrite{std::string(windowsPath), std::make_shared<const std::string>(bytes)};
        return;
    }
    beforeWrite();
    if (const std::error_code reason = writeFileAtomically(path, bytes)) {
        throw FileError(FileError::Operation::Create, std::string(windowsPath), reason);
    }
    afterWrite();
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
    // Another run may have been killed in a change while this one waited.
    if (hasUnfinishedChange(base)) {
        if (const auto failure = finishUnfinishedChange(base)) {
            lock_.reset();
            throw FileError(FileError::Operation::Create, "Base\\" + failure->file,
                            failure->reason);
        }
        removeLeftoverTemporaries(base);
    }
    if (!cleaned_) {
        removeLeftoverTemporaries(base);
        if (const auto told = finishUnfinishedRestore(paths_.workdir(), base)) {
            tell(*told);
        }
        cleaned_ = true;
    }
    return true;
}

} // namespace besedka
