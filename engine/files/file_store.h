#pragma once

#include "files/directory_lock.h"
#include "files/path_map.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace besedka {

class FileStore;

// The knowledge base's lock, held while this lives (see
// FileStore::holdKnowledgeBase).
class KnowledgeBaseHold {
  public:
    ~KnowledgeBaseHold();
    KnowledgeBaseHold(KnowledgeBaseHold&& other) noexcept
        : store_(std::exchange(other.store_, nullptr)) {}
    KnowledgeBaseHold(const KnowledgeBaseHold&) = delete;
    KnowledgeBaseHold& operator=(const KnowledgeBaseHold&) = delete;

  private:
    friend class FileStore;
    explicit KnowledgeBaseHold(const FileStore& store) : store_(&store) {}
    const FileStore* store_; // none once moved from
};

// A change of several files of Base, made all at once or not at all (see
// changeFilesTogether): while it is open, the store's writes to files of Base
// are held, and its reads see them; commit() makes them, and a change not
// committed (a step that threw midway) writes nothing. A change opened inside
// another joins it: the outer one commits. Open it under the lock of Base.
class BaseChange {
  public:
    explicit BaseChange(const FileStore& store);
    ~BaseChange();
    BaseChange(const BaseChange&) = delete;
    BaseChange& operator=(const BaseChange&) = delete;

    // Throws FileError naming the file that could not be written; Base is
    // then as it was, or the next run that takes its lock finishes the change.
    void commit();

  private:
    const FileStore& store_;
};

// Reads and writes the program's files by their Windows names, for one run of
// the program. Failures throw FileError naming the file as the program does.
class FileStore {
  public:
    explicit FileStore(PathMap paths) : paths_(std::move(paths)) {}
    virtual ~FileStore() = default;

    virtual std::string read(std::string_view windowsPath) const;
    // Replaces the whole file; the old file survives any failure.
    virtual void write(std::string_view windowsPath, std::string_view bytes) const;
    // Whether the file can be read and holds exactly `bytes`; never throws.
    virtual bool hasContent(std::string_view windowsPath, std::string_view bytes) const;

    // Takes the knowledge base's lock (on the Base directory) for a
    // read-modify-write of its files, so that another process's changes are
    // neither lost nor mixed in; waits while another process holds it, telling
    // `observer` when that takes long. Holds taken inside a hold share its
    // lock. The run's first hold removes the temporary files of killed saves
    // and finishes a restore that a killed run left unfinished. Throws
    // FileError (Operation::Lock) when Base exists but cannot be locked.
    [[nodiscard]] KnowledgeBaseHold holdKnowledgeBase(const LockWaitObserver& observer = {}) const;
    // The same waiting no longer than `patience`: nothing while another
    // process holds the lock for longer.
    [[nodiscard]] std::optional<KnowledgeBaseHold>
    tryHoldKnowledgeBase(std::chrono::milliseconds patience = {}) const;

    // A step to run once, just before the run's first write (a backup of the
    // knowledge base as it was), and one to run once a write has succeeded
    // (the retirement of old backups).
    void setBeforeFirstWrite(std::function<void()> step) { beforeFirstWrite_ = std::move(step); }
    void setAfterFirstWrite(std::function<void()> step) { afterFirstWrite_ = std::move(step); }
    // Runs those steps again around the next write: a run that lasts for
    // weeks keeps taking restore points.
    void armBeforeNextWrite() const {
        written_ = false;
        succeeded_ = false;
    }

    // Where the store tells, once, of what it found and mended on taking the
    // lock (a restore that could not be finished); standard error when unset.
    void setNotice(std::function<void(const std::string&)> notice) { notice_ = std::move(notice); }

    const PathMap& paths() const { return paths_; }
    PathMap& paths() { return paths_; }

  private:
    friend class KnowledgeBaseHold;
    friend class BaseChange;
    friend class ChangeSavepoint;

    // A write held by the open change; shared, so that a savepoint costs no
    // copy of the files.
    struct HeldWrite {
        std::string windowsPath;
        std::shared_ptr<const std::string> bytes;
    };
    const HeldWrite* heldWrite(const std::filesystem::path& path) const;
    bool isInBase(const std::filesystem::path& path) const;
    void beforeWrite() const;
    void afterWrite() const;
    void commitChange() const;
    void tell(const std::string& notice) const;

    // Takes the lock by `take` unless a hold has it already; the first time,
    // cleans up after killed runs. False when `take` found the lock busy.
    bool lockForHold(
        const std::function<std::optional<DirectoryLock>(const std::filesystem::path&)>& take)
        const;

    PathMap paths_;
    std::function<void()> beforeFirstWrite_;
    std::function<void()> afterFirstWrite_;
    std::function<void(const std::string&)> notice_;
    // Reading and writing change no content of the store; these keep track of
    // the run's lock and first write.
    mutable bool written_ = false;
    mutable bool succeeded_ = false;
    mutable bool cleaned_ = false;
    mutable int holds_ = 0;
    mutable std::optional<DirectoryLock> lock_;
    mutable int changes_ = 0; // open changes, nested
    mutable std::map<std::filesystem::path, HeldWrite> held_;
};

// Where an open change stood: rolling back to it drops every write held
// since, as a database drops what followed a savepoint, and keeps the rest of
// the change.
class ChangeSavepoint {
  public:
    explicit ChangeSavepoint(const FileStore& store) : store_(store), held_(store.held_) {}
    void rollBack() const { store_.held_ = held_; }

  private:
    const FileStore& store_;
    std::map<std::filesystem::path, FileStore::HeldWrite> held_;
};

} // namespace besedka
