// The answers of GetInfo, QueryColorProfile and CommonUIProp: the result,
// the last error, and what each writes into the host's buffers.
#include "driversrc/kvt-580duo/DrvPackage/PluginAnswers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "tests/support/GetInfoRows.h"

namespace kvt::plugin {
namespace {

using test::GetInfoRow;
using test::kUntouched;

const Answer kOk{hr::SOk, std::nullopt};

class GetInfoTest : public ::testing::TestWithParam<GetInfoRow> {};

TEST_P(GetInfoTest, Answers) { test::ExpectGetInfoRow(GetInfo, GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Modes, GetInfoTest,
    ::testing::Values(
        GetInfoRow{"Signature", getinfo::Signature, 4, true, kOk, 4, 0x4D534654},
        GetInfoRow{"SignatureIntoALargerBuffer", getinfo::Signature, 8, true, kOk, 4, 0x4D534654},
        GetInfoRow{"Version", getinfo::Version, 4, true, kOk, 4, 1},
        GetInfoRow{"ThreeByteBuffer", getinfo::Signature, 3, true, {hr::EFail, err::InsufficientBuffer}, 4, {}},
        GetInfoRow{"NoBuffer", getinfo::Version, 4, false, {hr::EFail, err::InsufficientBuffer}, 4, {}},
        GetInfoRow{"InterfaceVersionRefusedBeforeTheSize", getinfo::InterfaceVersion, 4, true,
                   {hr::EFail, err::InvalidParameter}, kUntouched, {}},
        GetInfoRow{"UnknownMode", 9, 4, true, {hr::EFail, err::InvalidParameter}, kUntouched, {}},
        GetInfoRow{"PublisherInfoNotSupported", getinfo::PublisherInfo, 4, true, {hr::EFail, err::NotSupported}, 0,
                   {}},
        GetInfoRow{"PublisherInfoWithoutRoom", getinfo::PublisherInfo, 2, true,
                   {hr::EFail, err::InsufficientBuffer}, 4, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GetInfo, RefusesAMissingNeededSize) {
    std::uint32_t buffer = 0;
    EXPECT_EQ(GetInfo(getinfo::Signature, &buffer, 4, nullptr), (Answer{hr::EFail, err::InvalidParameter}));
    EXPECT_EQ(buffer, 0u);
}

struct ProfileRow {
    const char* name;
    std::uint32_t queryMode;
    std::uint32_t size;
    bool buffer;
    Answer answer;
    std::uint32_t sizeAfter;
    std::uint32_t flagsAfter;
    bool profileWritten;
};

class QueryColorProfileTest : public ::testing::TestWithParam<ProfileRow> {};

TEST_P(QueryColorProfileTest, Answers) {
    const ProfileRow& row = GetParam();
    std::array<std::uint8_t, 40> buffer;
    buffer.fill(0xCC);
    std::uint32_t size = row.size, flags = kUntouched;
    EXPECT_EQ(QueryColorProfile(row.queryMode, row.buffer ? buffer.data() : nullptr, &size, &flags), row.answer);
    EXPECT_EQ(size, row.sizeAfter);
    EXPECT_EQ(flags, row.flagsAfter);
    if (row.profileWritten) {
        std::array<std::uint8_t, 40> expected;
        expected.fill(0xCC);
        const char name[] = "OEMPROFILE.icm";  // 14 characters and the terminator, 2 bytes each
        for (std::size_t i = 0; i < sizeof name; ++i) {
            expected[2 * i] = static_cast<std::uint8_t>(name[i]);
            expected[2 * i + 1] = 0;
        }
        EXPECT_EQ(buffer, expected) << "30 bytes written, the rest untouched";
    } else {
        EXPECT_EQ(buffer[0], 0xCC);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, QueryColorProfileTest,
    ::testing::Values(
        ProfileRow{"ThirtyTwoBytes", kQueryDeviceProfile, 32, true, kOk, 32, kProfileOnDisk, true},
        ProfileRow{"LargerBufferAnswers32", kQueryDeviceProfile, 40, true, kOk, 32, kProfileOnDisk, true},
        ProfileRow{"ThirtyOneBytes", kQueryDeviceProfile, 31, true, {hr::EFail, err::InsufficientBuffer}, 32,
                   kUntouched, false},
        ProfileRow{"NoBuffer", kQueryDeviceProfile, 64, false, {hr::EFail, err::InsufficientBuffer}, 32, kUntouched,
                   false},
        ProfileRow{"OtherQueryMode", 1, 32, true, {hr::EFail, std::nullopt}, 32, kUntouched, false},
        ProfileRow{"OtherQueryModeLeavesASmallSize", 2, 3, true, {hr::EFail, std::nullopt}, 3, kUntouched, false}),
    [](const auto& row) { return std::string(row.param.name); });

struct Item {
    std::uint16_t cbSize = 0;
    std::uint32_t Flags = 0;
    std::uint32_t after = 0x5A5A5A5A;
};

struct UiPropRow {
    const char* name;
    std::uint32_t mode;
    bool param;
    bool items;
    Answer answer;
    bool hidden;
};

class CommonUIPropTest : public ::testing::TestWithParam<UiPropRow> {};

TEST_P(CommonUIPropTest, HidesTheDriversItems) {
    const UiPropRow& row = GetParam();
    std::array<Item, 3> items{};
    items[1].Flags = 0x20;
    items[2].Flags = kOptionHidden;
    EXPECT_EQ(CommonUIProp(row.mode, row.param, row.items ? items.data() : nullptr, 3), row.answer);
    const std::array<std::uint32_t, 3> hidden{kOptionHidden, 0x20 | kOptionHidden, kOptionHidden};
    const std::array<std::uint32_t, 3> untouched{0, 0x20, kOptionHidden};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].Flags, (row.hidden ? hidden : untouched)[i]) << "item " << i;
        EXPECT_EQ(items[i].after, 0x5A5A5A5Au);
        EXPECT_EQ(items[i].cbSize, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CommonUIPropTest,
    ::testing::Values(UiPropRow{"DocumentProperties", uiprop::Document, true, true, kOk, true},
                      UiPropRow{"PrinterProperties", uiprop::Printer, true, true, kOk, true},
                      UiPropRow{"NoItemList", uiprop::Document, true, false, kOk, false},
                      UiPropRow{"ModeThree", 3, true, true, {hr::EFail, err::InvalidParameter}, false},
                      UiPropRow{"ModeZero", 0, true, true, {hr::EFail, err::InvalidParameter}, false},
                      UiPropRow{"NoParameterRecord", uiprop::Printer, false, true,
                                {hr::EFail, err::InvalidParameter}, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CommonUIProp, HidesExactlyTheCountedItems) {
    std::array<Item, 3> items{};
    EXPECT_EQ(CommonUIProp(uiprop::Document, true, items.data(), 2), kOk);
    EXPECT_EQ(items[1].Flags, kOptionHidden);
    EXPECT_EQ(items[2].Flags, 0u);
}

}  // namespace
}  // namespace kvt::plugin
