#include "Installer/setup_common/win32/MessageBoxStyle.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt::setup::shell {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

struct StyleRow {
    std::string name;
    MessageIcon icon;
    MessageButtons buttons;
    std::uint32_t flags;  // MessageBoxA's uType, in the system's numbers
};

class MessageBoxFlagsTest : public testing::TestWithParam<StyleRow> {};

TEST_P(MessageBoxFlagsTest, CombinesIconAndButtons) {
    EXPECT_EQ(MessageBoxFlags(GetParam().icon, GetParam().buttons), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MessageBoxFlagsTest,
    testing::Values(StyleRow{"PlainOk", MessageIcon::None, MessageButtons::Ok, 0x00},
                    StyleRow{"InformationOk", MessageIcon::Information, MessageButtons::Ok, 0x40},
                    StyleRow{"ErrorOk", MessageIcon::Error, MessageButtons::Ok, 0x10},
                    StyleRow{"WarningOk", MessageIcon::Warning, MessageButtons::Ok, 0x30},
                    StyleRow{"RestartQuestion", MessageIcon::Question, MessageButtons::YesNo, 0x24},
                    StyleRow{"PlainYesNo", MessageIcon::None, MessageButtons::YesNo, 0x04}),
    [](const testing::TestParamInfo<StyleRow>& row) { return row.param.name; });

struct AnswerRow {
    std::string name;
    int boxResult;
    MessageAnswer answer;
};

class MessageBoxAnswerTest : public testing::TestWithParam<AnswerRow> {};

TEST_P(MessageBoxAnswerTest, MapsTheButtonPressed) {
    EXPECT_EQ(AnswerFromBoxId(GetParam().boxResult), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Rows, MessageBoxAnswerTest,
                         testing::Values(AnswerRow{"Ok", 1, MessageAnswer::Ok},
                                         AnswerRow{"Cancel", 2, MessageAnswer::Cancel},
                                         AnswerRow{"Yes", 6, MessageAnswer::Yes},
                                         AnswerRow{"No", 7, MessageAnswer::No},
                                         // The box could not be shown: never consent.
                                         AnswerRow{"FailedBox", 0, MessageAnswer::Cancel},
                                         AnswerRow{"Abort", 3, MessageAnswer::Cancel}),
                         [](const testing::TestParamInfo<AnswerRow>& row) { return row.param.name; });

}  // namespace
}  // namespace kvt::setup::shell
