// IPrintOemUI::DevMode on the plug-in's private device-mode record: each
// mode, and the conversion between records of other signatures and sizes.
#include "driversrc/kvt-580duo/DrvPackage/OemPrivateDevMode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

constexpr OemPrivateDevMode kFresh{20, kOemSignature, 1, 0, 0};

// A record in a buffer of exactly `size` bytes, so that the sanitizers see
// any read past a short record.
std::vector<std::uint8_t> RecordBytes(const OemPrivateDevMode& record, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::memcpy(bytes.data(), &record, std::min(size, sizeof record));
    return bytes;
}

OemPrivateDevMode Record(const std::vector<std::uint8_t>& bytes) {
    OemPrivateDevMode record{0, 0, 0, 0, 0};
    std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
    return record;
}

TEST(DevMode, SizeModeAsksFor20Bytes) {
    OemDevModeParam param{nullptr, nullptr, 0};
    EXPECT_EQ(DevMode(devmode::Size, &param), (Answer{hr::SOk, std::nullopt}));
    EXPECT_EQ(param.bufferSize, 20u);
}

TEST(DevMode, DefaultModeWritesAFreshRecord) {
    auto out = RecordBytes({1, 2, 3, 4, 5}, 20);
    OemDevModeParam param{nullptr, out.data(), 0};
    EXPECT_EQ(DevMode(devmode::Default, &param).result, hr::SOk);
    EXPECT_EQ(Record(out), kFresh);
    EXPECT_EQ(param.bufferSize, 0u) << "only the size mode sets the size";
}

TEST(DevMode, RefusesAMissingRecordAndUnknownModes) {
    const Answer refused{hr::EFail, err::InvalidParameter};
    EXPECT_EQ(DevMode(devmode::Size, nullptr), refused);
    auto out = RecordBytes(kFresh, 20);
    for (std::uint32_t mode : {0u, 5u, 0xFFFFFFFFu}) {
        OemDevModeParam param{out.data(), out.data(), 7};
        EXPECT_EQ(DevMode(mode, &param), refused) << "mode " << mode;
        EXPECT_EQ(param.bufferSize, 7u);
    }
}

struct ConvertRow {
    const char* name;
    std::uint32_t mode;
    OemPrivateDevMode in;
    std::size_t inBytes;  // size of the host's input buffer
    OemPrivateDevMode out;  // what the output buffer holds before
    OemPrivateDevMode expected;
};

class ConvertTest : public ::testing::TestWithParam<ConvertRow> {};

TEST_P(ConvertTest, LeavesTheExpectedRecord) {
    const ConvertRow& row = GetParam();
    const auto in = RecordBytes(row.in, row.inBytes);
    auto out = RecordBytes(row.out, 20);
    OemDevModeParam param{in.data(), out.data(), 0};
    EXPECT_EQ(DevMode(row.mode, &param), (Answer{hr::SOk, std::nullopt}));
    EXPECT_EQ(Record(out), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ConvertTest,
    ::testing::Values(
        ConvertRow{"ConvertCopiesOwnRecord", devmode::Convert, {20, kOemSignature, 1, 40, 60}, 20, kFresh,
                   {20, kOemSignature, 1, 40, 60}},
        ConvertRow{"ConvertOfAnotherSignatureGivesAFreshRecord", devmode::Convert, {20, 0x11111111, 1, 40, 60}, 20,
                   {20, kOemSignature, 1, 9, 9}, kFresh},
        ConvertRow{"ConvertOfAShortRecordCopiesItsBytesOnly", devmode::Convert, {12, kOemSignature, 1, 0, 0}, 12,
                   {20, kOemSignature, 1, 9, 9}, kFresh},
        ConvertRow{"ConvertMatchesTheOutputsOwnSignature", devmode::Convert, {20, 0x22222222, 7, 40, 60}, 20,
                   {20, 0x22222222, 3, 9, 9}, {20, 0x22222222, 1, 40, 60}},
        ConvertRow{"ConvertCopiesNoMoreThanTheOutputSays", devmode::Convert, {20, kOemSignature, 1, 40, 60}, 20,
                   {16, kOemSignature, 1, 9, 9}, {20, kOemSignature, 1, 40, 0}},
        ConvertRow{"ConvertNeverCopiesMoreThan20Bytes", devmode::Convert, {400, kOemSignature, 1, 40, 60}, 20,
                   {400, kOemSignature, 1, 9, 9}, {20, kOemSignature, 1, 40, 60}},
        ConvertRow{"ConvertKeepsValuesAbove100", devmode::Convert, {20, kOemSignature, 1, 101, 500}, 20, kFresh,
                   {20, kOemSignature, 1, 101, 500}},
        ConvertRow{"MergeZeroesAValueAbove100", devmode::Merge, {20, kOemSignature, 1, 101, 100}, 20, kFresh,
                   {20, kOemSignature, 1, 0, 100}},
        ConvertRow{"MergeKeepsAFirstValueOf100AndZeroesASecondOf101", devmode::Merge,
                   {20, kOemSignature, 1, 100, 101}, 20, kFresh, {20, kOemSignature, 1, 100, 0}},
        ConvertRow{"MergeZeroesBothValuesAbove100", devmode::Merge, {20, kOemSignature, 1, 0xFFFFFFFF, 101}, 20,
                   kFresh, kFresh},
        ConvertRow{"MergeRewritesTheHeaderOfAMatchingForeignRecord", devmode::Merge, {20, 0x22222222, 7, 40, 60},
                   20, {20, 0x22222222, 3, 9, 9}, {20, kOemSignature, 1, 40, 60}},
        ConvertRow{"MergeOfAnotherSignatureGivesAFreshRecord", devmode::Merge, {20, 0x11111111, 1, 40, 60}, 20,
                   {20, kOemSignature, 1, 9, 9}, kFresh}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DevMode, ConversionWithAMissingRecordChangesNothing) {
    auto out = RecordBytes({20, kOemSignature, 1, 9, 9}, 20);
    const auto before = out;
    for (std::uint32_t mode : {devmode::Convert, devmode::Merge}) {
        OemDevModeParam param{nullptr, out.data(), 0};
        EXPECT_EQ(DevMode(mode, &param).result, hr::SOk);
        EXPECT_EQ(out, before) << "mode " << mode;
        const auto in = RecordBytes(kFresh, 20);
        param = {in.data(), nullptr, 0};
        EXPECT_EQ(DevMode(mode, &param).result, hr::SOk);
    }
}

}  // namespace
}  // namespace kvt::plugin
