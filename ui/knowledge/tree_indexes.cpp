#include "knowledge/tree_indexes.h"

namespace besedka {

// Those of no tree until the first is set.
TreeIndexes::TreeIndexes()
    : search_{std::make_shared<const TreeSearch>(TextLines()), nullptr, 0},
      keys_{std::make_shared<const OutlineMerge>(TextLines()), nullptr, 0},
      worker_([this](const std::stop_token& stop) { work(stop); }) {}

// The worker stops after the index it is making: the window waits that long
// when it closes.
TreeIndexes::~TreeIndexes() = default;

void TreeIndexes::setTree(const StringList& tree) {
    {
        const std::lock_guard lock(mutex_);
        ++tree_;
        waiting_ = tree;
        search_ = {};
        keys_ = {};
    }
    changed_.notify_all();
}

std::shared_ptr<const TreeSearch> TreeIndexes::search() const {
    return wait(search_);
}

std::shared_ptr<const OutlineMerge> TreeIndexes::keys() const {
    return wait(keys_);
}

template <typename Index>
std::shared_ptr<const Index> TreeIndexes::wait(const Made<Index>& made) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return made.tree == tree_; });
    if (made.failure) {
        std::rethrow_exception(made.failure);
    }
    return made.index;
}

// Makes one index outside the lock and keeps it unless a newer tree came
// meanwhile.
template <typename Index, typename Make>
void TreeIndexes::make(Made<Index>& made, std::uint64_t tree, const Make& how) {
    Made<Index> result;
    result.tree = tree;
    try {
        result.index = how();
    } catch (...) {
        result.failure = std::current_exception();
    }
    {
        const std::lock_guard lock(mutex_);
        if (tree == tree_) {
            made = std::move(result);
        }
    }
    changed_.notify_all();
}

// The search first: it is made in a fraction of the keys' time.
void TreeIndexes::work(const std::stop_token& stop) {
    while (true) {
        StringList tree;
        std::uint64_t number = 0;
        {
            std::unique_lock lock(mutex_);
            if (!changed_.wait(lock, stop, [&] { return waiting_.has_value(); })) {
                return;
            }
            tree = std::move(*waiting_);
            waiting_.reset();
            number = tree_;
        }
        make(search_, number, [&] { return std::make_shared<const TreeSearch>(tree.textLines()); });
        if (stop.stop_requested()) {
            return;
        }
        make(keys_, number, [&] { return std::make_shared<const OutlineMerge>(tree.textLines()); });
    }
}

} // namespace besedka
