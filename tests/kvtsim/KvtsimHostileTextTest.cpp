// kvtsim's run of a program on a system whose printers carry characters above
// 127 (a shop's "Kasse Café"): the image holds them as UTF-8, the programs
// see them in the ANSI code page, and the result (image and transcript alike)
// is UTF-8 JSON again, whatever the program showed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/FreshImage.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SpoolerKeys.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tools/kvtsim/UninstallerRun.h"

namespace kvt::kvtsim {
namespace {

// Windows 10 with the product's driver and two of its printers.
std::string ImageWithCafePrinters() {
    sim::World world = *sim::FreshImage("win10-x64");
    std::string problem;
    EXPECT_TRUE(PlacePackage(world, DefaultPackageDirectory(), problem)) << problem;
    TrustPackagePublisher(world, DefaultPackageDirectory());
    const ProgramRun installed = RunInstaller(world, {std::string("COM1"), {}, nullptr, {}});
    EXPECT_EQ(installed.exitCode, 0u);
    world = installed.after;
    for (const char* name : {"Kasse Caf\xE9", "Till \xA7 2"}) {
        sim::PrinterRecord printer;
        printer.name = name;
        printer.driver = "NORVEX KVT-580duo";
        printer.port = "COM2:";
        printer.printProcessor = "WinPrint";
        printer.dataType = "RAW";
        sim::WritePrinterKey(world.registry, printer);
    }
    return sim::SaveImage(world).dump();
}

TEST(KvtsimHostileText, UninstallerResultWithNonAsciiPrinterNamesIsUtf8) {
    sim::World world;
    ASSERT_FALSE(sim::ParseImageText(ImageWithCafePrinters(), world));
    const ProgramRun run = RunUninstaller(std::move(world), {});
    ASSERT_EQ(run.exitCode, 0u);
    // What `kvtsim run` writes: it must be JSON text, and read back the same.
    const nlohmann::json result = nlohmann::json::parse(run.result.dump(2));
    std::vector<std::string> listed;
    for (const auto& event : result["transcript"])
        if (event["event"] == "checkList")
            for (const auto& item : event["items"]) listed.push_back(item["text"]);
    EXPECT_EQ(listed, (std::vector<std::string>{"Kasse Caf\u00e9", "NORVEX KVT-580duo", "Till \u00a7 2"}));
    EXPECT_NE(result["log"].get<std::string>().find("OBJECT NAME : Kasse Caf\u00e9\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kvt::kvtsim
