#pragma once
// The chained scenarios that the fault sweep and the seeded campaign run
// again and again: on "xp-x86" and "win10-x64", a first installation, a
// second one over the same version, an installation over an older version,
// and the uninstaller with every printer and with some printers chosen. Each
// starts from a system that also holds other makers' printers, drivers,
// monitors, forms, INF files, devices, keys and folders, so that touching
// what is not the product's shows.
#include <string>
#include <vector>

#include "platform/sim/World.h"
#include "tools/kvtsim/ProgramRun.h"

namespace kvt::test {

enum class SetupProgram { Installer, Uninstaller };

struct SweepScenario {
    int number;        // 1-based; the campaign's seeds carry it
    std::string os;    // "xp-x86" or "win10-x64"
    std::string kind;  // "install", "reinstall", ...
    SetupProgram program;
    kvtsim::RunAnswers answers;

    std::string name() const { return os + " " + kind; }
    // "xp_x86_install", for test names.
    std::string identifier() const;
};

const std::vector<SweepScenario>& SweepScenarios();

// The image the scenario starts from, built once per process. The
// reinstallation starts from what the first installation (unfaulted) left.
const sim::World& StartOf(const SweepScenario& scenario);

// Runs the scenario's program on `world`.
kvtsim::ProgramRun RunProgram(const SweepScenario& scenario, sim::World world,
                              const kvtsim::RunPreparation& prepare);

}  // namespace kvt::test
