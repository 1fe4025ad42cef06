#pragma once
// The error codes the sweep and the campaign make port calls fail with: the
// codes Windows gives for the failures a shop computer sees (5 access denied,
// 32 sharing violation, 1722 RPC server unavailable, 122 insufficient buffer,
// 2 file not found), and beside them each call's own typical refusal (3006 for
// a monitor already installed, 80 for an INF already in the store, 259 for an
// enumeration at its end, ...).
//
// The sweep's rule: every recorded call of a run fails once with each of the
// five codes and once more with its method's typical refusal when that is not
// one of them; a call that only asks whether a system function exists
// ("has...") fails once, which reads as "missing". The campaign draws from
// the same codes.
//
// Built with the sanitizers a run takes some fifty times as long. There the
// sweep fails each call once, the ith recorded call (counting from 0) with
// the (i mod n)th of its n codes, so that every code still meets calls of
// every kind; the campaign runs fewer seeds.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kvt::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

inline constexpr std::uint32_t kWindowsCodes[] = {5, 32, 1722, 122, 2};

// The refusal a call of `method` ("Spooler.addMonitor") typically meets.
std::uint32_t TypicalRefusal(std::string_view method);

// A probe for a function looked up at run time; any fault means "missing".
bool IsFunctionProbe(std::string_view method);

// Every code a call of `method` may fail with: the campaign's choice.
std::vector<std::uint32_t> FaultCodesFor(std::string_view method);

// The codes the sweep fails the `index`th recorded call with.
std::vector<std::uint32_t> SweepCodes(std::size_t index, std::string_view method);

}  // namespace kvt::test
