#include "platform/sim/PrinterInfPackage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ProductInfText.h"

namespace kvt::sim {
namespace {

std::vector<std::string> SourcesOf(const InfPrinterDriver& driver) {
    std::vector<std::string> sources;
    for (const InfSourceFile& file : driver.files) sources.push_back(file.sourcePath);
    return sources;
}

TEST(PrinterInfPackageTest, ReadsTheProductDriverForEachArchitecture) {
    const InfFile inf = InfFile::Parse(test::ProductInfText());
    for (auto [architecture, folder] : {std::pair{InfArchitecture::amd64, "Driver64"},
                                        std::pair{InfArchitecture::x86, "Driver32"}}) {
        SCOPED_TRACE(folder);
        std::string reason;
        auto driver = ReadPrinterDriver(inf, "C:\\Setup", "NORVEX KVT-580duo", architecture, reason);
        ASSERT_TRUE(driver) << reason;
        EXPECT_EQ(driver->driverFile, "UNIDRV.DLL");
        EXPECT_EQ(driver->configFile, "UNIDRVUI.DLL");
        EXPECT_EQ(driver->helpFile, "UNIDRV.HLP");
        EXPECT_EQ(driver->dataFile, "KVT580D.GPD");  // the install section's name
        EXPECT_EQ(driver->defaultDataType, "RAW");
        EXPECT_EQ(driver->dependentFiles, (std::vector<std::string>{"KVT580D.dll", "UI580D.dll", "UNI580D.dll",
                                                                    "UI580D.INI", "UNIRES.DLL", "STDNAMES.GPD"}));
        ASSERT_TRUE(driver->languageMonitor);
        EXPECT_EQ(driver->languageMonitor->name, "NVX Language Monitor KVT580duo");
        EXPECT_EQ(driver->languageMonitor->dll, "MON580D.dll");
        ASSERT_TRUE(driver->printProcessor);
        EXPECT_EQ(driver->printProcessor->name, "NVX PRINT PROCESSOR KVT580duo");
        EXPECT_EQ(driver->printProcessor->dll, "PRO580D.dll");
        ASSERT_EQ(driver->files.size(), std::size(test::kProductInfFiles));
        for (const std::string& source : SourcesOf(*driver))
            EXPECT_TRUE(source.starts_with(std::string("C:\\Setup\\") + folder + "\\")) << source;
    }
}

struct InfCase {
    const char* name;
    const char* text;
    InfArchitecture architecture;
    bool found;
    const char* firstSource;  // when found
};

constexpr const char* kHeader = "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\n";

class PrinterInfVariantTest : public ::testing::TestWithParam<InfCase> {};

TEST_P(PrinterInfVariantTest, FindsTheDriverOnlyWhereWindowsWould) {
    const InfCase& c = GetParam();
    std::string reason;
    auto driver = ReadPrinterDriver(InfFile::Parse(std::string(kHeader) + c.text), "C:\\Pkg", "Model A",
                                    c.architecture, reason);
    ASSERT_EQ(driver.has_value(), c.found) << reason;
    if (driver) {
        EXPECT_EQ(driver->files.front().sourcePath, c.firstSource);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PrinterInfVariantTest,
    ::testing::Values(
        InfCase{"UndecoratedOnX86",
                "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDriverFile=A.DLL\n", InfArchitecture::x86, true,
                "C:\\Pkg\\A.DLL"},
        InfCase{"UndecoratedNotTakenOnX64",
                "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDriverFile=A.DLL\n", InfArchitecture::amd64, false,
                ""},
        InfCase{"NTx86PreferredOnX86",
                "[Manufacturer]\nM=M,NTx86\n[M]\n\"Model A\"=OLD\n[M.NTx86]\n\"Model A\"=I\n[I]\nDriverFile=B.DLL\n"
                "[OLD]\nDriverFile=OLD.DLL\n",
                InfArchitecture::x86, true, "C:\\Pkg\\B.DLL"},
        InfCase{"VersionedDecorationOnX64",
                "[Manufacturer]\nM=M,NTamd64.6.0\n[M.NTamd64.6.0]\n\"Model A\"=I\n[I.NTamd64]\nDriverFile=C.DLL\n",
                InfArchitecture::amd64, true, "C:\\Pkg\\C.DLL"},
        InfCase{"OtherMakersModelsOnly",
                "[Manufacturer]\nM=M,NTamd64\n[M.NTamd64]\n\"Model B\"=I\n[I]\nDriverFile=A.DLL\n",
                InfArchitecture::amd64, false, ""},
        InfCase{"NoDriverFile", "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDataFile=A.GPD\n",
                InfArchitecture::x86, false, ""},
        InfCase{"MissingInstallSection", "[Manufacturer]\nM=M\n[M]\n\"Model A\"=NOWHERE\n", InfArchitecture::x86,
                false, ""},
        InfCase{"SourceSubdirectoryOfTheFile",
                "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDriverFile=A.DLL\n[SourceDisksNames]\n"
                "7=Disk,,,\\Base\n[SourceDisksFiles]\nA.DLL=7,Sub\n",
                InfArchitecture::x86, true, "C:\\Pkg\\Base\\Sub\\A.DLL"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvt::sim
