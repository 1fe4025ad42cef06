#pragma once
// EXPLICIT_ACCESS_A entries built with BuildExplicitAccessWithNameA from the
// ports' entries, trustees by name, and their merge into an ACL.
#include <windows.h>
#include <aclapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ports/AccessControl.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

class ExplicitAccessEntries {
public:
    explicit ExplicitAccessEntries(const std::vector<ports::ExplicitAccess>& entries);
    // The entries point into trustees_; they must stay where they are.
    ExplicitAccessEntries(const ExplicitAccessEntries&) = delete;
    ExplicitAccessEntries& operator=(const ExplicitAccessEntries&) = delete;

    // SetEntriesInAclA: the entries merged into `old` (null: a new list).
    std::uint32_t mergeInto(PACL old, UniqueLocalMemory<PACL>& merged);

private:
    std::vector<std::string> trustees_;
    std::vector<EXPLICIT_ACCESS_A> entries_;
};

}  // namespace kvt::win32
