#include "platform/win32/ExplicitAccessEntries.h"

namespace kvt::win32 {

ExplicitAccessEntries::ExplicitAccessEntries(const std::vector<ports::ExplicitAccess>& entries) {
    trustees_.reserve(entries.size());
    for (const auto& entry : entries) trustees_.push_back(entry.trustee);
    entries_.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ::BuildExplicitAccessWithNameA(&entries_[i], trustees_[i].data(), entries[i].rights,
                                       static_cast<ACCESS_MODE>(entries[i].mode), entries[i].inheritance);
    }
}

std::uint32_t ExplicitAccessEntries::mergeInto(PACL old, UniqueLocalMemory<PACL>& merged) {
    PACL result = nullptr;
    const DWORD code =
        ::SetEntriesInAclA(static_cast<ULONG>(entries_.size()), entries_.data(), old, &result);
    merged.reset(result);
    return code;
}

}  // namespace kvt::win32
