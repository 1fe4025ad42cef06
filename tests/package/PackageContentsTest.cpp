// The driver package as it ships: the INF read by the simulated system's INF
// reader, the assembled dist folder against what the installer copies and
// what the system's printer installation makes of it, and the configuration
// file read through the profile-string service.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/ConfigurationFile.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/InfFile.h"
#include "platform/sim/PrintUiCommand.h"
#include "platform/sim/PrinterInfPackage.h"
#include "platform/sim/SystemInfFiles.h"
#include "tests/setup_common/SetupTestSupport.h"
#include "tests/support/NativeCmd.h"
#include "tests/support/ProductInfText.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::package {
namespace {

namespace fs = std::filesystem;
namespace product = setup::product;

constexpr const char* kPackageRoot = "C:\\Setup";

// The dependent files of the driver record the installer registers.
const std::vector<std::string> kDependentFiles = {"UNIRES.DLL",  "STDNAMES.GPD", "KVT580D.DLL",
                                                  "UI580D.DLL", "UNI580D.DLL",  "UI580D.INI"};

// What the installer copies from a package folder: the ten staged driver
// files, the monitor and the processor; and the BUD that ships beside them.
const std::vector<std::string> kFolderFiles = {
    "UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",  "UNIRES.DLL",  "KVT580D.dll", "UI580D.dll", "UNI580D.dll",
    "UI580D.INI",  "KVT580D.GPD",  "STDNAMES.GPD", "MON580D.dll", "PRO580D.dll", "KVT580D.BUD"};

// Beside the folders: the INF, the configuration file and both programs.
const std::vector<std::string> kTopFiles = {"kvt580d.inf", "KVT580duo_Config.NVX", "KVT580duo_Installer.exe",
                                            "KVT580duo_Uninstaller.exe"};

std::string HostFileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> UpperCased(const std::vector<std::string>& names) {
    std::set<std::string> upper;
    for (std::string name : names) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        upper.insert(name);
    }
    return upper;
}

// Windows' own files, which the pre-Vista sequence stages from the package
// folders and the system's printer installation takes from the system.
bool IsUniversalDriverFile(std::string_view name) {
    for (const char* file : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"})
        if (sim::EqualsNoCase(name, file)) return true;
    return false;
}

struct ArchitectureRow {
    const char* name;
    sim::InfArchitecture architecture;
    const char* modelsSection;
    const char* folder;
    const char* os;  // a fresh system of the architecture, for the INF's Include=
};

void PrintTo(const ArchitectureRow& row, std::ostream* out) { *out << row.name; }

const ArchitectureRow kArchitectures[] = {
    {"x86", sim::InfArchitecture::x86, "NORVEX", "Driver32", "win7-x86"},
    {"x64", sim::InfArchitecture::amd64, "NORVEX.NTamd64", "Driver64", "win10-x64"},
};

class PackageInfTest : public ::testing::TestWithParam<ArchitectureRow> {
protected:
    sim::InfPrinterDriver driver() const {
        std::string reason;
        const sim::World system = *sim::FreshImage(GetParam().os);
        const sim::SystemInfLookup systemInfs = [&](std::string_view name) {
            return sim::FindSystemInf(system, name, GetParam().architecture);
        };
        auto found = sim::ReadPrinterDriver(inf_, kPackageRoot, product::DriverName, GetParam().architecture,
                                            systemInfs, reason);
        EXPECT_TRUE(found) << reason;
        return found.value_or(sim::InfPrinterDriver{});
    }

    const sim::InfFile inf_ = sim::InfFile::Parse(test::ProductInfText());
};

TEST_P(PackageInfTest, ModelsSectionCarriesTheDriverLine) {
    const sim::InfLine* line = inf_.findLine(GetParam().modelsSection, product::DriverName);
    ASSERT_NE(line, nullptr) << GetParam().modelsSection;
    // Setup compares the key as written, so its case must be the driver name's.
    EXPECT_EQ(line->key, product::DriverName);
    ASSERT_FALSE(line->values.empty());
    EXPECT_EQ(line->values.front(), product::GpdFile);
}

TEST_P(PackageInfTest, DriverIsTheRecordTheInstallerRegisters) {
    const sim::InfPrinterDriver d = driver();
    EXPECT_EQ(d.driverFile, "UNIDRV.DLL");
    EXPECT_EQ(d.dataFile, product::GpdFile);
    EXPECT_EQ(d.configFile, "UNIDRVUI.DLL");
    EXPECT_EQ(d.helpFile, "UNIDRV.HLP");
    EXPECT_EQ(d.defaultDataType, "RAW");
    EXPECT_EQ(UpperCased(d.dependentFiles), UpperCased(kDependentFiles));
    ASSERT_TRUE(d.languageMonitor);
    EXPECT_EQ(d.languageMonitor->name, product::LanguageMonitorName);
    EXPECT_EQ(d.languageMonitor->dll, product::LanguageMonitorDll);
    ASSERT_TRUE(d.printProcessor);
    EXPECT_EQ(d.printProcessor->name, product::PrintProcessorName);
    EXPECT_EQ(d.printProcessor->dll, product::PrintProcessorDll);
}

// The INF's source layout and the dist folder must agree, or the system's
// printer installation would find no files. The universal driver's files
// come from the system.
TEST_P(PackageInfTest, EveryFileItNamesIsInTheArchitecturesDistFolder) {
    const std::string prefix = std::string(kPackageRoot) + "\\" + GetParam().folder + "\\";
    for (const sim::InfSourceFile& file : driver().files) {
        SCOPED_TRACE(file.name);
        if (IsUniversalDriverFile(file.name)) {
            EXPECT_TRUE(sim::StartsWithNoCase(file.sourcePath, "C:\\Windows\\System32\\DriverStore\\"));
            continue;
        }
        ASSERT_TRUE(sim::StartsWithNoCase(file.sourcePath, prefix)) << file.sourcePath;
        const fs::path onHost = fs::path(KVT_DIST_DIR) / GetParam().folder / file.sourcePath.substr(prefix.size());
        EXPECT_TRUE(fs::is_regular_file(onHost)) << onHost;
    }
}

INSTANTIATE_TEST_SUITE_P(Package, PackageInfTest, ::testing::ValuesIn(kArchitectures),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PackageInfVersionTest, IsAPrinterInfOfTheProductVersion) {
    const sim::InfFile inf = sim::InfFile::Parse(test::ProductInfText());
    EXPECT_EQ(inf.style(), 2u) << "a Windows NT INF";
    EXPECT_EQ(inf.value("Version", "Class"), "Printer");
    EXPECT_EQ(inf.value("Version", "ClassGUID"), "{4D36E979-E325-11CE-BFC1-08002BE10318}");
    const sim::InfLine* driverVer = inf.findLine("Version", "DriverVer");
    ASSERT_NE(driverVer, nullptr);
    ASSERT_EQ(driverVer->values.size(), 2u);
    const std::string version = std::string(product::MajorVersion) + "." + std::string(product::MinorVersion) + "." +
                                std::string(product::BuildVersion) + "." + std::string(product::ExtraVersion);
    EXPECT_EQ(driverVer->values[1], version);
    EXPECT_EQ(inf.value("Manufacturer", product::MakerName), product::MakerName) << "%NORVEX% from [Strings]";
}

struct DistFolderRow {
    const char* name;
    const char* folder;  // empty: the top of dist
    const std::vector<std::string>* files;
};

void PrintTo(const DistFolderRow& row, std::ostream* out) { *out << row.name; }

class PackageDistFolderTest : public ::testing::TestWithParam<DistFolderRow> {};

TEST_P(PackageDistFolderTest, HoldsEveryFileTheInstallerCopies) {
    const fs::path folder = fs::path(KVT_DIST_DIR) / GetParam().folder;
    for (const std::string& name : *GetParam().files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::is_regular_file(folder / name)) << folder / name;
        EXPECT_GT(fs::file_size(folder / name), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Package, PackageDistFolderTest,
                         ::testing::Values(DistFolderRow{"Top", "", &kTopFiles},
                                           DistFolderRow{"Driver32", "Driver32", &kFolderFiles},
                                           DistFolderRow{"Driver64", "Driver64", &kFolderFiles}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PackageDistTest, ShipsThePackagesOwnTextFilesUnchanged) {
    for (const char* relative : {"kvt580d.inf", "KVT580duo_Config.NVX", "Driver32/UI580D.INI", "Driver64/UI580D.INI",
                                 "Driver32/KVT580D.GPD", "Driver64/KVT580D.GPD"}) {
        SCOPED_TRACE(relative);
        const std::string source = fs::path(relative).filename().string();
        EXPECT_EQ(HostFileText(fs::path(KVT_DIST_DIR) / relative), test::PackageFileText(source));
    }
}

// The dist folder, file by file, as the current directory of a simulated system.
void PlaceDist(sim::World& world) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(KVT_DIST_DIR)) {
        if (!entry.is_regular_file()) continue;
        std::string relative = fs::relative(entry.path(), KVT_DIST_DIR).string();
        std::replace(relative.begin(), relative.end(), '/', '\\');
        world.files.putFile(std::string(kPackageRoot) + "\\" + relative, HostFileText(entry.path()));
    }
    // A computer that trusts the package's publisher.
    ASSERT_EQ(kvtsim::TrustPackagePublisher(world, KVT_DIST_DIR), 1);
}

struct SystemRow {
    const char* os;
    const char* driverFolder;  // below spool\drivers
    const char* packageFolder;
};

void PrintTo(const SystemRow& row, std::ostream* out) { *out << row.os; }

class PackageDistInstallTest : public ::testing::TestWithParam<SystemRow> {};

// What the system's printer installation makes of the package folder on
// Windows Vista and later: the printer, and the architecture's own files.
TEST_P(PackageDistInstallTest, PrintUiCreatesThePrinterFromTheDistFiles) {
    sim::World world = *sim::FreshImage(GetParam().os);
    PlaceDist(world);
    kvtsim::ProductSimulation sim(std::move(world));
    const std::string commandLine = "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"NORVEX KVT-580duo\" /f "
                                    ".\\kvt580d.inf /r \"COM1:\" /m \"NORVEX KVT-580duo\"";
    const auto outcome =
        sim::RunPrintUiCommand(sim, {test::NativeCmdOf32BitProgram(sim.world()), commandLine, true, {}});
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->exitCode, 0u);

    const auto& printers = sim.spooler().memory()->printers;
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, product::DriverName);
    EXPECT_EQ(printers[0].port, "COM1:");
    const fs::path folder = fs::path(KVT_DIST_DIR) / GetParam().packageFolder;
    const std::string installed =
        std::string("C:\\Windows\\System32\\spool\\drivers\\") + GetParam().driverFolder + "\\3\\";
    for (const char* name : {"UI580D.dll", "KVT580D.GPD", "UI580D.INI", "UNIDRV.DLL"}) {
        SCOPED_TRACE(name);
        const sim::FileRecord* file = sim.world().files.findFile(installed + name);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->bytes == HostFileText(folder / name), !IsUniversalDriverFile(name));
    }
}

INSTANTIATE_TEST_SUITE_P(Package, PackageDistInstallTest,
                         ::testing::Values(SystemRow{"win10-x64", "x64", "Driver64"},
                                           SystemRow{"win7-x86", "W32X86", "Driver32"}),
                         [](const auto& row) { return std::string(row.param.packageFolder); });

class PackageConfigurationFileTest : public setup::testing::SetupTest {
protected:
    void SetUp() override {
        sim::World world = setup::testing::MakeWorld();
        world.files.putFile(std::string(kPackageRoot) + "\\KVT580duo_Config.NVX",
                            HostFileText(fs::path(KVT_DIST_DIR) / "KVT580duo_Config.NVX"));
        start(std::move(world));
    }
    std::optional<std::string> read(std::string_view key) {
        return installer::GetDriverInfoFromFile(platform(), log(), installer::kConfigurationSection, key, 256);
    }
};

TEST_F(PackageConfigurationFileTest, ShowsThePortDialogWithComOnePreselected) {
    EXPECT_EQ(read(installer::kPortDialogKey), "TRUE");
    EXPECT_EQ(read(installer::kPortKey), "COM1");
    EXPECT_EQ(logBytes(), "") << "both keys are found beside the installer";
}

}  // namespace
}  // namespace kvt::package
