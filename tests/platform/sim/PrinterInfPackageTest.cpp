#include "platform/sim/PrinterInfPackage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/FreshImage.h"
#include "platform/sim/SystemInfFiles.h"
#include "tests/support/ProductInfText.h"

namespace kvt::sim {
namespace {

// The INFs of a fresh image of `os`, as Include= finds them there.
SystemInfLookup FreshSystemInfs(const char* os, InfArchitecture architecture) {
    return [world = *FreshImage(os), architecture](std::string_view name) {
        return FindSystemInf(world, name, architecture);
    };
}

const InfSourceFile* FileNamed(const InfPrinterDriver& driver, std::string_view name) {
    for (const InfSourceFile& file : driver.files)
        if (file.name == name) return &file;
    return nullptr;
}

struct ProductRow {
    const char* os;
    InfArchitecture architecture;
    const char* packageFolder;
    const char* storeFolder;  // below FileRepository, up to the architecture's subfolder
};

class ProductInfTest : public ::testing::TestWithParam<ProductRow> {};

TEST_P(ProductInfTest, ReadsTheProductDriverWithTheSystemsUniversalDriver) {
    const ProductRow& row = GetParam();
    std::string reason;
    auto driver = ReadPrinterDriver(InfFile::Parse(test::ProductInfText()), "C:\\Setup", "NORVEX KVT-580duo",
                                    row.architecture, FreshSystemInfs(row.os, row.architecture), reason);
    ASSERT_TRUE(driver) << reason;
    EXPECT_EQ(driver->dependentFiles, (std::vector<std::string>{"KVT580D.dll", "UI580D.dll", "UNI580D.dll",
                                                                "UI580D.INI", "UNIRES.DLL", "STDNAMES.GPD"}));

    struct Expected {
        const char* name;
        InfDestination destination;
        bool fromSystem;
    };
    const Expected expected[] = {{"KVT580D.GPD", InfDestination::PrinterDriver, false},
                                 {"UI580D.dll", InfDestination::PrinterDriver, false},
                                 {"MON580D.dll", InfDestination::System, false},
                                 {"PRO580D.dll", InfDestination::PrintProcessor, false},
                                 {"UNIDRV.DLL", InfDestination::PrinterDriver, true},
                                 {"STDNAMES.GPD", InfDestination::PrinterDriver, true}};
    EXPECT_EQ(driver->files.size(), 12u);
    for (const Expected& file : expected) {
        SCOPED_TRACE(file.name);
        const InfSourceFile* found = FileNamed(*driver, file.name);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->destination, file.destination);
        const std::string source =
            file.fromSystem
                ? std::string("C:\\Windows\\System32\\DriverStore\\FileRepository\\") + row.storeFolder + "\\"
                : std::string("C:\\Setup\\") + row.packageFolder + "\\";
        EXPECT_EQ(found->sourcePath, source + file.name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Architectures, ProductInfTest,
    ::testing::Values(ProductRow{"win10-x64", InfArchitecture::amd64, "Driver64",
                                 "ntprint.inf_amd64_5d0e27a1c3b94f68\\Amd64"},
                      ProductRow{"win7-x86", InfArchitecture::x86, "Driver32",
                                 "ntprint.inf_x86_neutral_5d0e27a1c3b94f68\\I386"}),
    [](const auto& p) { return std::string(p.param.packageFolder); });

TEST(ProductInfOnXpTest, NeedsTheSystemsPrinterInf) {
    std::string reason;
    EXPECT_FALSE(ReadPrinterDriver(InfFile::Parse(test::ProductInfText()), "C:\\Setup", "NORVEX KVT-580duo",
                                   InfArchitecture::amd64, FreshSystemInfs("xp-x64", InfArchitecture::amd64),
                                   reason));
    EXPECT_EQ(reason, "Include names an INF the system lacks: ntprint.inf");
}

struct InfCase {
    const char* name;
    const char* text;
    InfArchitecture architecture;
    bool found;
    const char* firstSource;  // when found
};

constexpr const char* kHeader =
    "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\n[DestinationDirs]\nDefaultDestDir=66000\n";

class PrinterInfVariantTest : public ::testing::TestWithParam<InfCase> {};

TEST_P(PrinterInfVariantTest, FindsTheDriverOnlyWhereWindowsWould) {
    const InfCase& c = GetParam();
    std::string reason;
    auto driver = ReadPrinterDriver(InfFile::Parse(std::string(kHeader) + c.text), "C:\\Pkg", "Model A",
                                    c.architecture, {}, reason);
    ASSERT_EQ(driver.has_value(), c.found) << reason;
    if (driver) {
        EXPECT_EQ(driver->files.front().sourcePath, c.firstSource);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PrinterInfVariantTest,
    ::testing::Values(
        InfCase{"UndecoratedOnX86",
                "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDriverFile=A.DLL\nCopyFiles=@A.DLL,@I\n",
                InfArchitecture::x86, true, "C:\\Pkg\\A.DLL"},
        InfCase{"UndecoratedNotTakenOnX64",
                "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDriverFile=A.DLL\nCopyFiles=@A.DLL,@I\n",
                InfArchitecture::amd64, false, ""},
        InfCase{"NTx86PreferredOnX86",
                "[Manufacturer]\nM=M,NTx86\n[M]\n\"Model A\"=OLD\n[M.NTx86]\n\"Model A\"=I\n[I]\nDriverFile=B.DLL\n"
                "CopyFiles=@B.DLL,@I\n[OLD]\nDriverFile=OLD.DLL\nCopyFiles=@OLD.DLL,@OLD\n",
                InfArchitecture::x86, true, "C:\\Pkg\\B.DLL"},
        InfCase{"VersionedDecorationOnX64",
                "[Manufacturer]\nM=M,NTamd64.6.0\n[M.NTamd64.6.0]\n\"Model A\"=I\n[I.NTamd64]\nDriverFile=C.DLL\n"
                "CopyFiles=@C.DLL,@I\n",
                InfArchitecture::amd64, true, "C:\\Pkg\\C.DLL"},
        InfCase{"OtherMakersModelsOnly",
                "[Manufacturer]\nM=M,NTamd64\n[M.NTamd64]\n\"Model B\"=I\n[I]\nDriverFile=A.DLL\nCopyFiles=@A.DLL,@I\n",
                InfArchitecture::amd64, false, ""},
        InfCase{"NoDriverFile", "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDataFile=A.GPD\nCopyFiles=@A.GPD\n",
                InfArchitecture::x86, false, ""},
        InfCase{"MissingInstallSection", "[Manufacturer]\nM=M\n[M]\n\"Model A\"=NOWHERE\n", InfArchitecture::x86,
                false, ""},
        InfCase{"SourceSubdirectoryOfTheFile",
                "[Manufacturer]\nM=M\n[M]\n\"Model A\"=I\n[I]\nDriverFile=A.DLL\nCopyFiles=@A.DLL,@I\n"
                "[SourceDisksNames]\n7=Disk,,,\\Base\n[SourceDisksFiles]\nA.DLL=7,Sub\n",
                InfArchitecture::x86, true, "C:\\Pkg\\Base\\Sub\\A.DLL"}),
    [](const auto& p) { return std::string(p.param.name); });

// A printer INF that keeps every rule, and a system INF for its Include=.
constexpr std::string_view kRuleAbidingInf =
    "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\n"
    "[Manufacturer]\nM=M\n[M]\n\"Model A\"=A.GPD\n"
    "[A.GPD]\nCopyFiles=FILES,MON,PROC\nInclude=sys.inf\nNeeds=UNI.OEM\n"
    "LanguageMonitor=\"Mon A,MONA.DLL\"\nPrintProcessor=\"Proc A,PROCA.DLL\"\n"
    "[FILES]\nA.GPD\n[MON]\nMONA.DLL\n[PROC]\nPROCA.DLL\n"
    "[DestinationDirs]\nDefaultDestDir=66000\nMON=66002\nPROC=66001\n"
    "[Strings]\nMONITOR=\"Mon A,MONA.DLL\"\n";
constexpr std::string_view kSystemInf =
    "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\n"
    "[UNI.OEM]\nCopyFiles=UNI_FILES\nDataSection=UNI_DATA\n[UNI_FILES]\nUNI.DLL\n[UNI_DATA]\nDriverFile=UNI.DLL\n"
    "[DestinationDirs]\nDefaultDestDir=66000\n";

struct RuleRow {
    const char* name;
    const char* from;  // replaced in the rule-abiding INF by `to`
    const char* to;
    bool found;
};

class PrinterInfRuleTest : public ::testing::TestWithParam<RuleRow> {};

TEST_P(PrinterInfRuleTest, AnInfThatBreaksARuleNamesNoDriver) {
    const RuleRow& row = GetParam();
    std::string text(kRuleAbidingInf);
    const std::size_t at = text.find(row.from);
    ASSERT_NE(at, std::string::npos) << row.from;
    text.replace(at, std::string_view(row.from).size(), row.to);
    const SystemInfLookup systemInfs = [](std::string_view name) -> std::optional<InfSource> {
        if (name != "sys.inf") return std::nullopt;
        return InfSource{InfFile::Parse(kSystemInf), "C:\\Windows\\System32\\DriverStore\\FileRepository\\sys"};
    };
    std::string reason;
    const auto driver = ReadPrinterDriver(InfFile::Parse(text), "C:\\Pkg", "Model A", InfArchitecture::x86,
                                          systemInfs, reason);
    EXPECT_EQ(driver.has_value(), row.found) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PrinterInfRuleTest,
    ::testing::Values(RuleRow{"AsWritten", "", "", true},
                      RuleRow{"MonitorFromAStringKey", "\"Mon A,MONA.DLL\"\nPrint", "%MONITOR%\nPrint", true},
                      RuleRow{"MonitorBySystemDirectoryId", "MON=66002", "MON=11", true},
                      RuleRow{"MonitorInTheDriverDirectory", "MON=66002", "MON=66000", false},
                      RuleRow{"MonitorNotCopied", "FILES,MON,PROC", "FILES,PROC", false},
                      RuleRow{"MonitorAsTwoFields", "\"Mon A,MONA.DLL\"", "Mon A,MONA.DLL", false},
                      RuleRow{"ProcessorInTheSystemDirectory", "PROC=66001", "PROC=66002", false},
                      RuleRow{"ProcessorAsTwoFields", "\"Proc A,PROCA.DLL\"", "Proc A,PROCA.DLL", false},
                      RuleRow{"ProcessorWithoutDll", "\"Proc A,PROCA.DLL\"", "\"Proc A\"", false},
                      RuleRow{"IncludeOfAnInfTheSystemLacks", "Include=sys.inf", "Include=other.inf", false},
                      RuleRow{"NeedsWithoutInclude", "Include=sys.inf\n", "", false},
                      RuleRow{"NeedsOfAMissingSection", "Needs=UNI.OEM", "Needs=PS.OEM", false},
                      RuleRow{"DriverFileNotCopied", "Needs=UNI.OEM\n", "Needs=UNI.OEM\nDriverFile=MONA.DLL\n", false},
                      RuleRow{"DataFileNotCopied", "FILES,MON,PROC", "MON,PROC", false},
                      RuleRow{"CopyOfAMissingSection", "FILES,MON,PROC", "FILES,MON,PROC,EXTRA", false},
                      RuleRow{"NoDefaultDestinationIsTheSystemDirectory", "DefaultDestDir=66000\n", "", false},
                      RuleRow{"DestinationOfAnotherDirectoryId", "DefaultDestDir=66000", "DefaultDestDir=10", false},
                      RuleRow{"DestinationBelowTheDriverDirectory", "DefaultDestDir=66000",
                              "DefaultDestDir=66000,sub", false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvt::sim
