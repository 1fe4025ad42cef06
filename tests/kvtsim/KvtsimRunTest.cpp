// kvtsim run: the command line around the runner, the package placement, the
// answers file, the result and its readable form, and unusable input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tests/support/KvtsimCli.h"

namespace kvt::kvtsim {
namespace {

using test::Outcome;
using test::RunCli;
using test::ScratchPath;

namespace fs = std::filesystem;

std::string ImageText(const char* os) { return sim::SaveImage(*sim::FreshImage(os)).dump(); }

// A scratch folder of this test, emptied first.
fs::path Scratch(const std::string& name) {
    const fs::path path = fs::path(ScratchPath("kvtsim_run_" + name));
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(KvtsimRun, InstallsWithTheAnswersFileAndTheBuiltPackage) {
    const fs::path dir = Scratch("answers");
    WriteFile(dir / "answers.json",
              R"({"portDialog": "LPT1", "messageBoxes": [{"textContains": "restart", "answer": "yes"}]})");
    const Outcome r = RunCli({"run", "installer", "--system", "-", "--answers", (dir / "answers.json").string()},
                             ImageText("xp-x86"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    const nlohmann::json result = nlohmann::json::parse(r.out);
    for (const char* field : {"program", "exitCode", "system", "log", "transcript", "elapsedMs"})
        EXPECT_TRUE(result.contains(field)) << field;
    EXPECT_EQ(result["program"], "installer");
    EXPECT_EQ(result["exitCode"], 0);
    EXPECT_EQ(result["system"]["spooler"]["printers"][0]["port"], "LPT1:");
    EXPECT_EQ(result["system"]["restart"], (nlohmann::json{{"flags", 18}, {"reason", 0}}));
    EXPECT_NE(result["log"].get<std::string>().find("AddToWin2K BEGIN\r\n"), std::string::npos);
    EXPECT_GT(result["elapsedMs"].get<int>(), 2000);
    // The log is in the image too, where the program wrote it.
    bool logInImage = false;
    for (const auto& file : result["system"]["files"])
        logInImage = logInImage || file["path"] == "C:\\Temp\\KVT-580duo_Installer.txt";
    EXPECT_TRUE(logInImage);
}

TEST(KvtsimRun, PackagePlacementKeepsTheImagesOwnFiles) {
    const fs::path dir = Scratch("package");
    const fs::path package = dir / "package";
    // A package copied from the built one, with an extra file of its own.
    fs::copy(DefaultPackageDirectory(), package, fs::copy_options::recursive);
    WriteFile(package / "Driver32" / "Extra.txt", "from the package");

    nlohmann::json image = sim::SaveImage(*sim::FreshImage("xp-x86"));
    image["files"].push_back({{"path", "C:\\Setup\\KVT580duo_Config.NVX"},
                              {"text", "[KVT580D]\r\nPORTDLG=NO\r\nPORT=COM4\r\n"}});
    image["files"].push_back({{"path", "C:\\Setup\\driver32\\extra.txt"}, {"text", "from the image"}});
    WriteFile(dir / "image.json", image.dump());

    const Outcome r = RunCli({"run", "installer", "--system", (dir / "image.json").string(), "--package",
                              package.string(), "--out", (dir / "result.json").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    std::ifstream in(dir / "result.json");
    const nlohmann::json result = nlohmann::json::parse(in);
    std::map<std::string, std::string> texts;
    for (const auto& file : result["system"]["files"])
        if (file.contains("text")) texts[file["path"]] = file["text"];
    EXPECT_EQ(texts["C:\\Setup\\KVT580duo_Config.NVX"], "[KVT580D]\r\nPORTDLG=NO\r\nPORT=COM4\r\n");
    EXPECT_EQ(texts["C:\\Setup\\driver32\\extra.txt"], "from the image");
    EXPECT_EQ(texts.count("C:\\Setup\\kvt580d.inf"), 1u);
    // The image's configuration chose the port without the dialog.
    EXPECT_EQ(result["system"]["spooler"]["printers"][0]["port"], "COM4:");
    for (const auto& event : result["transcript"]) EXPECT_NE(event["event"], "dialog");
}

TEST(KvtsimRun, TextFormatShowsTranscriptLogAndTheSystemAfterwards) {
    const fs::path dir = Scratch("text");
    WriteFile(dir / "answers.json", R"({"portDialog": "COM2"})");
    const Outcome r = RunCli(
        {"run", "installer", "--system", "-", "--answers", (dir / "answers.json").string(), "--format", "text"},
        ImageText("win10-x64"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    for (const char* part :
         {"program: installer\n", "exit code: 0\n", "-- transcript --\n", "  window \"Installation Progress\"\n",
          "  dialog \"Port Type\": selection 1, ok\n",
          "  process C:\\Windows\\Sysnative\\cmd.exe: cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"NORVEX "
          "KVT-580duo\" /f .\\kvt580d.inf /r \"COM2:\" /m \"NORVEX KVT-580duo\" (hidden) "
          "[NoDefaultCurrentDirectoryInExePath=1]\n",
          "  wait 2500 ms: signaled\n", "-> no\n", "  exit 0\n", "-- log --\n", "AddToWin2KWithWHQL BEGIN\n",
          "-- the system afterwards --\n",
          "printers:\n  \"NORVEX KVT-580duo\": driver \"NORVEX KVT-580duo\", port COM2:, processor \"NVX PRINT "
          "PROCESSOR KVT580duo\", attributes 0x1800\n",
          "printer drivers:\n  Windows x64: \"NORVEX KVT-580duo\" (version 3",
          "monitors:\n", "  \"NVX Language Monitor KVT580duo\" (MON580D.dll)\n",
          "uninstall entry HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo:\n",
          "  DisplayName = REG_SZ \"NORVEX KVT-580duo Windows Driver V3.4.3\"\n",
          "  InfFile = REG_SZ \"kvt580d.inf\"\n", "INF copies of the product:\n  C:\\Windows\\inf\\oem",
          "product files:\n", "KVT-580duo\\KVT580duo_Uninstaller.exe\n", "restart: not requested\n",
          "-- virtual time: "})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n---\n" << r.out;
}

TEST(KvtsimRun, UnusableInputExitsTwoWithOneLine) {
    const fs::path dir = Scratch("unusable");
    WriteFile(dir / "broken.json", "{\"portDialog\": ");
    WriteFile(dir / "port.json", R"({"portDialog": "COM5"})");
    WriteFile(dir / "answer.json", R"({"messageBoxes": [{"textContains": "x", "answer": "maybe"}]})");
    WriteFile(dir / "boxes.json", R"({"messageBoxes": {"answer": "no"}})");
    WriteFile(dir / "list.json", R"(["COM2"])");
    WriteFile(dir / "deep.json", std::string(200, '[') + std::string(200, ']'));
    const std::string image = ImageText("win10-x64");
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        std::string errorPart;
    } rows[] = {
        {"NoProgram", {"run", "--system", "-"}, image, "run: name the program"},
        {"UnknownProgram", {"run", "printer", "--system", "-"}, image, "unknown program \"printer\""},
        {"NoSystem", {"run", "installer"}, image, "--system FILE is required"},
        {"UnknownOption", {"run", "installer", "--system", "-", "--port", "COM2"}, image, "unknown option"},
        {"BadFormat", {"run", "installer", "--system", "-", "--format", "xml"}, image, "--format"},
        {"BadImage", {"run", "installer", "--system", "-"}, R"({"os": {"major": "ten"}})", "-: $.os.major"},
        {"MissingImage", {"run", "installer", "--system", (dir / "none.json").string()}, "", "cannot be opened"},
        {"MissingAnswers", {"run", "installer", "--system", "-", "--answers", (dir / "none.json").string()}, image,
         "cannot be opened"},
        {"BrokenAnswers", {"run", "installer", "--system", "-", "--answers", (dir / "broken.json").string()}, image,
         "not valid JSON"},
        {"UnknownPort", {"run", "installer", "--system", "-", "--answers", (dir / "port.json").string()}, image,
         "$.portDialog"},
        {"UnknownAnswer", {"run", "installer", "--system", "-", "--answers", (dir / "answer.json").string()}, image,
         "$.messageBoxes[0].answer"},
        {"BoxesNotAList", {"run", "installer", "--system", "-", "--answers", (dir / "boxes.json").string()}, image,
         "$.messageBoxes: must be an array"},
        {"AnswersNotAnObject", {"run", "installer", "--system", "-", "--answers", (dir / "list.json").string()},
         image, "$: the answers must be an object"},
        {"AnswersTooDeep", {"run", "installer", "--system", "-", "--answers", (dir / "deep.json").string()}, image,
         "nested deeper"},
        {"BothFromStandardInput", {"run", "installer", "--system", "-", "--answers", "-"}, image,
         "cannot both read standard input"},
        {"NoPackage", {"run", "installer", "--system", "-", "--package", (dir / "nothing").string()}, image,
         "the package folder does not exist"},
    };
    for (const Row& row : rows) {
        const Outcome r = RunCli(row.args, row.input);
        EXPECT_EQ(r.status, 2) << row.name << ": " << r.out;
        EXPECT_EQ(r.err.rfind("kvtsim: ", 0), 0u) << row.name << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << row.name << ": " << r.err;
        EXPECT_NE(r.err.find(row.errorPart), std::string::npos) << row.name << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << row.name;
    }
}

TEST(KvtsimRun, ImagesChainThroughSavedResults) {
    const fs::path dir = Scratch("chain");
    WriteFile(dir / "answers.json", R"({"portDialog": "COM1"})");
    std::string image = ImageText("xp-x86");
    std::vector<std::string> names;
    for (int run = 0; run < 3; ++run) {
        const Outcome r =
            RunCli({"run", "installer", "--system", "-", "--answers", (dir / "answers.json").string()}, image);
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json result = nlohmann::json::parse(r.out);
        image = result["system"].dump();
        names.clear();
        for (const auto& printer : result["system"]["spooler"]["printers"]) names.push_back(printer["name"]);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"NORVEX KVT-580duo", "NORVEX KVT-580duo(#1)", "NORVEX KVT-580duo(#2)"}));
}

}  // namespace
}  // namespace kvt::kvtsim
