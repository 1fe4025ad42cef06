// What the rendering plug-in tells the driver about itself: GetInfo's
// result, last error and buffer, and the methods it says it implements.
#include "driversrc/kvt-580duo/DrvRender/RenderAnswers.h"

#include <gtest/gtest.h>

#include "platform/ports/WinCodes.h"
#include "tests/support/GetInfoRows.h"

namespace kvt::render {
namespace {

using test::GetInfoRow;
using test::kUntouched;

const plugin::Answer kAnswered{plugin::hr::SOk, std::nullopt};
const plugin::Answer kNoRoom{plugin::hr::EFail, err::InsufficientBuffer};
const plugin::Answer kInvalid{plugin::hr::EFail, err::InvalidParameter};

class RenderGetInfoTest : public ::testing::TestWithParam<GetInfoRow> {};

TEST_P(RenderGetInfoTest, Answers) { test::ExpectGetInfoRow(GetInfo, GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Modes, RenderGetInfoTest,
    ::testing::Values(GetInfoRow{"Signature", getinfo::Signature, 4, true, kAnswered, 4, 0x4452354B},
                      GetInfoRow{"InterfaceVersion", getinfo::InterfaceVersion, 8, true, kAnswered, 4, 0x10000},
                      GetInfoRow{"Version", getinfo::Version, 4, true, kAnswered, 4, 1},
                      GetInfoRow{"ThreeByteBuffer", getinfo::Signature, 3, true, kNoRoom, 4, {}},
                      GetInfoRow{"NoBuffer", getinfo::Version, 4, false, kNoRoom, 4, {}},
                      GetInfoRow{"PublisherInfoUnknown", 4, 4, true, kInvalid, kUntouched, {}}),
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
