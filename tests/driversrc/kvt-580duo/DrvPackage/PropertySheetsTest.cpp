// How DocumentPropertySheets and DevicePropertySheets answer the host's
// reasons, and which pages each registers.
#include "driversrc/kvt-580duo/DrvPackage/PropertySheets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

class RecordingSteps final : public SheetSteps {
public:
    std::intptr_t registerPages() override {
        calls.push_back("registerPages");
        return pagesResult;
    }
    bool setHeaderTitle(std::u16string_view headerTitle) override {
        calls.push_back("setHeaderTitle");
        title = headerTitle;
        return hasHeader;
    }
    std::optional<std::intptr_t> resultToSet() override {
        calls.push_back("resultToSet");
        return setResult;
    }

    std::intptr_t pagesResult = 2;
    bool hasHeader = true;
    std::optional<std::intptr_t> setResult = 7;
    std::u16string title;
    std::vector<std::string> calls;
};

const Answer kAnswerOk{hr::SOk, std::nullopt};
const Answer kRefused{hr::EFail, err::InvalidParameter};

struct ReasonRow {
    const char* name;
    std::uint16_t version;
    std::uint16_t reason;
    SheetAnswer answer;
    std::vector<std::string> calls;
};

class SheetReasonTest : public ::testing::TestWithParam<ReasonRow> {};

TEST_P(SheetReasonTest, StoresTheResultOfTheReason) {
    const ReasonRow& row = GetParam();
    RecordingSteps steps;
    const SheetRequest request{row.version, row.reason};
    EXPECT_EQ(AnswerPropertySheet(&request, steps), row.answer);
    EXPECT_EQ(steps.calls, row.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, SheetReasonTest,
    ::testing::Values(
        ReasonRow{"InitRegistersThePages", 0x100, reason::Init, {kAnswerOk, 2}, {"registerPages"}},
        ReasonRow{"GetInfoHeaderSetsTheTitle", 0x100, reason::GetInfoHeader, {kAnswerOk, 1}, {"setHeaderTitle"}},
        ReasonRow{"DestroyKeepsThePageState", 0x100, reason::Destroy, {kAnswerOk, 1}, {}},
        ReasonRow{"SetResultPassesTheHostsResult", 0x100, reason::SetResult, {kAnswerOk, 7}, {"resultToSet"}},
        ReasonRow{"GetIcon", 0x100, reason::GetIcon, {kAnswerOk, 0}, {}},
        ReasonRow{"UnknownReasonFails", 0x100, 9, {kAnswerOk, kSheetFailure}, {}},
        ReasonRow{"NewerVersionRefused", 0x101, reason::Init, {kRefused, std::nullopt}, {}},
        ReasonRow{"OlderVersionRefused", 0x0FF, reason::GetIcon, {kRefused, std::nullopt}, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PropertySheets, ARecordThatIsMissingIsRefused) {
    RecordingSteps steps;
    EXPECT_EQ(AnswerPropertySheet(nullptr, steps), (SheetAnswer{kRefused, std::nullopt}));
    EXPECT_TRUE(steps.calls.empty());
}

TEST(PropertySheets, TheHeaderTitleIsOemUiPage) {
    RecordingSteps steps;
    const SheetRequest request{0x100, reason::GetInfoHeader};
    AnswerPropertySheet(&request, steps);
    EXPECT_EQ(steps.title, u"OEM UI Page");
}

TEST(PropertySheets, MissingHostRecordsGiveAFailingResult) {
    RecordingSteps steps;
    steps.hasHeader = false;
    steps.setResult = std::nullopt;
    steps.pagesResult = kSheetFailure;
    for (std::uint16_t sheetReason : {reason::Init, reason::GetInfoHeader, reason::SetResult}) {
        const SheetRequest request{0x100, sheetReason};
        EXPECT_EQ(AnswerPropertySheet(&request, steps), (SheetAnswer{kAnswerOk, kSheetFailure})) << "reason " << sheetReason;
    }
}

TEST(PropertySheets, DocumentAndDevicePages) {
    ASSERT_EQ(kDocumentPages.size(), 2u);
    EXPECT_EQ(kDocumentPages[0].dialogId, 116);
    EXPECT_EQ(kDocumentPages[0].title, u"Paper");
    EXPECT_EQ(kDocumentPages[1].dialogId, 121);
    EXPECT_EQ(kDocumentPages[1].title, u"Document Settings");
    ASSERT_EQ(kDevicePages.size(), 1u);
    EXPECT_EQ(kDevicePages[0].dialogId, 133);
    EXPECT_EQ(kDevicePages[0].title, u"Version");
}

}  // namespace
}  // namespace kvt::plugin
