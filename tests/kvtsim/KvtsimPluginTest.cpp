// kvtsim plugin: the plug-in's printer initialisation on an image, and the
// command codec from the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tests/support/KvtsimCli.h"
#include "tests/support/ProductInfText.h"

namespace kvt::kvtsim {
namespace {

using test::Outcome;
using test::RunCli;
using test::ScratchPath;

// A 64-bit Windows 10 image with the product's driver and a printer "Till 1"
// of it, with other attributes and processor than the plug-in sets.
nlohmann::json ImageWithPrinter(bool withProcessor) {
    sim::World world = *sim::FreshImage("win10-x64");
    if (withProcessor) kvt::test::PlaceProductProcessorDll(world);
    nlohmann::json image = sim::SaveImage(world);
    auto& spooler = image["spooler"];
    if (withProcessor)
        spooler["printProcessors"].push_back(
            {{"name", "NVX PRINT PROCESSOR KVT580duo"}, {"environment", "Windows x64"}, {"dll", "PRO580D.dll"}});
    spooler["drivers"].push_back({{"name", "NORVEX KVT-580duo"},
                                  {"environment", "Windows x64"},
                                  {"version", 3},
                                  {"driverPath", "UNIDRV.DLL"},
                                  {"dataFile", "KVT580D.GPD"},
                                  {"configFile", "UNIDRVUI.DLL"},
                                  {"dependentFiles", {"UI580D.DLL"}},
                                  {"defaultDataType", "RAW"}});
    spooler["printers"] = {{{"name", "Till 1"},
                            {"driver", "NORVEX KVT-580duo"},
                            {"port", "COM1:"},
                            {"printProcessor", "WinPrint"},
                            {"dataType", "RAW"},
                            {"attributes", 0x240}}};
    return image;
}

struct EventRow {
    const char* name;
    bool withProcessor;
    std::vector<std::string> extra;  // after "--system - --printer"
    const char* hresult;
    const char* result;
    int attributes;  // of "Till 1" afterwards
    const char* processor;
    bool versionValues;
};

class KvtsimPrinterEventTest : public ::testing::TestWithParam<EventRow> {};

TEST_P(KvtsimPrinterEventTest, ReportsTheResultAndThePrinterAfterwards) {
    const EventRow& row = GetParam();
    std::vector<std::string> args{"plugin", "printer-event", "--system", "-"};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    const Outcome r = RunCli(args, ImageWithPrinter(row.withProcessor).dump());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const nlohmann::json result = nlohmann::json::parse(r.out);
    EXPECT_EQ(result["hresult"], row.hresult);
    EXPECT_EQ(result["result"], row.result);

    const auto& printers = result["system"]["spooler"]["printers"];
    ASSERT_EQ(printers.size(), 1u);
    const auto& till = printers[0];
    EXPECT_EQ(till["attributes"], row.attributes);
    EXPECT_EQ(till["printProcessor"], row.processor);
    if (row.versionValues) {
        const nlohmann::json expected = {{"MajorVersion", {{"type", "REG_DWORD"}, {"data", 3}}},
                                         {"MinorVersion", {{"type", "REG_DWORD"}, {"data", 4}}},
                                         {"BuildVersion", {{"type", "REG_DWORD"}, {"data", 3}}},
                                         {"ExtraVersion", {{"type", "REG_DWORD"}, {"data", 0}}}};
        EXPECT_EQ(till["data"], expected);
    } else {
        EXPECT_TRUE(!till.contains("data") || till["data"].empty()) << till.dump();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KvtsimPrinterEventTest,
    ::testing::Values(
        EventRow{"Initialize", true, {"--printer", "Till 1"}, "0x00000000", "S_OK", 0x1800,
                 "NVX PRINT PROCESSOR KVT580duo", true},
        EventRow{"InitializeByNumber", true, {"--printer", "Till 1", "--event", "3"}, "0x00000000", "S_OK", 0x1800,
                 "NVX PRINT PROCESSOR KVT580duo", true},
        EventRow{"AddConnectionDoesNothing", true, {"--printer", "Till 1", "--event", "1"}, "0x00000000", "S_OK",
                 0x240, "WinPrint", false},
        EventRow{"SpoolerRefusesAnUnregisteredProcessor", false, {"--printer", "Till 1"}, "0x00000000", "S_OK",
                 0x240, "WinPrint", true},
        EventRow{"UnknownPrinter", true, {"--printer", "Till 9"}, "0x80004005", "E_FAIL", 0x240, "WinPrint",
                 false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(KvtsimPlugin, PrinterEventWritesToOutFile) {
    const std::string file = ScratchPath("kvtsim_plugin_event.json");
    const Outcome r = RunCli({"plugin", "printer-event", "--system", "-", "--printer", "Till 1", "--out", file},
                          ImageWithPrinter(true).dump());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    std::ifstream written(file);
    const nlohmann::json result = nlohmann::json::parse(written);
    EXPECT_EQ(result["printerAfter"]["attributes"], 0x1800);
}

struct CodecRow {
    const char* name;
    std::vector<std::string> args;
    nlohmann::json expected;
};

class KvtsimCodecTest : public ::testing::TestWithParam<CodecRow> {};

TEST_P(KvtsimCodecTest, PrintsJson) {
    const Outcome r = RunCli(GetParam().args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KvtsimCodecTest,
    ::testing::Values(
        CodecRow{"Encode",
                 {"plugin", "encode", "<1B4A00>"},
                 {{"command", "encode"}, {"text", "<1B4A00>"}, {"complete", true}, {"count", 3}, {"hex", "1b4a00"}}},
        CodecRow{"EncodeLatin1", {"plugin", "encode", "\xC3\xA9"},
                 {{"command", "encode"}, {"text", "\xC3\xA9"}, {"complete", true}, {"count", 1}, {"hex", "e9"}}},
        CodecRow{"EncodeHalfByte",
                 {"plugin", "encode", "<1"},
                 {{"command", "encode"}, {"text", "<1"}, {"complete", true}, {"count", 0}, {"hex", ""}}},
        CodecRow{"Decode",
                 {"plugin", "decode", "1B4a00"},
                 {{"command", "decode"}, {"hex", "1b4a00"}, {"complete", true}, {"text", "<1B>J<00>"}}},
        CodecRow{"DecodeNothing",
                 {"plugin", "decode", ""},
                 {{"command", "decode"}, {"hex", ""}, {"complete", true}, {"text", ""}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(KvtsimPlugin, DecodingATextTooLongLeavesItEmpty) {
    std::string hex;
    for (int i = 0; i < 1023; ++i) hex += i % 2 == 0 ? "1b" : "4a";
    const Outcome r = RunCli({"plugin", "decode", hex});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json result = nlohmann::json::parse(r.out);
    EXPECT_EQ(result["complete"], false);
    EXPECT_EQ(result["text"], "");
}

TEST(KvtsimPlugin, UnusableInputExitsTwoWithOneLine) {
    const std::string image = ImageWithPrinter(true).dump();
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        const char* mentions;
    };
    const std::vector<Row> rows{
        {"NoSubcommand", {"plugin"}, "", "printer-event, sheet, encode, decode"},
        {"UnknownSubcommand", {"plugin", "paper"}, "", "\"paper\""},
        {"NoSystem", {"plugin", "printer-event", "--printer", "Till 1"}, "", "--system"},
        {"NoPrinter", {"plugin", "printer-event", "--system", "-"}, image, "--printer"},
        {"EventNotANumber", {"plugin", "printer-event", "--system", "-", "--printer", "Till 1", "--event", "init"},
         image, "\"init\""},
        {"UnknownOption", {"plugin", "printer-event", "--system", "-", "--port", "COM1:"}, image, "--port"},
        {"BrokenImage", {"plugin", "printer-event", "--system", "-", "--printer", "Till 1"}, "{", "$"},
        {"MissingImageFile", {"plugin", "printer-event", "--system", "/nonexistent/image.json", "--printer", "T"}, "",
         "/nonexistent/image.json"},
        {"EncodeWithoutText", {"plugin", "encode"}, "", "one argument"},
        {"EncodeOutsideTheCodePage", {"plugin", "encode", "\xE2\x82\xAC"}, "", "plugin encode"},
        {"DecodeOddDigits", {"plugin", "decode", "1b4"}, "", "odd"},
        {"DecodeNotHex", {"plugin", "decode", "1g"}, "", "\"1g\""},
        {"DecodeTooLong", {"plugin", "decode", std::string(4098, 'a')}, "", "2048"},
        {"DecodeTwoArguments", {"plugin", "decode", "1b", "4a"}, "", "one hexadecimal argument"},
    };
    for (const Row& row : rows) {
        const Outcome r = RunCli(row.args, row.input);
        EXPECT_EQ(r.status, 2) << row.name;
        EXPECT_EQ(r.out, "") << row.name;
        EXPECT_EQ(r.err.rfind("kvtsim: ", 0), 0u) << row.name << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << row.name << ": " << r.err;
        EXPECT_NE(r.err.find(row.mentions), std::string::npos) << row.name << ": " << r.err;
    }
}

}  // namespace
}  // namespace kvt::kvtsim
