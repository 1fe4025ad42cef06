// What the rendering plug-in tells the driver about itself: GetInfo's
// result, last error and buffer, and the methods it says it implements.
#include "driversrc/kvt-580duo/DrvRender/RenderAnswers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::render {
namespace {

constexpr std::uint32_t kNeededBefore = 0xDEADBEEF;
const plugin::Answer kAnswered{plugin::hr::SOk, std::nullopt};

struct RenderInfoRow {
    const char* name;
    std::uint32_t mode;
    std::uint32_t size;
    bool buffer;
    plugin::Answer answer;
    std::uint32_t needed;                // after the call
    std::optional<std::uint32_t> value;  // written into the buffer
};

class RenderGetInfoTest : public ::testing::TestWithParam<RenderInfoRow> {};

TEST_P(RenderGetInfoTest, Answers) {
    const RenderInfoRow& row = GetParam();
    std::vector<std::uint8_t> buffer(8, 0xCC);
    std::uint32_t needed = kNeededBefore;
    EXPECT_EQ(GetInfo(row.mode, row.buffer ? buffer.data() : nullptr, row.size, &needed), row.answer);
    EXPECT_EQ(needed, row.needed);
    std::uint32_t value = 0;
    std::memcpy(&value, buffer.data(), sizeof value);
    EXPECT_EQ(value, row.value.value_or(0xCCCCCCCCu));
}

const plugin::Answer kNoRoom{plugin::hr::EFail, err::InsufficientBuffer};
const plugin::Answer kInvalid{plugin::hr::EFail, err::InvalidParameter};

INSTANTIATE_TEST_SUITE_P(
    Modes, RenderGetInfoTest,
    ::testing::Values(RenderInfoRow{"Signature", getinfo::Signature, 4, true, kAnswered, 4, 0x4452354B},
                      RenderInfoRow{"InterfaceVersion", getinfo::InterfaceVersion, 8, true, kAnswered, 4, 0x10000},
                      RenderInfoRow{"Version", getinfo::Version, 4, true, kAnswered, 4, 1},
                      RenderInfoRow{"ThreeByteBuffer", getinfo::Signature, 3, true, kNoRoom, 4, {}},
                      RenderInfoRow{"NoBuffer", getinfo::Version, 4, false, kNoRoom, 4, {}},
                      RenderInfoRow{"PublisherInfoUnknown", 4, 4, true, kInvalid, kNeededBefore, {}}),
    [](const auto& r) { return std::string(r.param.name); });

TEST(RenderGetInfoRefusal, WithoutTheNeededCount) {
    std::uint32_t value = 0;
    EXPECT_EQ(GetInfo(getinfo::Signature, &value, sizeof value, nullptr), kInvalid);
    EXPECT_EQ(value, 0u);
}

TEST(RenderImplementedMethods, AreThoseTheDriverMayCall) {
    for (const char* method : {"GetInfo", "EnablePDEV", "CommandCallback", "FilterGraphics"})
        EXPECT_TRUE(ImplementsMethod(method)) << method;
    for (const char* method : {"ImageProcessing", "DevMode", "commandcallback", ""})
        EXPECT_FALSE(ImplementsMethod(method)) << method;
}

}  // namespace
}  // namespace kvt::render
