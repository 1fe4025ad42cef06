// The signed package meets the releases' signature policies: a computer that
// trusts the publisher installs it (the other scenario tests); one that does
// not, or a package with a changed file or without its signed catalog, is
// refused, and the installer says so truthfully and offers no restart.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/InstallerRuns.h"

namespace kvt::installer {
namespace {

bool SigningLogHas(const kvtsim::ProgramRun& run, const std::string& message) {
    for (const std::string& line : test::LogMessages(run))
        if (line == message) return true;
    return false;
}

TEST(SignedPackage, RefusedPackagesAreReportedWithTheirCause) {
    struct Row {
        const char* name;
        const char* os;
        std::function<void(sim::World&)> change;
        const char* cause;
    };
    const std::vector<Row> rows = {
        {"publisher not trusted", "win10-x64", [](sim::World& w) { w.extra.erase("trustedPublishers"); },
         "SetupCopyOEMInf error 0xE0000243 : The publisher of an Authenticode(tm) signed catalog was not "
         "established as trusted."},
        {"a changed file", "win10-x64",
         [](sim::World& w) { w.files.findFile("C:\\Setup\\Driver64\\UI580D.INI")->bytes += "\r\n"; },
         "SetupCopyOEMInf error 0xE000024B : The hash for the file is not present in the specified catalog "
         "file. The file is likely corrupt or the victim of tampering."},
        {"unsigned", "win10-x64", [](sim::World& w) { w.files.eraseFile("C:\\Setup\\kvt580d.cat"); },
         "SetupCopyOEMInf error 0xE000022F : The third-party INF does not contain digital signature information."},
        {"trust prompt on Windows 7", "win7-x64", [](sim::World& w) { w.extra.erase("trustedPublishers"); },
         "SetupCopyOEMInf error 0xE0000243 : The publisher of an Authenticode(tm) signed catalog was not "
         "established as trusted."},
    };
    for (const auto& row : rows) {
        sim::World world = test::SystemWithPackage(row.os);
        row.change(world);
        const kvtsim::ProgramRun run = test::Install(std::move(world), test::Answers("COM2", ports::MessageAnswer::Yes));
        EXPECT_TRUE(SigningLogHas(run, row.cause)) << row.name;
        EXPECT_TRUE(run.result["system"]["spooler"]["drivers"].empty()) << row.name;
        EXPECT_TRUE(test::PrinterNames(run).empty()) << row.name;
        for (const auto& text : test::EventField<std::string>(run, "messageBox", "text"))
            EXPECT_EQ(text.find(test::kRestartAnswerPrefix), std::string::npos) << row.name << ": " << text;
        EXPECT_TRUE(run.result["system"]["restart"].is_null()) << row.name;
        EXPECT_EQ(test::Events(run, "restart").size(), 0u) << row.name;
    }
}

}  // namespace
}  // namespace kvt::installer
