// The INF reader on INF text of the kind printer packages ship: decorated
// models sections, string substitution, comments, quoted strings and
// continued lines.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ports/DeviceSetup.h"
#include "platform/sim/InfFile.h"

namespace kvt::sim {
namespace {

using Values = std::vector<std::string>;

std::string Lines(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

const std::string& ProductInf() {
    static const std::string text = Lines({
        ";",
        "; kvt580d.inf -- NORVEX KVT-580duo receipt printer",
        ";",
        "[Version]",
        "Signature=\"$Windows NT$\"",
        "Provider=%NVX%",
        "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}",
        "Class=Printer",
        "DriverVer=12/01/2026,3.4.3.0",
        "",
        "[Manufacturer]",
        "%NVX%=NORVEX,NTamd64",
        "",
        "[NORVEX]",
        "\"NORVEX KVT-580duo\" = KVT580D.GPD, USBPRINT\\NORVEXKVT-580duo8A5C, NORVEX_KVT-580duo",
        "",
        "[NORVEX.NTamd64]",
        "%KVT580.Name% = KVT580D.GPD,USBPRINT\\NORVEXKVT-580duo8A5C ; the same model, 64-bit",
        "",
        "[KVT580D.GPD]",
        "CopyFiles=@KVT580D.GPD,@UI580D.DLL,@UI580D.INI,\\",
        "          @KVT580D.BUD   ,  \\   ",
        "          UNIDRV_FILES",
        "DataSection=UNIDRV_DATA",
        "LanguageMonitor=%KVT580.Monitor%",
        "",
        "[DestinationDirs]",
        "DefaultDestDir=66000",
        "",
        "[Strings]",
        "NVX=\"NORVEX\"",
        "KVT580.Name=\"NORVEX KVT-580duo\"",
        "KVT580.Monitor=\"NVX Language Monitor KVT580duo,MON580D.DLL\"",
    });
    return text;
}

TEST(InfFile, FindsTheDriverLineInBothModelsSections) {
    const InfFile inf = InfFile::Parse(ProductInf());
    EXPECT_EQ(inf.style(), ports::devsetup::InfStyleWin4);
    EXPECT_EQ(inf.signature(), "$Windows NT$");

    const InfLine* plain = inf.findLine("norvex", "norvex kvt-580duo");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->values, (Values{"KVT580D.GPD", "USBPRINT\\NORVEXKVT-580duo8A5C", "NORVEX_KVT-580duo"}));
    EXPECT_EQ(plain->lineNumber, 15u);

    // The 64-bit line names the model through a string key.
    const InfLine* decorated = inf.findLine("NORVEX.ntAMD64", "NORVEX KVT-580duo");
    ASSERT_NE(decorated, nullptr);
    EXPECT_EQ(decorated->key, "NORVEX KVT-580duo");
    EXPECT_EQ(decorated->values, (Values{"KVT580D.GPD", "USBPRINT\\NORVEXKVT-580duo8A5C"}));

    EXPECT_EQ(inf.findLine("NORVEX.NTx86", "NORVEX KVT-580duo"), nullptr);
    EXPECT_EQ(inf.findLine("NORVEX", "NORVEX KVT-580"), nullptr);
    EXPECT_EQ(inf.value("Manufacturer", "NORVEX"), "NORVEX");
    EXPECT_EQ(inf.findLine("Manufacturer", "NORVEX")->values, (Values{"NORVEX", "NTamd64"}));
}

TEST(InfFile, ContinuedLinesJoinIntoOneLine) {
    const InfFile inf = InfFile::Parse(ProductInf());
    const InfLine* copy = inf.findLine("KVT580D.GPD", "CopyFiles");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->values,
              (Values{"@KVT580D.GPD", "@UI580D.DLL", "@UI580D.INI", "@KVT580D.BUD", "UNIDRV_FILES"}));
    // The line after the continued one is a line of its own.
    EXPECT_EQ(inf.value("KVT580D.GPD", "DataSection"), "UNIDRV_DATA");
    // A substituted string keeps its comma: it was one field where it stood.
    EXPECT_EQ(inf.findLine("KVT580D.GPD", "LanguageMonitor")->values,
              (Values{"NVX Language Monitor KVT580duo,MON580D.DLL"}));
}

// Another maker's package: its own models section, a [Strings.0409] that an
// English system prefers, and the UTF-16 form that many packages ship in.
std::string OtherMakerInf() {
    return Lines({
        "[Version]",
        "Signature = \"$CHICAGO$\"",
        "Class = Printer",
        "",
        "[Manufacturer]",
        "%MFG% = Othermaker, NTx86, NTamd64",
        "",
        "[Othermaker.NTamd64]",
        "%OM200% = OM200.GPD, USBPRINT\\OthermakerOM-2003F1A",
        "",
        "[NORVEX.NTamd64]",
        "; a section named after another maker, without its driver",
        "\"NORVEX Compatible Mode\" = OM200.GPD",
        "",
        "[Strings]",
        "MFG = \"Othermaker\"",
        "OM200 = \"OM-200 Label\"",
        "",
        "[Strings.0409]",
        "OM200 = \"Othermaker OM-200 Label\"",
    });
}

std::string Utf16Le(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(InfFile, ReadsAnotherMakersPackageInAnsiAndUtf16) {
    for (const auto& [form, bytes] : {std::pair<const char*, std::string>{"ANSI", OtherMakerInf()},
                                      {"UTF-16LE", Utf16Le(OtherMakerInf())},
                                      {"UTF-8 with mark", "\xEF\xBB\xBF" + OtherMakerInf()}}) {
        SCOPED_TRACE(form);
        const InfFile inf = InfFile::Parse(bytes);
        EXPECT_EQ(inf.style(), ports::devsetup::InfStyleWin4);
        EXPECT_NE(inf.findLine("Othermaker.NTamd64", "Othermaker OM-200 Label"), nullptr);
        EXPECT_EQ(inf.findLine("Othermaker.NTamd64", "OM-200 Label"), nullptr);
        EXPECT_EQ(inf.findLine("NORVEX.NTamd64", "NORVEX KVT-580duo"), nullptr);
        EXPECT_NE(inf.findLine("NORVEX.NTamd64", "NORVEX Compatible Mode"), nullptr);
        EXPECT_EQ(inf.findLine("Manufacturer", "Othermaker")->values, (Values{"Othermaker", "NTx86", "NTamd64"}));
    }
}

struct LineCase {
    const char* name;
    const char* text;  // the lines of a [Test] section
    const char* key;
    Values values;
};

class InfLineSyntax : public testing::TestWithParam<LineCase> {};

TEST_P(InfLineSyntax, ReadsTheLine) {
    const LineCase& c = GetParam();
    const InfFile inf = InfFile::Parse(std::string("[Test]\r\n") + c.text + "\r\n[Strings]\r\nName=\"KVT\"\r\n");
    const InfLine* line = inf.findLine("Test", c.key);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->values, c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InfLineSyntax,
    testing::Values(
        LineCase{"SemicolonInsideQuotes", "Desc = \"Receipt; 80 mm\" ; a comment", "Desc", {"Receipt; 80 mm"}},
        LineCase{"DoubledQuoteIsOneQuote", "Desc = \"the \"\"duo\"\" model\"", "Desc", {"the \"duo\" model"}},
        LineCase{"BlanksInsideQuotesStay", "Desc = \"  padded  \" ,  plain value  ", "Desc",
                 {"  padded  ", "plain value"}},
        LineCase{"QuotedAndPlainTextJoin", "Path = \"C:\\Program Files\"\\NORVEX", "Path",
                 {"C:\\Program Files\\NORVEX"}},
        LineCase{"QuotedKey", "\"Key; with = signs\" = 1", "Key; with = signs", {"1"}},
        LineCase{"SecondEqualsSignIsText", "Expr = a=b", "Expr", {"a=b"}},
        LineCase{"EmptyFields", "List = ,, x,", "List", {"", "", "x", ""}},
        LineCase{"BackslashInQuotesDoesNotContinue", "Dir = \"C:\\Drivers\\\"\r\nNext = 1", "Dir",
                 {"C:\\Drivers\\"}},
        LineCase{"ContinuationInsideAField", "List = ab\\\r\ncd", "List", {"abcd"}},
        LineCase{"StringKeyInValueAndKey", "%Name% = %Name% Driver", "KVT", {"KVT Driver"}},
        LineCase{"DoublePercentIsOnePercent", "Ratio = 100%%", "Ratio", {"100%"}},
        LineCase{"UnknownStringKeyStays", "Path = %66000%\\%Nothing%, 5% more", "Path",
                 {"%66000%\\%Nothing%", "5% more"}},
        LineCase{"TabsAroundTheKey", "\tTabbed\t=\tvalue\t", "tabbed", {"value"}}),
    [](const testing::TestParamInfo<LineCase>& row) { return std::string(row.param.name); });

TEST(InfFile, LinesWithoutKeysAndSectionsNamedTwice) {
    const InfFile inf = InfFile::Parse(Lines({
        "Stray = before any section",
        "[KVT580D_FILES]",
        "KVT580D.GPD",
        "UI580D.DLL,,,0x20 ; copy flag",
        "",
        "; only a comment",
        "[kvt580d_files]",
        "UI580D.INI",
    }));
    ASSERT_EQ(inf.sections().size(), 1u);
    const InfSection* files = inf.section("Kvt580d_Files");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->name, "KVT580D_FILES");
    ASSERT_EQ(files->lines.size(), 3u);
    // A line of one value is found by that value, as setupapi finds it.
    EXPECT_TRUE(files->lines[0].hasKey);
    EXPECT_EQ(files->lines[0].key, "KVT580D.GPD");
    EXPECT_EQ(files->lines[0].values, (Values{"KVT580D.GPD"}));
    EXPECT_FALSE(files->lines[1].hasKey);
    EXPECT_EQ(files->lines[1].key, "");
    EXPECT_EQ(files->lines[1].values, (Values{"UI580D.DLL", "", "", "0x20"}));
    EXPECT_EQ(files->lines[2].values, (Values{"UI580D.INI"}));
    EXPECT_EQ(files->lines[2].lineNumber, 8u);
    EXPECT_EQ(inf.findLine("KVT580D_FILES", "kvt580d.gpd"), &files->lines[0]);
    // A line of several values without "=" has no key.
    EXPECT_EQ(inf.findLine("KVT580D_FILES", "UI580D.DLL"), nullptr);
    EXPECT_EQ(inf.findLine("KVT580D_FILES", "Stray"), nullptr);
}

TEST(InfFile, TheSignatureDecidesTheStyle) {
    struct Row {
        const char* name;
        std::string text;
        std::uint32_t style;
    };
    const Row rows[] = {
        {"WindowsNt", "[Version]\nSignature=\"$Windows NT$\"\n", ports::devsetup::InfStyleWin4},
        {"ChicagoAnyCase", "[version]\nsignature=$chicago$\n", ports::devsetup::InfStyleWin4},
        {"Windows95", "[Version]\nSignature=\"$Windows 95$\"\n", ports::devsetup::InfStyleWin4},
        {"UnknownSignature", "[Version]\nSignature=\"$Windows 3.1$\"\n", ports::devsetup::InfStyleOldNt},
        {"NoVersionSection", "[Identification]\nOptionType = NetAdapter\n", ports::devsetup::InfStyleOldNt},
        {"NotAnInfAtAll", "MZ\x90\x00\x03 binary", ports::devsetup::InfStyleOldNt},
        {"Empty", "", ports::devsetup::InfStyleOldNt},
    };
    for (const Row& row : rows) EXPECT_EQ(InfFile::Parse(row.text).style(), row.style) << row.name;
}

TEST(InfFile, StopsAtAnEndOfFileMark) {
    const InfFile inf = InfFile::Parse("[Version]\r\nSignature=\"$Windows NT$\"\r\n\x1A[After]\r\nKey=1\r\n");
    EXPECT_EQ(inf.style(), ports::devsetup::InfStyleWin4);
    EXPECT_EQ(inf.section("After"), nullptr);
}

}  // namespace
}  // namespace kvt::sim
