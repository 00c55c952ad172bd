// The entries the player lately used, each the reading of one file, bounded by the bytes they
// hold: an entry is kept while its file keeps its size and time, and the least recently used
// is let go first when a new one would pass the bound. Shared, so that one in use outlives
// being let go. The reading cache and the picture cache differ only in which entry goes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>
#include <string>

namespace kovra::player {

// Entry has path, size, modified and cost (the bytes it holds, about). CheapToRedo(entry) says
// which entries are let go before the others: the least recently used of those first, and only
// once none is left the least recently used of the rest.
template <class Entry, class CheapToRedo> class BytesBoundedCache {
  public:
    explicit BytesBoundedCache(std::size_t mostBytes) : mostBytes_(mostBytes) {}

    // The entry of path where it was made of the file at this size and time, now the most
    // recently used; none where none is kept, or where the file changed since (that one let go).
    std::shared_ptr<const Entry> find(const std::string& path, std::uint64_t size,
                                      std::int64_t modified) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if ((*it)->path != path)
                continue;
            std::shared_ptr<const Entry> found = *it;
            if (found->size != size || found->modified != modified) {
                held_ -= found->cost;
                entries_.erase(it);
                return nullptr;
            }
            entries_.splice(entries_.begin(), entries_, it);
            return found;
        }
        return nullptr;
    }

    // Keeps entry as the most recently used, in place of any other of its path; one larger
    // than the whole bound is not kept.
    void keep(std::shared_ptr<const Entry> entry) {
        drop(entry->path);
        if (entry->cost > mostBytes_)
            return;
        held_ += entry->cost;
        entries_.push_front(std::move(entry));
        while (held_ > mostBytes_)
            letGoOne();
    }

    void drop(const std::string& path) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if ((*it)->path == path) {
                held_ -= (*it)->cost;
                entries_.erase(it);
                return;
            }
    }

    bool holds(const std::string& path) const {
        for (const std::shared_ptr<const Entry>& entry : entries_)
            if (entry->path == path)
                return true;
        return false;
    }

    std::size_t bytesHeld() const { return held_; }
    std::size_t entriesHeld() const { return entries_.size(); }

  private:
    void letGoOne() {
        auto out = std::prev(entries_.end());
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if (CheapToRedo{}(**it)) {
                out = std::prev(it.base());
                break;
            }
        held_ -= (*out)->cost;
        entries_.erase(out);
    }

    std::size_t mostBytes_;
    std::size_t held_ = 0;
    std::list<std::shared_ptr<const Entry>> entries_; // the most recently used first
};

} // namespace kovra::player
