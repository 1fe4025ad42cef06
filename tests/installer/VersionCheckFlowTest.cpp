// The version check before installing: the same version installs again;
// another version, an unreadable one or mere leftovers are removed, the user
// is told twice, a forced restart is requested and the program ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/InstallerRuns.h"

namespace kvt::installer {
namespace {

using test::Events;
using test::EventField;
using test::Install;
using test::SystemWithPackage;

constexpr const char* kFound =
    "There is a different version driver in this system.\r\n\r\nThe installed driver will be removed.";
constexpr const char* kRemoved =
    "The installer has successfully removed the different version.\nNow it is going to restart your computer to "
    "take effect.\nAfter restarting, you may reinstall the driver again.";
constexpr const char* kUninstallEntryKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";

nlohmann::json JsonDword(unsigned value) { return {{"type", "REG_DWORD"}, {"data", value}}; }

// The image after an installation on COM1, changed by `edit`.
sim::World InstalledThenEdited(const char* os, const std::function<void(nlohmann::json&)>& edit) {
    const kvtsim::ProgramRun installed = Install(SystemWithPackage(os), test::Answers("COM1"));
    EXPECT_EQ(installed.exitCode, 0u);
    nlohmann::json image = installed.result["system"];
    edit(image);
    sim::World world;
    const auto error = sim::LoadImage(image, world);
    EXPECT_FALSE(error) << error->jsonPath << ": " << error->reason;
    return world;
}

std::function<void(nlohmann::json&)> SetVersion(const char* value, unsigned number) {
    return [=](nlohmann::json& image) {
        for (auto& printer : image["spooler"]["printers"]) printer["data"][value] = JsonDword(number);
    };
}

struct VersionRow {
    const char* name;
    const char* os;
    std::function<void(nlohmann::json&)> edit;
};

void PrintTo(const VersionRow& row, std::ostream* out) { *out << row.name; }

class DifferentVersionTest : public testing::TestWithParam<VersionRow> {};

TEST_P(DifferentVersionTest, IsRemovedAndTheComputerRestarted) {
    const VersionRow& row = GetParam();
    const kvtsim::ProgramRun run = Install(InstalledThenEdited(row.os, row.edit), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);

    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box["icon"], "information");
        EXPECT_EQ(box["buttons"], "ok");
    }
    EXPECT_EQ(boxes[0]["text"], kFound);
    EXPECT_EQ(boxes[1]["text"], kRemoved);
    const auto& transcript = run.result["transcript"];
    ASSERT_GE(transcript.size(), 2u);
    EXPECT_EQ(transcript[transcript.size() - 2], (nlohmann::json{{"event", "restart"}, {"flags", 18}}));
    EXPECT_EQ(transcript.back(), (nlohmann::json{{"event", "exit"}, {"code", 0}}));

    // The removal ran in the installer's form, and no install sequence.
    const auto steps = test::StepsBegun(run);
    for (const char* step : {"RemoveDrivers", "RemoveFromOS", "DeletePrinterDrv"})
        EXPECT_NE(std::find(steps.begin(), steps.end(), step), steps.end()) << step;
    for (const char* step : {"AddToWin2K", "AddToWin2KWithWHQL"})
        EXPECT_EQ(std::find(steps.begin(), steps.end(), step), steps.end()) << step;
    const auto texts = EventField<std::string>(run, "stepText", "text");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Deleting printer-objects...");
    EXPECT_EQ(texts.back(), "The uninstallation has been completed.");

    const auto& spooler = run.result["system"]["spooler"];
    EXPECT_TRUE(spooler["printers"].empty());
    EXPECT_FALSE(test::FindNamed(spooler["drivers"], "NORVEX KVT-580duo"));
    EXPECT_FALSE(test::FindNamed(spooler["printProcessors"], "NVX PRINT PROCESSOR KVT580duo"));
    EXPECT_FALSE(test::FindNamed(spooler["monitors"], "NVX Language Monitor KVT580duo"));
    EXPECT_FALSE(test::FindKey(run, kUninstallEntryKey));
    EXPECT_EQ(run.result["system"]["restart"], (nlohmann::json{{"flags", 18}, {"reason", 0}}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DifferentVersionTest,
    testing::Values(VersionRow{"OlderBuild", "xp-x86", SetVersion("BuildVersion", 2)},
                    VersionRow{"OlderExtraOnly", "win10-x64",
                               [](nlohmann::json& image) {
                                   SetVersion("BuildVersion", 2)(image);
                                   SetVersion("ExtraVersion", 9)(image);
                               }},
                    // 3.10 is newer than 3.4: numbers, not text.
                    VersionRow{"NewerMinor", "xp-x86", SetVersion("MinorVersion", 10)},
                    VersionRow{"NewerExtra", "win7-x86", SetVersion("ExtraVersion", 1)},
                    VersionRow{"NoExtraVersion", "xp-x86",
                               [](nlohmann::json& image) {
                                   for (auto& printer : image["spooler"]["printers"])
                                       printer["data"].erase("ExtraVersion");
                               }},
                    // What a broken removal leaves: the processor, without
                    // printer and driver.
                    VersionRow{"ProcessorLeftOver", "xp-x86",
                               [](nlohmann::json& image) {
                                   image["spooler"]["printers"] = nlohmann::json::array();
                                   image["spooler"]["drivers"] = nlohmann::json::array();
                               }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(VersionCheckFlow, SameVersionInstallsAgainWithoutAWord) {
    const kvtsim::ProgramRun first = Install(SystemWithPackage("xp-x86"), test::Answers("COM1"));
    const kvtsim::ProgramRun second = Install(test::Reloaded(first), test::Answers("COM2"));
    ASSERT_EQ(second.exitCode, 0u);
    EXPECT_TRUE(Events(second, "messageBox").empty());
    EXPECT_TRUE(Events(second, "restart").empty());
    const auto steps = test::StepsBegun(second);
    EXPECT_NE(std::find(steps.begin(), steps.end(), "AddToWin2K"), steps.end());
    EXPECT_EQ(std::find(steps.begin(), steps.end(), "RemoveDrivers"), steps.end());
}

}  // namespace
}  // namespace kvt::installer
