// kvtsim compare, and the images support staff chain runs with: an image
// with the package placed, a run's result given as the next run's system.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/ImageCompare.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tests/support/KvtsimCli.h"

namespace kvt::kvtsim {
namespace {

using test::Outcome;
using test::RunCli;

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class KvtsimCompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kvtsim-compare-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const std::string& text) {
        const std::filesystem::path file = folder_ / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

    std::filesystem::path folder_;
};

TEST(ImageDifferencesTest, ListsWhatWentAndCameAndWhatChangedAsAWhole) {
    const nlohmann::json before = {{"os", {{"build", 1}}}, {"files", {"a", "b"}}, {"gone", 1}};
    const nlohmann::json after = {{"os", {{"build", 2}}}, {"files", {"b", "c"}}};
    EXPECT_THAT(ImageDifferences(before, after),
                ElementsAre("- \"a\"", "+ \"c\"", "os changed: {\"build\":2}", "gone removed: 1"));
    EXPECT_THAT(ImageDifferences(after, after), IsEmpty());
}

TEST_F(KvtsimCompareTest, EqualImagesGiveZeroAndNoOutput) {
    const Outcome image = RunCli({"image", "--os", "xp-x86"});
    ASSERT_EQ(image.status, 0) << image.err;
    const std::string a = Write("a.json", image.out);
    const Outcome r = RunCli({"compare", a, "-"}, image.out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(KvtsimCompareTest, AnInstallationShowsAsDifferencesWithStatusOne) {
    const Outcome image = RunCli({"image", "--os", "win10-x64", "--package", DefaultPackageDirectory().string()});
    ASSERT_EQ(image.status, 0) << image.err;
    const std::string before = Write("before.json", image.out);
    const std::string answers =
        Write("answers.json", R"({"portDialog": "COM1", "messageBoxes": [{"textContains": "restart", "answer": "no"}]})");
    const std::string result = (folder_ / "install.json").string();
    const Outcome run = RunCli({"run", "installer", "--system", before, "--answers", answers, "--out", result});
    ASSERT_EQ(run.status, 0) << run.err;

    const Outcome r = RunCli({"compare", before, result});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_THAT(r.out, HasSubstr("KVT-580duo_Installer.txt"));
    EXPECT_THAT(r.out, HasSubstr("NORVEX KVT-580duo"));
    // The package was in the image already: the run placed nothing new there.
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("Setup\\\\Driver64")));
}

TEST_F(KvtsimCompareTest, ARunsResultServesAsTheNextRunsSystem) {
    const std::string before = Write("before.json", RunCli({"image", "--os", "xp-x86"}).out);
    const std::string result = (folder_ / "run.json").string();
    ASSERT_EQ(RunCli({"run", "uninstaller", "--system", before, "--out", result}).status, 0);

    sim::World fromResult;
    std::string errorLine;
    std::istringstream none;
    ASSERT_TRUE(sim::LoadSystemImageFile(result, none, fromResult, errorLine)) << errorLine;
    // The uninstaller found no driver and left only its log.
    EXPECT_TRUE(fromResult.files.findFile("C:\\Temp\\KVT-580duo_UnInstaller.txt"));

    const std::string broken = Write("broken.json", R"({"program": "installer", "transcript": [], "system": {"os": 7}})");
    const Outcome r = RunCli({"compare", before, broken});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr(broken + ": $.system.os"));
}

TEST_F(KvtsimCompareTest, UnusableInputNamesTheProblem) {
    const std::string image = Write("image.json", RunCli({"image"}).out);
    struct Row {
        std::vector<std::string> args;
        const char* mentions;
    };
    for (const Row& row : {Row{{"compare", image}, "two files"},
                           Row{{"compare", "-", "-"}, "standard input"},
                           Row{{"compare", image, (folder_ / "missing.json").string()}, "cannot be opened"},
                           Row{{"image", "--package", (folder_ / "no-such-folder").string()}, "does not exist"}}) {
        const Outcome r = RunCli(row.args);
        EXPECT_EQ(r.status, 2) << row.mentions;
        EXPECT_THAT(r.err, HasSubstr(row.mentions));
        EXPECT_EQ(r.err.rfind("kvtsim: ", 0), 0u) << r.err;
    }
}

}  // namespace
}  // namespace kvt::kvtsim
