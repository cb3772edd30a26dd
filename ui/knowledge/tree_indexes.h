#pragma once

#include "curation/outline_merge.h"
#include "curation/tree_search.h"
#include "files/string_list.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace besedka {

// What the window looks a tree up by, besides its outline: the search's
// folded text and the chat's index of keys for a phrase check. Both are made
// on a worker thread as soon as a tree is shown, so that neither the first
// search nor the first check waits for them, and are kept until the next
// tree: a search or a check then costs only the look-up. One who asks before
// they are made waits for them.
class TreeIndexes {
  public:
    TreeIndexes();
    TreeIndexes(const TreeIndexes&) = delete;
    TreeIndexes& operator=(const TreeIndexes&) = delete;
    ~TreeIndexes();

    // Starts making the indexes of `tree`, dropping those of the tree before.
    void setTree(const StringList& tree);
    // Each waits until its index is made; it rethrows what making it threw.
    std::shared_ptr<const TreeSearch> search() const;
    std::shared_ptr<const OutlineMerge> keys() const;

  private:
    template <typename Index> struct Made {
        std::shared_ptr<const Index> index;
        std::exception_ptr failure;
        std::uint64_t tree = 0; // the setTree it was made for
    };
    template <typename Index> std::shared_ptr<const Index> wait(const Made<Index>& made) const;
    template <typename Index, typename Make>
    void make(Made<Index>& made, std::uint64_t tree, const Make& how);
    void work(const std::stop_token& stop);

    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    std::uint64_t tree_ = 0;            // setTree calls so far
    std::optional<StringList> waiting_; // that tree, its lines shared, until taken
    Made<TreeSearch> search_;
    Made<OutlineMerge> keys_;
    std::jthread worker_; // last: stopped and joined before the rest goes
};

} // namespace besedka
