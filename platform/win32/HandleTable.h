#pragma once
// The handles an adapter has handed out through a port, each in its owner.
// The port sees only a number; closing through the port destroys the owner,
// and whatever the program leaves open is closed with the adapter. The
// numbers start above the predefined registry roots and never repeat, so a
// stale or foreign number is recognised instead of reaching Windows.
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "platform/win32/CriticalSection.h"

namespace kvt::win32 {

template <typename Owner>
class HandleTable {
public:
    using Raw = decltype(std::declval<const Owner&>().get());

    std::uint64_t add(Owner owner) {
        std::lock_guard guard(lock_);
        const std::uint64_t id = next_;
        next_ += 4;
        entries_.emplace(id, std::move(owner));
        return id;
    }

    // The raw handle, or the owner's "none" value for an unknown number.
    Raw find(std::uint64_t id) {
        std::lock_guard guard(lock_);
        auto it = entries_.find(id);
        return it == entries_.end() ? Owner().get() : it->second.get();
    }

    // Closes the handle; false for an unknown number.
    bool remove(std::uint64_t id) {
        Owner closing;
        {
            std::lock_guard guard(lock_);
            auto it = entries_.find(id);
            if (it == entries_.end()) return false;
            closing = std::move(it->second);
            entries_.erase(it);
        }
        return true;
    }

    std::size_t size() {
        std::lock_guard guard(lock_);
        return entries_.size();
    }

private:
    CriticalSection lock_;
    std::map<std::uint64_t, Owner> entries_;
    std::uint64_t next_ = 0x10000;
};

}  // namespace kvt::win32
