#pragma once
// Uninstaller runs for the flow and scenario tests, through kvtsim's own
// runner: systems with the product and chosen printers on them, the user's
// answers at the check list, and the differences between two images.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/ImageJson.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/support/ImageDifferences.h"
#include "tests/support/InstallerRuns.h"
#include "tools/kvtsim/UninstallerRun.h"

namespace kvt::test {

inline constexpr std::string_view kUninstallerLogPath = "C:\\Temp\\KVT-580duo_UnInstaller.txt";
inline constexpr std::string_view kRestartQuestionStart = "Restart the computer";

// Names parameterised tests after their rows' `name`.
struct RowName {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

struct PrinterSpec {
    std::string name;
    std::string driver = std::string(kProductDriver);
    std::string port = "COM1:";
};

inline void PutPrinter(sim::World& world, const PrinterSpec& wanted) {
    sim::PrinterRecord printer;
    printer.name = wanted.name;
    printer.driver = wanted.driver;
    printer.port = wanted.port;
    printer.printProcessor = "WinPrint";
    printer.dataType = "RAW";
    sim::WritePrinterKey(world.registry, printer);
}

// The product as the installer leaves it on `os` (InstalledProduct.h), its
// own printers replaced by `printers`; other makers' printers stay.
inline sim::World ProductWithPrinters(std::string_view os, const std::vector<PrinterSpec>& printers) {
    sim::World world = InstallProduct(SystemBeforeProduct(os));
    for (const char* name : {"NORVEX KVT-580duo", "Receipt 2"}) {
        world.registry.eraseTree(sim::PrinterKeyPath(name));
        world.spooler.jobs.erase(name);
    }
    for (const PrinterSpec& wanted : printers) PutPrinter(world, wanted);
    return world;
}

// The user at the check list: clears `uncheck`, then presses `action`
// ("uninstall" or "cancel"); `restart` answers the restart question.
inline kvtsim::RunAnswers Choice(std::vector<std::string> uncheck, std::string_view action = "uninstall",
                                 ports::MessageAnswer restart = ports::MessageAnswer::No) {
    kvtsim::RunAnswers answers;
    answers.uninstall = {{"uncheck", uncheck}, {"action", action}};
    answers.messageBoxes.push_back({std::string(kRestartQuestionStart), restart});
    return answers;
}

inline kvtsim::ProgramRun Uninstall(sim::World world, const kvtsim::RunAnswers& answers = {},
                                    const kvtsim::RunPreparation& prepare = {}) {
    return kvtsim::RunUninstaller(std::move(world), answers, prepare);
}

// Whether the image after the run still registers the product's driver, in
// any environment.
inline bool HasProductDriver(const kvtsim::ProgramRun& run) {
    for (const auto& driver : run.result["system"]["spooler"]["drivers"])
        if (driver["name"] == kProductDriver) return true;
    return false;
}

// The events of a run reduced to their kind, in order.
inline std::vector<std::string> EventKinds(const kvtsim::ProgramRun& run) {
    std::vector<std::string> kinds;
    for (const auto& event : run.result["transcript"]) kinds.push_back(event["event"]);
    return kinds;
}

// ImageDifferences without the clock, which a run is expected to move.
inline std::vector<std::string> ImageChangesBesidesClock(nlohmann::json before, nlohmann::json after) {
    before.erase("clock");
    after.erase("clock");
    return ImageDifferences(before, after);
}

inline std::vector<std::string> ImageDifferences(const sim::World& before, const sim::World& after) {
    return ImageChangesBesidesClock(sim::SaveImage(before), sim::SaveImage(after));
}

// The programs' logs land in C:\Temp.
inline sim::World WithoutLogs(sim::World world) {
    world.files.eraseDirectory("C:\\Temp");
    return world;
}

}  // namespace kvt::test
