#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tests/support/KvtsimCli.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "tools/kvtsim/ProgramRun.h"

namespace kvt::kvtsim {
namespace {

using test::Outcome;
using test::RunCli;

TEST(KvtsimImageTest, DefaultImageIsWindows10x64) {
    Outcome r = RunCli({"image"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    // A company computer that trusts the built package's publisher.
    sim::World expected = *sim::FreshImage("win10-x64");
    ASSERT_EQ(TrustPackagePublisher(expected, DefaultPackageDirectory()), 1);
    EXPECT_EQ(r.out, sim::SaveImage(expected).dump(2) + "\n");

    // --untrusted: nobody, and a run keeps it so: the package is refused.
    Outcome untrusted = RunCli({"image", "--untrusted"});
    ASSERT_EQ(untrusted.status, 0) << untrusted.err;
    EXPECT_EQ(nlohmann::json::parse(untrusted.out)["trustedPublishers"], nlohmann::json::array());
    Outcome run = RunCli({"run", "installer", "--system", "-", "--args", "/quiet /port=LPT2"}, untrusted.out);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["exitCode"], 1603);
}

TEST(KvtsimImageTest, EveryOsNamePrintsALoadableImage) {
    for (const auto& os : sim::KnownOsNames()) {
        Outcome r = RunCli({"image", "--os", os});
        ASSERT_EQ(r.status, 0) << os << ": " << r.err;
        sim::World world;
        auto error = sim::ParseImageText(r.out, world);
        ASSERT_FALSE(error) << os << ": " << error->jsonPath << ": " << error->reason;
        EXPECT_EQ(world.os.build, sim::FreshImage(os)->os.build) << os;
    }
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* mentions;
};

class KvtsimUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(KvtsimUsageTest, ExitsTwoWithOneLine) {
    const UsageCase& c = GetParam();
    Outcome r = RunCli(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err.rfind("kvtsim: ", 0), 0u) << r.err;
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Rows, KvtsimUsageTest,
                         ::testing::Values(UsageCase{"no_command", {}, "no command"},
                                           UsageCase{"unknown_command", {"install"}, "\"install\""},
                                           UsageCase{"unknown_os", {"image", "--os", "win11-x64"}, "\"win11-x64\""},
                                           UsageCase{"os_without_value", {"image", "--os"}, "needs a value"},
                                           UsageCase{
                                               "os_twice", {"image", "--os", "xp-x86", "--os", "xp-x64"}, "twice"},
                                           UsageCase{"unknown_option", {"image", "--system", "-"}, "\"--system\""},
                                           UsageCase{"stray_argument", {"image", "xp-x86"}, "\"xp-x86\""}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(KvtsimImageTest, ProgramForwardsArgumentsAndStatus) {
    auto run = [](const std::string& args, std::string& output) {
        std::string command = std::string(KVTSIM_PATH) + " " + args + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[4096];
        output.clear();
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string output;
    EXPECT_EQ(run("image --os xp-x86", output), 0);
    sim::World world;
    EXPECT_FALSE(sim::ParseImageText(output, world));
    EXPECT_EQ(world.os.build, 2600u);
    EXPECT_EQ(run("image --os nt4", output), 2);
    EXPECT_EQ(output.rfind("kvtsim: ", 0), 0u) << output;
}

}  // namespace
}  // namespace kvt::kvtsim
