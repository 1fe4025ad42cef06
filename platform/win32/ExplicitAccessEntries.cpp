#include "platform/win32/ExplicitAccessEntries.h"

#include <sddl.h>

#include <initializer_list>

#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

bool SameName(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

bool IsSidString(const std::string& text) {
    return text.size() > 2 && (text[0] == 'S' || text[0] == 's') && text[1] == '-';
}

// A SID of `authority` and `subAuthorities`, built in place: InitializeSid
// works on every Windows the setup programs support (CreateWellKnownSid
// came only with Windows XP).
std::vector<BYTE> MakeSid(SID_IDENTIFIER_AUTHORITY authority, std::initializer_list<DWORD> subAuthorities) {
    const auto count = static_cast<UCHAR>(subAuthorities.size());
    std::vector<BYTE> sid(::GetSidLengthRequired(count));
    if (!::InitializeSid(sid.data(), &authority, count)) return {};
    DWORD index = 0;
    for (const DWORD subAuthority : subAuthorities) *::GetSidSubAuthority(sid.data(), index++) = subAuthority;
    return sid;
}

std::vector<BYTE> SidFromString(const std::string& text) {
    PSID converted = nullptr;
    if (!::ConvertStringSidToSidA(text.c_str(), &converted)) return {};
    UniqueLocalMemory<PSID> owned(converted);
    const DWORD length = ::GetLengthSid(owned.get());
    std::vector<BYTE> sid(length);
    if (!::CopySid(length, sid.data(), owned.get())) return {};
    return sid;
}

bool IsBuiltInName(const std::string& trustee) {
    for (const char* name :
         {"Everyone", "Administrators", "BUILTIN\\Administrators", "SYSTEM", "NT AUTHORITY\\SYSTEM"})
        if (SameName(trustee, name)) return true;
    return false;
}

}  // namespace

bool IsWellKnownTrustee(const std::string& trustee) { return IsBuiltInName(trustee) || IsSidString(trustee); }

std::vector<BYTE> WellKnownSidOf(const std::string& trustee) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (SameName(trustee, "Everyone")) return MakeSid(world, {SECURITY_WORLD_RID});
    if (SameName(trustee, "Administrators") || SameName(trustee, "BUILTIN\\Administrators"))
        return MakeSid(nt, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS});
    if (SameName(trustee, "SYSTEM") || SameName(trustee, "NT AUTHORITY\\SYSTEM"))
        return MakeSid(nt, {SECURITY_LOCAL_SYSTEM_RID});
    if (IsSidString(trustee)) return SidFromString(trustee);
    return {};
}

ExplicitAccessEntries::ExplicitAccessEntries(const std::vector<ports::ExplicitAccess>& entries) {
    trustees_.reserve(entries.size());
    sids_.reserve(entries.size());
    for (const auto& entry : entries) {
        trustees_.push_back(entry.trustee);
        sids_.push_back(WellKnownSidOf(entry.trustee));
        if (sids_.back().empty() && IsWellKnownTrustee(entry.trustee) && sidFailure_ == 0)
            sidFailure_ = FailureCode();
    }
    entries_.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPLICIT_ACCESS_A& built = entries_[i];
        if (sids_[i].empty()) {
            if (IsWellKnownTrustee(trustees_[i])) continue;  // never reached by mergeInto
            ::BuildExplicitAccessWithNameA(&built, trustees_[i].data(), entries[i].rights,
                                           static_cast<ACCESS_MODE>(entries[i].mode), entries[i].inheritance);
            continue;
        }
        built.grfAccessPermissions = entries[i].rights;
        built.grfAccessMode = static_cast<ACCESS_MODE>(entries[i].mode);
        built.grfInheritance = entries[i].inheritance;
        ::BuildTrusteeWithSidA(&built.Trustee, sids_[i].data());
        built.Trustee.TrusteeType = IsSidString(trustees_[i]) ? TRUSTEE_IS_UNKNOWN : TRUSTEE_IS_WELL_KNOWN_GROUP;
    }
}

std::uint32_t ExplicitAccessEntries::mergeInto(PACL old, UniqueLocalMemory<PACL>& merged) {
    if (sidFailure_ != 0) return sidFailure_;
    PACL result = nullptr;
    const DWORD code =
        ::SetEntriesInAclA(static_cast<ULONG>(entries_.size()), entries_.data(), old, &result);
    merged.reset(result);
    return code;
}

}  // namespace kvt::win32
