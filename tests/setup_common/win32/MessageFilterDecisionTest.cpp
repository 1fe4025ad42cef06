#include "Installer/setup_common/win32/MessageFilterDecision.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt::setup::shell {
namespace {

constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kCommand = 0x0111;
constexpr unsigned kSysKeyDown = 0x0104;
constexpr std::uintptr_t kEnterKey = 13;

struct FilterRow {
    std::string name;
    int busy;
    int removing;
    unsigned message;
    std::uintptr_t wParam;
    Cursor cursor;
    bool removeClose;
    bool swallow;
};

class MessageFilterDecisionTest : public testing::TestWithParam<FilterRow> {};

TEST_P(MessageFilterDecisionTest, DecidesCursorCloseCommandAndEscape) {
    const FilterRow& row = GetParam();
    const FilterDecision decision = DecideSetupMessage(row.busy, row.removing, row.message, row.wParam);
    EXPECT_EQ(decision.cursor, row.cursor);
    EXPECT_EQ(decision.removeCloseCommand, row.removeClose);
    EXPECT_EQ(decision.swallow, row.swallow);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MessageFilterDecisionTest,
    testing::Values(
        FilterRow{"IdleShowsArrowAndKeepsClose", 0, 0, kMouseMove, 0, Cursor::Arrow, false, false},
        FilterRow{"IdleLetsEscapeThrough", 0, 0, msg::KeyDown, msg::EscapeKey, Cursor::Arrow, false, false},
        FilterRow{"BusyShowsWaitAndRemovesClose", 1, 0, kMouseMove, 0, Cursor::Wait, true, false},
        FilterRow{"BusySwallowsEscapeKeyDown", 1, 0, msg::KeyDown, msg::EscapeKey, Cursor::Wait, true, true},
        FilterRow{"BusySwallowsEscapeKeyUp", 1, 0, msg::KeyUp, msg::EscapeKey, Cursor::Wait, true, true},
        FilterRow{"BusySwallowsEscapeCharacter", 1, 0, msg::Char, msg::EscapeKey, Cursor::Wait, true, true},
        FilterRow{"BusyLetsEnterThrough", 1, 0, msg::KeyDown, kEnterKey, Cursor::Wait, true, false},
        FilterRow{"BusyLetsAltEscapeThrough", 1, 0, kSysKeyDown, msg::EscapeKey, Cursor::Wait, true, false},
        // wParam 27 of a mouse move is four buttons held, of a command an id.
        FilterRow{"BusyKeepsMouseMoveWithWParam27", 1, 0, kMouseMove, 27, Cursor::Wait, true, false},
        FilterRow{"BusyKeepsCommandWithId27", 1, 0, kCommand, 27, Cursor::Wait, true, false},
        FilterRow{"RemovingShowsWaitAndRemovesClose", 0, 1, kMouseMove, 0, Cursor::Wait, true, false},
        FilterRow{"RemovingAloneLetsEscapeThrough", 0, 1, msg::KeyDown, msg::EscapeKey, Cursor::Wait, true, false},
        FilterRow{"BusyAndRemovingSwallowEscape", 1, 1, msg::KeyDown, msg::EscapeKey, Cursor::Wait, true, true},
        FilterRow{"AnyNonZeroFlagCounts", 7, 0, msg::Char, msg::EscapeKey, Cursor::Wait, true, true}),
    [](const testing::TestParamInfo<FilterRow>& row) { return row.param.name; });

TEST(MayCloseWindowTest, OnlyWhenNeitherInstallingNorRemoving) {
    EXPECT_TRUE(MayCloseWindow(0, 0));
    EXPECT_FALSE(MayCloseWindow(1, 0));
    EXPECT_FALSE(MayCloseWindow(0, 1));
    EXPECT_FALSE(MayCloseWindow(1, 1));
}

}  // namespace
}  // namespace kvt::setup::shell
