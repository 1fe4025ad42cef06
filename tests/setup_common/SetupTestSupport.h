#pragma once
// A small simulated Windows for the setup support tests, and readers for the
// setup log as it lands in the simulated file system.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Installer/setup_common/SetupLog.h"
#include "platform/sim/Simulation.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::setup::testing {

struct WorldOptions {
    bool is64Bit = false;
    std::string windowsDirectory = "C:\\Windows";
    std::string clock = "2026-12-08T09:05:07";
};

inline sim::World MakeWorld(const WorldOptions& options = {}) {
    sim::World world;
    world.os.platform = 2;
    world.os.major = 10;
    world.os.minor = 0;
    world.os.build = 19045;
    world.os.productType = 1;
    world.os.is64Bit = options.is64Bit;
    world.clock = options.clock;
    world.windowsDirectory = options.windowsDirectory;
    world.currentDirectory = "C:\\Setup";
    world.files.ensureDirectory("C:\\Setup");
    world.files.putFile(options.windowsDirectory + "\\System32\\net.exe", "simulated system file");
    if (options.is64Bit) world.files.putFile(options.windowsDirectory + "\\SysWOW64\\net.exe", "simulated system file");
    return world;
}

// Splits the log into its lines (without "\r\n") and checks that every line
// that is not the empty second half of a "\r\n" message starts with a valid
// "HH:MM:SS: " stamp, which it removes.
inline std::vector<std::string> LogMessages(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", pos);
        if (end == std::string_view::npos) {
            ADD_FAILURE() << "log ends without \\r\\n: " << bytes.substr(pos);
            break;
        }
        lines.emplace_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const bool stamped = line.size() >= 10 && line[2] == ':' && line[5] == ':' && line[8] == ':' &&
                             line[9] == ' ';
        EXPECT_TRUE(stamped) << "line without time stamp: " << line;
        messages.push_back(stamped ? line.substr(10) : line);
        // A "\r\n" message: the stamp alone, then an empty line.
        if (line.size() == 10 && i + 1 < lines.size() && lines[i + 1].empty()) {
            messages.emplace_back();
            ++i;
        }
    }
    return messages;
}

// One simulated computer with the installer's log started.
class SetupTest : public ::testing::Test {
protected:
    void start(sim::World world, sim::Bitness bitness = sim::Bitness::x86,
               std::string_view logName = kInstallerLogFileName) {
        log_.reset();
        sim_ = std::make_unique<kvtsim::ProductSimulation>(std::move(world), bitness);
        platform_ = std::make_unique<ports::Platform>(sim_->platform());
        log_ = std::make_unique<SetupLog>(platform_->files, platform_->clock, logName);
        log_->InitLogFile();
    }

    sim::Simulation& sim() { return *sim_; }
    sim::World& world() { return sim_->world(); }
    ports::Platform& platform() { return *platform_; }
    SetupLog& log() { return *log_; }

    std::string logBytes() {
        const sim::FileRecord* file = sim_->world().files.findFile("C:\\Temp\\KVT-580duo_Installer.txt");
        return file == nullptr ? std::string() : file->bytes;
    }
    std::vector<std::string> logMessages() { return LogMessages(logBytes()); }

private:
    std::unique_ptr<sim::Simulation> sim_;
    std::unique_ptr<ports::Platform> platform_;
    std::unique_ptr<SetupLog> log_;
};

}  // namespace kvt::setup::testing
