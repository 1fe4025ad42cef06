// kvtsim plugin sheet: scripts of the user's actions on the plug-in's pages
// of a system image, and what the image holds afterwards.
#include <gtest/gtest.h>

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

nlohmann::json Dword(int value) { return {{"type", "REG_DWORD"}, {"data", value}}; }

// 64-bit Windows 10 with the product's driver and print processor, the
// printer "Till 1" as the plug-in set it up, and the model's forms.
nlohmann::json Image() {
    sim::World world = *sim::FreshImage("win10-x64");
    kvt::test::PlaceProductProcessorDll(world);
    nlohmann::json image = sim::SaveImage(world);
    auto& spooler = image["spooler"];
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
                            {"printProcessor", "NVX PRINT PROCESSOR KVT580duo"},
                            {"dataType", "RAW"},
                            {"attributes", 0x1800},
                            {"data",
                             {{"MajorVersion", Dword(3)},
                              {"MinorVersion", Dword(4)},
                              {"BuildVersion", Dword(3)},
                              {"ExtraVersion", Dword(0)}}}}};
    spooler["forms"].push_back({{"name", "58 x 297 mm[580duo]"},
                                {"flags", 2},
                                {"width", 58000},
                                {"length", 297000},
                                {"imageable", {0, 0, 58000, 297000}}});
    spooler["forms"].push_back({{"name", "80 x 297 mm[580duo]"},
                                {"flags", 2},
                                {"width", 80000},
                                {"length", 297000},
                                {"imageable", {0, 0, 80000, 297000}}});
    return image;
}

std::string WriteScript(const std::string& name, const nlohmann::json& script) {
    const std::string file = ScratchPath(name);
    std::ofstream(file) << script.dump();
    return file;
}

nlohmann::json RunSheet(const nlohmann::json& script, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"plugin", "sheet", "--system", "-", "--printer", "Till 1", "--script",
                                  WriteScript("kvtsim_sheet_script.json", script)};
    args.insert(args.end(), extra.begin(), extra.end());
    const Outcome r = RunCli(args, Image().dump());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
}

const nlohmann::json& Control(const nlohmann::json& page, int id) {
    for (const auto& control : page["controls"])
        if (control["id"] == id) return control;
    static const nlohmann::json none;
    return none;
}

nlohmann::json Action(nlohmann::json fields) { return fields; }

TEST(KvtsimPluginSheet, DocumentSettingsAreStoredOnOk) {
    const nlohmann::json script = {
        {"actions",
         {Action({{"action", "page"}, {"title", "Document Settings"}}),
          Action({{"action", "type"}, {"control", 1002}, {"text", "<1B>J<00>"}}),
          Action({{"action", "click"}, {"control", 1010}}),
          Action({{"action", "arrow"}, {"control", 1039}, {"direction", "up"}, {"times", 2}}),
          Action({{"action", "arrow"}, {"control", 1030}, {"direction", "down"}}),
          Action({{"action", "press"}, {"button", "OK"}})}}};
    const nlohmann::json result = RunSheet(script);
    EXPECT_EQ(result["closed"], "ok");
    EXPECT_FALSE(result["applyEnabled"]);
    const auto& data = result["printerAfter"]["data"];
    EXPECT_EQ(data["StartDoc"], (nlohmann::json{{"type", "REG_BINARY"}, {"data", "1b4a00"}}));
    EXPECT_EQ(data["EndDoc"], (nlohmann::json{{"type", "REG_BINARY"}, {"data", ""}}));
    // 99 line feeds, drawer A open at 52 ms, the other pulses 50 ms, cut mode 1;
    // the Paper page, applied too, wrote the default size index 1, one copy.
    EXPECT_EQ(data["MISC"]["data"], "63011a0019001900190001000100000100000000");
    const auto& page = result["pages"][1];
    EXPECT_TRUE(page["created"]);
    EXPECT_EQ(Control(page, 1037)["text"], "52");
    EXPECT_EQ(Control(page, 1039)["position"], 52);
    EXPECT_TRUE(Control(page, 1010)["checked"]);
}

TEST(KvtsimPluginSheet, PaperChoicesBecomeThePrintersDefaults) {
    const nlohmann::json script = {
        {"actions",
         {Action({{"action", "choose"}, {"control", 1015}, {"entry", "Ticket"}}),
          Action({{"action", "type"}, {"control", 1016}, {"text", "300"}}),
          Action({{"action", "leave"}, {"control", 1016}}),
          Action({{"action", "click"}, {"control", 1018}}),
          Action({{"action", "choose"}, {"control", 1013}, {"index", 0}}), Action({{"action", "apply"}})}}};
    const nlohmann::json result = RunSheet(script);
    EXPECT_TRUE(result["closed"].is_null()) << "the sheet stays open";
    const auto& devmode = result["printerAfter"]["devmode"];
    EXPECT_EQ(devmode["defaultSource"], 264);
    EXPECT_EQ(devmode["copies"], 255);
    EXPECT_EQ(devmode["color"], 2);
    EXPECT_EQ(devmode["formName"], "58 x 297 mm[580duo]");
    EXPECT_EQ(devmode["paperWidth"], 580);
    EXPECT_EQ(devmode["paperLength"], 2970);
    EXPECT_EQ(devmode["paperSize"], 0);
    EXPECT_EQ(Control(result["pages"][0], 1016)["text"], "255");
    EXPECT_FALSE(result["pages"][1]["created"]) << "a page never shown is not created";
    EXPECT_TRUE(result["pages"][1]["controls"].is_null());
}

TEST(KvtsimPluginSheet, ThePaperSizeDialogSavesAFormAndAnswersItsQuestion) {
    const nlohmann::json script = {
        {"messageBoxes", {{{"textContains", "update"}, {"answer", "yes"}}}},
        {"actions",
         {Action({{"action", "click"}, {"control", 1014}}),
          Action({{"action", "type"}, {"control", 1031}, {"text", "Slip"}}),
          Action({{"action", "type"}, {"control", 1027}, {"text", "32.3"}}),
          Action({{"action", "type"}, {"control", 1029}, {"text", "100"}}),
          Action({{"action", "press"}, {"button", "Save"}}),
          Action({{"action", "arrow"}, {"control", 1028}, {"direction", "up"}}),
          Action({{"action", "press"}, {"button", "Save"}}),
          Action({{"action", "press"}, {"button", "Close"}}),
          Action({{"action", "choose"}, {"control", 1013}, {"entry", "Slip"}}),
          Action({{"action", "press"}, {"button", "OK"}})}}};
    const nlohmann::json result = RunSheet(script);
    ASSERT_EQ(result["dialogs"].size(), 1u);
    EXPECT_EQ(result["dialogs"][0]["result"], 1);
    nlohmann::json slip;
    for (const auto& form : result["system"]["spooler"]["forms"])
        if (form["name"] == "Slip[580duo]") slip = form;
    ASSERT_FALSE(slip.is_null());
    // 32.3 saved first (32299), then 32.4 after one arrow click: 32.4 times
    // 1000 rounds to 32400 exactly, where 32.3 times 1000 falls below 32300.
    EXPECT_EQ(slip["width"], 32400);
    EXPECT_EQ(slip["length"], 100000);
    int questions = 0;
    for (const auto& event : result["transcript"])
        if (event["event"] == "messageBox" && event["caption"] == "Question") ++questions;
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(result["printerAfter"]["devmode"]["formName"], "Slip[580duo]");
}

TEST(KvtsimPluginSheet, TheVersionPageShowsTheRecordedVersion) {
    const nlohmann::json result = RunSheet(nlohmann::json::object(), {"--sheet", "device"});
    ASSERT_EQ(result["pages"].size(), 1u);
    EXPECT_EQ(result["pages"][0]["title"], "Version");
    EXPECT_EQ(Control(result["pages"][0], 1010)["text"], "Windows driver for NORVEX KVT-580duo \r\nVersion 3.4.3.0");
    EXPECT_FALSE(result["applyEnabled"]);
}

TEST(KvtsimPluginSheet, ActionsTheUserCannotTakeAreIgnored) {
    const nlohmann::json script = {
        {"actions",
         {Action({{"action", "page"}, {"title", "Document Settings"}}),
          Action({{"action", "arrow"}, {"control", 1039}, {"direction", "up"}}),
          Action({{"action", "choose"}, {"control", 1015}, {"entry", "Label"}}),
          Action({{"action", "press"}, {"button", "Cancel"}})}}};
    const nlohmann::json result = RunSheet(script);
    int ignored = 0;
    for (const auto& event : result["transcript"])
        if (event["event"] == "ignored") ++ignored;
    EXPECT_EQ(ignored, 2) << "a disabled scroll bar, and a control that is not on this page";
    EXPECT_EQ(result["closed"], "cancel");
    EXPECT_FALSE(result["printerAfter"]["data"].contains("MISC")) << "Cancel applies nothing";
}

TEST(KvtsimPluginSheet, UnusableInputExitsTwoWithOneLine) {
    const std::string image = Image().dump();
    const std::string goodScript = WriteScript("kvtsim_sheet_good.json", {{"actions", nlohmann::json::array()}});
    struct Row {
        const char* name;
        nlohmann::json script;  // null: use the good one
        std::vector<std::string> extra;
        const char* mentions;
    };
    const std::vector<Row> rows{
        {"UnknownAction", {{"actions", {{{"action", "drag"}}}}}, {}, "$.actions[0].action"},
        {"BadDirection", {{"actions", {{{"action", "arrow"}, {"control", 1}, {"direction", "left"}}}}}, {},
         "$.actions[0].direction"},
        {"ControlNotANumber", {{"actions", {{{"action", "click"}, {"control", "OK"}}}}}, {}, "$.actions[0].control"},
        {"BadAnswer", {{"messageBoxes", {{{"answer", "maybe"}}}}}, {}, "$.messageBoxes[0].answer"},
        {"NotAnObject", nlohmann::json::array(), {}, "$"},
        {"PageWhileDialogOpen",
         {{"actions", {{{"action", "click"}, {"control", 1014}}, {{"action", "page"}, {"title", "Paper"}}}}},
         {},
         "$.actions[1]"},
        {"NoSuchPage", {{"actions", {{{"action", "page"}, {"title", "Layout"}}}}}, {}, "\"Layout\""},
        {"ActionAfterClose",
         {{"actions", {{{"action", "press"}, {"button", "OK"}}, {{"action", "apply"}}}}},
         {},
         "$.actions[1]"},
        {"UnknownPrinter", nullptr, {"--printer", "Till 9"}, "\"Till 9\""},
        {"BadSheet", nullptr, {"--sheet", "printer"}, "\"printer\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string script =
            row.script.is_null() ? goodScript : WriteScript(std::string("kvtsim_sheet_") + row.name + ".json", row.script);
        std::vector<std::string> args{"plugin", "sheet", "--system", "-", "--script", script};
        bool printerGiven = false;
        for (const std::string& arg : row.extra) printerGiven = printerGiven || arg == "--printer";
        if (!printerGiven) args.insert(args.end(), {"--printer", "Till 1"});
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        const Outcome r = RunCli(args, image);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with("kvtsim: ")) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(row.mentions), std::string::npos) << r.err;
    }
    const Outcome noScript = RunCli({"plugin", "sheet", "--system", "-", "--printer", "Till 1"}, image);
    EXPECT_EQ(noScript.status, 2);
    EXPECT_NE(noScript.err.find("--script"), std::string::npos);
    const Outcome bothStdin =
        RunCli({"plugin", "sheet", "--system", "-", "--printer", "Till 1", "--script", "-"}, image);
    EXPECT_EQ(bothStdin.status, 2);
}

TEST(KvtsimPluginSheet, WritesToOutFile) {
    const std::string out = ScratchPath("kvtsim_sheet_out.json");
    const Outcome r = RunCli({"plugin", "sheet", "--system", "-", "--printer", "Till 1", "--script",
                              WriteScript("kvtsim_sheet_empty.json", nlohmann::json::object()), "--out", out},
                             Image().dump());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    std::ifstream written(out);
    const nlohmann::json result = nlohmann::json::parse(written);
    EXPECT_EQ(result["command"], "sheet");
    EXPECT_EQ(result["pages"][0]["title"], "Paper");
    EXPECT_TRUE(result["applyEnabled"]) << "the page marked the sheet changed as it opened";
}

}  // namespace
}  // namespace kvt::kvtsim
