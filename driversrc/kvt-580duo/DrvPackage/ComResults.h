#pragma once
// How the plug-in answers its host: a COM result code, and the thread's last
// error where the method sets one. The portable core returns both, so the
// answers are testable natively; the COM shell passes them on.
#include <cstdint>
#include <optional>
#include <string_view>

namespace kvt::plugin {

using HResult = std::int32_t;

namespace hr {
inline constexpr HResult SOk = 0;
inline constexpr HResult SFalse = 1;
inline constexpr HResult ENotImpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult ENoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult EFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult EOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult ClassENoAggregation = static_cast<HResult>(0x80040110u);
inline constexpr HResult ClassEClassNotAvailable = static_cast<HResult>(0x80040111u);
}  // namespace hr

// The symbolic name of a code the plug-in uses ("S_OK", "E_FAIL"...); empty
// for any other code.
std::string_view HResultName(HResult result);

struct Answer {
    HResult result = hr::SOk;
    // Set only when the method sets the thread's last error.
    std::optional<std::uint32_t> lastError;
    friend bool operator==(const Answer&, const Answer&) = default;
};

inline Answer Refuse(std::uint32_t lastError) { return {hr::EFail, lastError}; }

}  // namespace kvt::plugin
