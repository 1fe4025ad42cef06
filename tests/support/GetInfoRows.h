#pragma once
// The table of a plug-in's GetInfo: one call per row as the host makes it,
// into an 8-byte buffer of 0xCC (or none) with the needed count preset to
// kUntouched, and what the call answered, counted and wrote.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::test {

inline constexpr std::uint32_t kUntouched = 0xDEADBEEF;

struct GetInfoRow {
    const char* name;
    std::uint32_t mode;
    std::uint32_t size;
    bool buffer;
    plugin::Answer answer;
    std::uint32_t needed;                // after the call
    std::optional<std::uint32_t> value;  // written into the buffer
};

using GetInfoFunction = plugin::Answer (*)(std::uint32_t mode, void* buffer, std::uint32_t size,
                                           std::uint32_t* needed);

inline void ExpectGetInfoRow(GetInfoFunction getInfo, const GetInfoRow& row) {
    std::vector<std::uint8_t> buffer(8, 0xCC);
    std::uint32_t needed = kUntouched;
    EXPECT_EQ(getInfo(row.mode, row.buffer ? buffer.data() : nullptr, row.size, &needed), row.answer);
    EXPECT_EQ(needed, row.needed);
    std::uint32_t value = 0;
    std::memcpy(&value, buffer.data(), sizeof value);
    if (row.value) {
        EXPECT_EQ(value, *row.value);
    } else {
        EXPECT_EQ(value, 0xCCCCCCCCu) << "the buffer is left alone";
    }
}

}  // namespace kvt::test
