#pragma once
// One simulated computer running one form of the removal engine, and readers
// for what the run left: log lines, waits, spooler commands, step texts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Installer/setup_common/RemovalContext.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/Simulation.h"
#include "tests/setup_common/SetupTestSupport.h"
#include "tools/kvtsim/DeviceRemovalHost.h"

namespace kvt::setup::testing {

// Names parameterised tests after their rows' `name`.
struct RowName {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

class RemovalTest : public ::testing::Test {
protected:
    void start(sim::World world, const RemovalForm& form) {
        context_.reset();
        sim_ = std::make_unique<sim::Simulation>(std::move(world), sim::Bitness::x86);
        kvtsim::HostDeviceRemovalProgram(*sim_);
        platform_ = std::make_unique<ports::Platform>(sim_->platform());
        logName_ = LogFileName(form.program);
        log_ = std::make_unique<SetupLog>(platform_->files, platform_->clock, logName_);
        log_->InitLogFile();
        window_ = std::make_unique<sim::SimSetupWindow>(*sim_, "KVT580duo_Installer");
        const sim::OsImage& os = sim_->world().os;
        const int osCode =
            OsCodeFor({os.platform, os.major, os.minor, os.build, static_cast<std::uint8_t>(os.productType)});
        context_ = std::make_unique<RemovalContext>(RemovalContext{*platform_, sim_->spooler(), sim_->deviceSetup(),
                                                                   *window_, *log_, os.is64Bit ? 1 : 0, osCode, form});
    }

    sim::Simulation& sim() { return *sim_; }
    sim::World& world() { return sim_->world(); }
    sim::SimSetupWindow& window() { return *window_; }
    const RemovalContext& context() { return *context_; }

    // The log's messages without time stamps and without the empty lines
    // that set off each step.
    std::vector<std::string> logLines() {
        const sim::FileRecord* file = world().files.findFile("C:\\Temp\\" + std::string(logName_));
        std::vector<std::string> lines;
        if (file == nullptr) return lines;
        for (std::string& message : LogMessages(file->bytes))
            if (!message.empty()) lines.push_back(std::move(message));
        return lines;
    }

    // Transcript events of one kind, reduced to one field.
    template <typename T>
    std::vector<T> events(const char* kind, const char* field) {
        std::vector<T> out;
        for (const auto& event : sim_->transcript().events())
            if (event["event"] == kind) out.push_back(event[field].get<T>());
        return out;
    }
    std::vector<std::uint32_t> sleeps() { return events<std::uint32_t>("sleep", "ms"); }
    std::vector<std::string> commands() { return events<std::string>("process", "commandLine"); }
    std::vector<std::string> stepTexts() { return events<std::string>("stepText", "text"); }

    bool hasFile(std::string_view path) { return world().files.findFile(path) != nullptr; }
    bool hasDirectory(std::string_view path) { return world().files.findDirectory(path) != nullptr; }
    bool hasKey(std::string_view path) { return world().registry.find(path) != nullptr; }

private:
    std::unique_ptr<sim::Simulation> sim_;
    std::unique_ptr<ports::Platform> platform_;
    std::unique_ptr<SetupLog> log_;
    std::unique_ptr<sim::SimSetupWindow> window_;
    std::unique_ptr<RemovalContext> context_;
    std::string_view logName_;
};

}  // namespace kvt::setup::testing
