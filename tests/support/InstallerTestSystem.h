#pragma once
// One simulated computer for the tests of single install steps: a fresh
// system of a release with the package in C:\Setup, the installer's log
// started, and an InstallEngine wired to a simulated main window exactly as
// the installer's window wires it. Readers give what a step logged and
// showed after a mark, so a test sees only the step it runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/Simulation.h"
#include "tests/support/RecordingSpooler.h"
#include "tests/setup_common/SetupTestSupport.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::test {

// A fresh image of `os` ("xp-x86", "win10-x64", ...) with the built package
// in its current directory, on a computer that trusts its publisher.
inline sim::World FreshSystemWithPackage(std::string_view os) {
    std::optional<sim::World> world = sim::FreshImage(os);
    EXPECT_TRUE(world.has_value()) << os;
    if (!world) return sim::World{};
    std::string problem;
    EXPECT_TRUE(kvtsim::PlacePackage(*world, kvtsim::DefaultPackageDirectory(), problem)) << problem;
    EXPECT_EQ(kvtsim::TrustPackagePublisher(*world, kvtsim::DefaultPackageDirectory()), 1);
    return std::move(*world);
}

class InstallerTestSystem {
public:
    explicit InstallerTestSystem(sim::World world, std::vector<sim::MessageBoxAnswer> answers = {})
        : sim_(std::make_unique<kvtsim::ProductSimulation>(std::move(world), sim::Bitness::x86)),
          spooler_(sim_->spooler()),
          platform_(WithSpooler(sim_->platform(), spooler_)),
          log_(platform_.files, platform_.clock, setup::kInstallerLogFileName),
          window_(*sim_, "KVT580duo_Installer", std::move(answers)),
          engine_(platform_, log_) {
        log_.InitLogFile();
        window_.setProgressRange(0, 100);
        window_.setProgressStep(10);
        ports::OsVersionInfo version;
        platform_.system.getVersionEx(version);
        engine_.SetSystemInfo(sim_->underWow64() ? 1 : 0, setup::OsCodeFor(version));
        engine_.SetControlPointers(window_);
        mark();
    }

    sim::Simulation& sim() { return *sim_; }
    // The spooler as the engine calls it, with what it was handed.
    RecordingSpooler& calls() { return spooler_; }
    sim::World& world() { return sim_->world(); }
    ports::Platform& platform() { return platform_; }
    installer::InstallEngine& engine() { return engine_; }
    sim::SimSetupWindow& window() { return window_; }

    // What happens from here on is what the readers below return.
    void mark() {
        logMark_ = allLogMessages().size();
        transcriptMark_ = sim_->transcript().events().size();
    }

    // The log's messages since the mark; "\r\n" reads as two empty messages.
    std::vector<std::string> log() {
        std::vector<std::string> all = allLogMessages();
        if (all.size() < logMark_) {
            ADD_FAILURE() << "the log has " << all.size() << " messages, fewer than the " << logMark_ << " at the mark";
            return all;
        }
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(logMark_), all.end());
    }

    bool logged(std::string_view message) {
        for (const std::string& m : log())
            if (m == message) return true;
        return false;
    }

    // The transcript since the mark, one line per event:
    // "text:<step text>", "progress:<n>", "sleep:<ms>",
    // "box:<icon>:<buttons>:<text>", "exit:<code>".
    std::vector<std::string> shown() {
        std::vector<std::string> lines;
        const auto& events = sim_->transcript().events();
        for (std::size_t i = transcriptMark_; i < events.size(); ++i) lines.push_back(Line(events[i]));
        return lines;
    }

    std::vector<std::string> messageBoxes() {
        std::vector<std::string> boxes;
        for (const std::string& line : shown())
            if (line.starts_with("box:")) boxes.push_back(line);
        return boxes;
    }

    const sim::FileRecord* file(std::string_view path) const { return sim_->world().files.findFile(path); }
    bool hasFile(std::string_view path) const { return file(path) != nullptr; }
    // Puts a file as a running program would hold it: open, not deletable
    // and not overwritable, but renamable.
    void putFileInUse(std::string_view path, std::string bytes = "held open") {
        sim_->world().files.putFile(std::string(path), std::move(bytes)).inUse = true;
    }

    const sim::SpoolerObjects& spooler() {
        std::vector<std::string> unused;
        platform_.spooler.enumPrintProcessors(std::nullopt, unused);  // the spooler reads its objects
        return *sim_->spooler().memory();
    }

private:
    static ports::Platform WithSpooler(ports::Platform platform, ports::Spooler& spooler) {
        return ports::Platform{platform.registry, platform.files,  platform.system, platform.clock,
                               platform.processes, platform.exit, spooler,         platform.devices};
    }

    std::vector<std::string> allLogMessages() {
        // Windows lives in C:\Windows on every fresh image.
        const sim::FileRecord* file = sim_->world().files.findFile("C:\\Temp\\KVT-580duo_Installer.txt");
        return setup::testing::LogMessages(file == nullptr ? std::string() : file->bytes);
    }

    static std::string Line(const nlohmann::json& event) {
        const std::string kind = event["event"];
        if (kind == "stepText") return "text:" + event["text"].get<std::string>();
        if (kind == "progress") return "progress:" + std::to_string(event["position"].get<int>());
        if (kind == "sleep") return "sleep:" + std::to_string(event["ms"].get<std::uint32_t>());
        if (kind == "messageBox")
            return "box:" + event["icon"].get<std::string>() + ":" + event["buttons"].get<std::string>() + ":" +
                   event["text"].get<std::string>();
        if (kind == "exit") return "exit:" + std::to_string(event["code"].get<std::uint32_t>());
        return kind;
    }

    std::unique_ptr<sim::Simulation> sim_;
    RecordingSpooler spooler_;
    ports::Platform platform_;
    setup::SetupLog log_;
    sim::SimSetupWindow window_;
    installer::InstallEngine engine_;
    std::size_t logMark_ = 0;
    std::size_t transcriptMark_ = 0;
};

}  // namespace kvt::test
