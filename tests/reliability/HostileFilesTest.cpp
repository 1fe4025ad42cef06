// Files of the wrong shape where the setup programs read: a configuration
// file of 1 MiB with binary bytes and without sections, values longer than
// the 256-byte buffer and values with a zero byte; INF files that are empty,
// truncated or binary, in the INF store and as the package's own INF; an INF
// store of 2,000 files. The programs run to their usual end, read what the
// buffers hold, and remove only the product's INF copies.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <ostream>
#include <string>
#include <vector>

#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

constexpr const char* kConfigurationFile = "C:\\Setup\\KVT580duo_Config.NVX";
constexpr std::size_t kMiB = 1024 * 1024;

// Bytes of every value, lines of every length, no section header: what a
// damaged disk or a wrong file under the right name gives.
std::string BinaryBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
        if (byte == '[') byte = '{';  // no section header by chance
    }
    return bytes;
}

std::string PortOfPrinter(const kvtsim::ProgramRun& run) {
    const auto& printers = run.result["system"]["spooler"]["printers"];
    return printers.empty() ? std::string() : printers[0]["port"].get<std::string>();
}

struct ConfigurationRow {
    const char* name;
    std::string file;
    bool dialogShown;
    const char* port;  // of the printer the installation creates
    friend void PrintTo(const ConfigurationRow& row, std::ostream* out) { *out << row.name; }
};

class HostileConfiguration : public ::testing::TestWithParam<ConfigurationRow> {};

TEST_P(HostileConfiguration, InstallerReadsWhatItsBuffersHold) {
    const ConfigurationRow& row = GetParam();
    sim::World world = SystemWithPackage("xp-x86");
    world.files.putFile(kConfigurationFile, row.file);
    // The dialog, when it shows, is answered with what it preselects.
    const kvtsim::ProgramRun run = Install(std::move(world), Answers(std::nullopt));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(Events(run, "dialog").size(), row.dialogShown ? 1u : 0u);
    EXPECT_EQ(PortOfPrinter(run), row.port);
}

std::vector<ConfigurationRow> ConfigurationRows() {
    const std::string binary = BinaryBytes(kMiB, 580);
    const std::string section = "\r\n[KVT580D]\r\n";
    return {
        // Nothing found: the dialog with COM1.
        {"BinaryMiBWithoutSections", binary, true, "COM1:"},
        // The section after a MiB of binary bytes still counts.
        {"SectionAfterBinaryMiB", binary + section + "PORTDLG=FALSE\r\nPORT=LPT2\r\n", false, "LPT2:"},
        // The 256-byte buffer keeps 255 characters: "LPT1" past them is not seen.
        {"PortPastTheBuffer", section + "PORTDLG=NO\r\nPORT=" + std::string(300, 'x') + "LPT1\r\n", false, "COM1:"},
        {"PortWithinTheBuffer", section + "PORTDLG=NO\r\nPORT=" + std::string(251, 'x') + "LPT1\r\n", false,
         "LPT1:"},
        {"DialogPastTheBuffer", section + "PORTDLG=" + std::string(255, 'N') + "TRUE\r\nPORT=COM2\r\n", false,
         "COM2:"},
        // The value ends at a zero byte, as in the program's C buffer.
        {"ZeroByteEndsTheValue", section + std::string("PORTDLG=NO\0TRUE\r\nPORT=COM3\0COM1\r\n", 33), false,
         "COM3:"},
        {"ValueOfHighBytes", section + "PORTDLG=\xFF\xFE\x80\r\nPORT=\xE9LPT2\xE9\r\n", false, "LPT2:"},
        {"EmptyFile", "", true, "COM1:"},
    };
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileConfiguration, ::testing::ValuesIn(ConfigurationRows()), RowName{});

// --- INF files ----------------------------------------------------------------------

const std::vector<std::pair<std::string, std::string>>& BrokenInfs() {
    static const std::vector<std::pair<std::string, std::string>> infs = [] {
        const std::string product = ModelsInf(std::string(kProductDriver), {"NORVEX", "NORVEX.NTamd64"});
        std::vector<std::pair<std::string, std::string>> list = {
            {"oem70.inf", ""},
            {"oem71.inf", product.substr(0, product.find("[NORVEX]") + 4)},  // ends inside the header
            {"oem72.inf", product.substr(0, product.size() - 12)},           // ends inside the driver's line
            {"oem73.inf", BinaryBytes(4096, 73)},
            {"oem74.inf", "\xFF\xFE"},                                         // a byte-order mark alone
            {"oem75.inf", std::string("\xFF\xFE[\0N\0", 6)},                 // UTF-16 cut in a character
            {"oem76.inf", std::string(1000, '\\') + "\r\n[NORVEX]\r\n"},      // continuation lines only
        };
        return list;
    }();
    return infs;
}

class HostileInfStore : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileInfStore, BrokenInfCopiesAreReadWithoutHarmAndStay) {
    sim::World world = ProductWithPrinters(GetParam(), {{"Receipt A"}});
    for (const auto& [name, bytes] : BrokenInfs()) world.files.putFile("C:\\Windows\\inf\\" + name, bytes);
    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "DeleteINFFile END"));
    const sim::World after = Reloaded(run);
    // The truncated copy whose driver line survives is the product's, and goes
    // with the others; the rest stay as they were.
    for (const auto& [name, bytes] : BrokenInfs()) {
        const sim::FileRecord* file = after.files.findFile("C:\\Windows\\inf\\" + name);
        if (name == "oem72.inf") continue;
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(file->bytes, bytes) << name;
    }
    EXPECT_EQ(after.files.findFile("C:\\Windows\\inf\\oem5.inf"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Systems, HostileInfStore, ::testing::Values("xp-x86", "win10-x64"));

struct PackageInfRow {
    const char* name;
    const char* os;
    std::string inf;
    friend void PrintTo(const PackageInfRow& row, std::ostream* out) { *out << row.name; }
};

class HostilePackageInf : public ::testing::TestWithParam<PackageInfRow> {};

// The package's own INF is broken: the INF copy fails with its report, the
// installation goes on and its uninstall entry names no INF copy.
TEST_P(HostilePackageInf, InstallationEndsWithoutAnInfCopy) {
    const PackageInfRow& row = GetParam();
    sim::World world = SystemWithPackage(row.os);
    world.files.putFile("C:\\Setup\\kvt580d.inf", row.inf);
    const std::vector<std::string> storeBefore = world.files.childFiles("C:\\Windows\\inf");
    const kvtsim::ProgramRun run = Install(std::move(world), Answers("COM1"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "RegisterUninstallInfo END"));
    bool reported = false;
    for (const auto& box : Events(run, "messageBox"))
        reported = reported || box["text"].get<std::string>().starts_with("SetupCopyOEMInf, ERR CODE: ");
    EXPECT_TRUE(reported);
    const nlohmann::json* entry = FindKey(run, kUninstallKey);
    ASSERT_NE(entry, nullptr);
    if (entry->at("values").contains("InfFile")) {
        EXPECT_EQ(entry->at("values")["InfFile"]["data"], "kvt580d.inf");
    }
    EXPECT_EQ(Reloaded(run).files.childFiles("C:\\Windows\\inf"), storeBefore) << "no copy of the broken INF";
}

INSTANTIATE_TEST_SUITE_P(Rows, HostilePackageInf,
                         ::testing::Values(PackageInfRow{"EmptyOnXp", "xp-x86", ""},
                                           PackageInfRow{"BinaryOnXp", "xp-x86", BinaryBytes(2048, 7)},
                                           PackageInfRow{"TruncatedOnXp", "xp-x86", "[Version]\r\nSignat"},
                                           PackageInfRow{"EmptyOnWin10", "win10-x64", ""},
                                           PackageInfRow{"BinaryOnWin10", "win10-x64", BinaryBytes(2048, 8)}),
                         RowName{});

// --- An INF store of 2,000 files --------------------------------------------------------

sim::World WithLargeInfStore(sim::World world) {
    for (int n = 100; n < 2100; ++n) {
        const std::string model = "Other Model " + std::to_string(n);
        world.files.putFile("C:\\Windows\\inf\\oem" + std::to_string(n) + ".inf",
                            ModelsInf(model, {"NORVEX", "NORVEX.NTamd64", "HARBOR"}));
    }
    return world;
}

std::size_t StoreInfCount(const sim::World& world) {
    std::size_t count = 0;
    for (const std::string& name : world.files.childFiles("C:\\Windows\\inf"))
        if (name.ends_with(".inf")) ++count;
    return count;
}

class HostileLargeStore : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileLargeStore, InstallAndUninstallAmongTwoThousandInfFiles) {
    const sim::World before = WithLargeInfStore(SystemWithPackage(GetParam()));
    const std::size_t othersBefore = StoreInfCount(before);
    ASSERT_GE(othersBefore, 2000u);

    const kvtsim::ProgramRun installed = Install(before, Answers("COM1"));
    ASSERT_EQ(installed.exitCode, 0u);
    const sim::World afterInstall = Reloaded(installed);
    EXPECT_EQ(StoreInfCount(afterInstall), othersBefore + 1) << "one copy of the product's INF";

    const kvtsim::ProgramRun removed = Uninstall(afterInstall, Choice({}));
    ASSERT_EQ(removed.exitCode, 0u);
    const sim::World afterRemoval = Reloaded(removed);
    EXPECT_EQ(StoreInfCount(afterRemoval), othersBefore);
    for (int n : {100, 1000, 2099}) {
        const std::string path = "C:\\Windows\\inf\\oem" + std::to_string(n) + ".inf";
        ASSERT_NE(afterRemoval.files.findFile(path), nullptr) << path;
        EXPECT_EQ(afterRemoval.files.findFile(path)->bytes, before.files.findFile(path)->bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, HostileLargeStore, ::testing::Values("xp-x86", "win10-x64"));

}  // namespace
}  // namespace kvt::test
