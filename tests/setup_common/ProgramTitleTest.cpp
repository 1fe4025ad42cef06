// The message-box caption taken from the running program file's path.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "Installer/setup_common/SetupProgram.h"

namespace kvt::setup {
namespace {

struct ProgramTitleRow {
    const char* name;
    std::string_view path;
    std::string_view title;
};

class ProgramTitleOfPath : public ::testing::TestWithParam<ProgramTitleRow> {};

TEST_P(ProgramTitleOfPath, IsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(ProgramTitleOf(GetParam().path), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProgramTitleOfPath,
    ::testing::Values(ProgramTitleRow{"Shipped", "C:\\Setup\\KVT580duo_Installer.exe", "KVT580duo_Installer"},
                      ProgramTitleRow{"Renamed", "D:\\Till Setup\\Install Till.EXE", "Install Till"},
                      ProgramTitleRow{"DotInFolder", "C:\\v3.4\\KVT580duo_Uninstaller", "KVT580duo_Uninstaller"},
                      ProgramTitleRow{"LastExtensionOnly", "\\\\server\\share\\setup.v2.exe", "setup.v2"},
                      ProgramTitleRow{"DriveRelative", "E:setup.exe", "setup"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::setup
