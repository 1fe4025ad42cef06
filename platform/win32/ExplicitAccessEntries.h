#pragma once
// EXPLICIT_ACCESS_A entries built from the ports' entries, and their merge
// into an ACL. The built-in accounts that the setup programs name
// ("Everyone", "Administrators", "SYSTEM") and trustees written as SID strings
// ("S-1-5-32-544") are given to Windows as SIDs: their names are translated
// on most Windows languages ("Jeder", "Administrateurs"), so a lookup by the
// English name fails there. When such a SID cannot be built, the merge fails
// with the code of that failure rather than look the name up. Other trustees
// go by name.
#include <windows.h>
#include <aclapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ports/AccessControl.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

// True for a built-in account named in English or a SID string.
bool IsWellKnownTrustee(const std::string& trustee);

// The SID of a built-in account named in English, or of a SID string; empty
// for any other name or when the SID cannot be built (the last error says why).
std::vector<BYTE> WellKnownSidOf(const std::string& trustee);

class ExplicitAccessEntries {
public:
    explicit ExplicitAccessEntries(const std::vector<ports::ExplicitAccess>& entries);
    // The entries point into trustees_ and sids_; they must stay where they are.
    ExplicitAccessEntries(const ExplicitAccessEntries&) = delete;
    ExplicitAccessEntries& operator=(const ExplicitAccessEntries&) = delete;

    // SetEntriesInAclA: the entries merged into `old` (null: a new list).
    std::uint32_t mergeInto(PACL old, UniqueLocalMemory<PACL>& merged);

private:
    std::vector<std::string> trustees_;
    std::vector<std::vector<BYTE>> sids_;
    std::vector<EXPLICIT_ACCESS_A> entries_;
    std::uint32_t sidFailure_ = 0;  // why a well-known trustee's SID could not be built
};

}  // namespace kvt::win32
