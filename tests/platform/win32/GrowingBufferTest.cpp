// The enumeration dance of the Win32 spooler adapter, against a scripted
// spooler whose list changes between the calls.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/GrowingBuffer.h"

namespace kvt::win32 {
namespace {

// A list of records of 8 bytes each; `growth[i]` records are added just
// before the i-th call, as another program adds printers meanwhile.
class ScriptedList {
public:
    ScriptedList(std::uint32_t records, std::vector<std::uint32_t> growth)
        : records_(records), growth_(std::move(growth)) {}

    std::uint32_t operator()(std::uint8_t* data, std::uint32_t size, std::uint32_t& needed, std::uint32_t& returned) {
        if (calls_ < growth_.size()) records_ += growth_[calls_];
        ++calls_;
        sizes_.push_back(size);
        needed = records_ * 8;
        if (size < needed) return err::InsufficientBuffer;
        if (needed > 0) std::memset(data, 0xAB, needed);
        returned = records_;
        return err::Success;
    }

    std::size_t calls() const { return calls_; }
    const std::vector<std::uint32_t>& sizes() const { return sizes_; }

private:
    std::uint32_t records_;
    std::vector<std::uint32_t> growth_;
    std::size_t calls_ = 0;
    std::vector<std::uint32_t> sizes_;
};

struct DanceCase {
    const char* name;
    std::uint32_t records;
    std::vector<std::uint32_t> growth;
    std::uint32_t expectedError;
    std::uint32_t expectedReturned;
    std::vector<std::uint32_t> expectedSizes;  // the buffer size of each call
};

class GrowingBufferTest : public ::testing::TestWithParam<DanceCase> {};

TEST_P(GrowingBufferTest, AsksForTheSizeFillsAndAsksAgainWhenTheListGrew) {
    const DanceCase& c = GetParam();
    ScriptedList list(c.records, c.growth);
    std::vector<std::uint8_t> buffer;
    std::uint32_t returned = 99;
    EXPECT_EQ(CallWithGrowingBuffer(std::ref(list), buffer, returned), c.expectedError);
    EXPECT_EQ(list.sizes(), c.expectedSizes);
    if (c.expectedError == err::Success) {
        EXPECT_EQ(returned, c.expectedReturned);
        EXPECT_GE(buffer.size(), returned * 8u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GrowingBufferTest,
    ::testing::Values(
        DanceCase{"empty_list_needs_no_buffer", 0, {}, err::Success, 0, {0}},
        DanceCase{"size_query_then_fill", 3, {}, err::Success, 3, {0, 24}},
        DanceCase{"grew_once_between_the_calls", 3, {0, 1}, err::Success, 4, {0, 24, 32}},
        DanceCase{"grew_twice", 1, {0, 1, 1}, err::Success, 3, {0, 8, 16, 24}},
        DanceCase{"keeps_growing_gives_up", 1, {0, 1, 1, 1, 1, 1, 1}, err::InsufficientBuffer, 0, {0, 8, 16, 24, 32}},
        DanceCase{"shrank_between_the_calls", 3, {0, static_cast<std::uint32_t>(-1)}, err::Success, 2, {0, 24}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GrowingBufferErrors, AnotherErrorEndsTheDanceAtOnce) {
    int calls = 0;
    auto stopped = [&calls](std::uint8_t*, std::uint32_t, std::uint32_t& needed, std::uint32_t&) {
        ++calls;
        needed = 64;
        return calls == 1 ? err::InsufficientBuffer : err::RpcServerUnavailable;
    };
    std::vector<std::uint8_t> buffer;
    std::uint32_t returned = 0;
    EXPECT_EQ(CallWithGrowingBuffer(stopped, buffer, returned), err::RpcServerUnavailable);
    EXPECT_EQ(calls, 2);

    // A "too small" that names no larger size cannot be helped.
    calls = 0;
    auto confused = [&calls](std::uint8_t*, std::uint32_t size, std::uint32_t& needed, std::uint32_t&) {
        ++calls;
        needed = size;
        return err::InsufficientBuffer;
    };
    EXPECT_EQ(CallWithGrowingBuffer(confused, buffer, returned, 16), err::InsufficientBuffer);
    EXPECT_EQ(calls, 1);
}

TEST(GrowingBufferErrors, AFirstBufferSavesTheSizeQuery) {
    ScriptedList list(2, {});
    std::vector<std::uint8_t> buffer;
    std::uint32_t returned = 0;
    EXPECT_EQ(CallWithGrowingBuffer(std::ref(list), buffer, returned, 261), err::Success);
    EXPECT_EQ(list.sizes(), std::vector<std::uint32_t>{261});
    EXPECT_EQ(returned, 2u);
}

}  // namespace
}  // namespace kvt::win32
