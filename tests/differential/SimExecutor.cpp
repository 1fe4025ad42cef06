#include "tests/differential/SimExecutor.h"

#include <stdexcept>

#include "platform/sim/FreshImage.h"
#include "platform/sim/InfDirIds.h"
#include "platform/sim/InfFile.h"
#include "platform/sim/Simulation.h"
#include "tests/differential/ScriptRunner.h"

namespace kvt::diff {
namespace {

using nlohmann::json;

class SimHooks final : public SideHooks {
public:
    explicit SimHooks(sim::Simulation& sim) : sim_(sim) {}

    std::uint32_t holdFile(const std::string& path) override {
        sim::FileRecord* file = sim_.world().files.findFile(path);
        if (file == nullptr) return err::FileNotFound;
        file->inUse = true;
        held_.push_back(file->path);
        return 0;
    }
    void releaseFiles() override {
        for (const std::string& path : held_)
            if (sim::FileRecord* file = sim_.world().files.findFile(path)) file->inUse = false;
        held_.clear();
    }
    json dumpInf(const std::string& path) override {
        std::string bytes;
        if (std::uint32_t rc = sim_.files().readFile(path, bytes)) return {{"rc", rc}};
        const sim::InfFile inf = sim::InfFile::Parse(bytes);
        if (inf.badSectionLine() != 0) return {{"rc", err::BadSectionNameLine}};
        json sections = json::array();
        for (const sim::InfSection& section : inf.sections()) {
            json lines = json::array();
            for (const sim::InfLine& line : section.lines) {
                json fields = json::array();
                for (const std::string& field : line.values) fields.push_back(sim::SubstituteDirIds(field, sim_.world()));
                lines.push_back({{"key", line.hasKey ? json(sim::SubstituteDirIds(line.key, sim_.world())) : json(nullptr)},
                                 {"fields", std::move(fields)}});
            }
            sections.push_back({{"name", section.name}, {"lines", std::move(lines)}});
        }
        return {{"rc", 0}, {"sections", std::move(sections)}};
    }

private:
    sim::Simulation& sim_;
    std::vector<std::string> held_;
};

}  // namespace

json RunOnSimulation(const json& scripts) {
    std::optional<sim::World> fresh = sim::FreshImage("win10-x64");
    if (!fresh) throw std::logic_error("no fresh Windows 10 image");
    // The Windows side's system writes its folder in lower case; paths that
    // the system puts together from it then read alike on both sides.
    fresh->windowsDirectory = "C:\\windows";
    json results = json::array();
    for (const json& script : scripts) {
        sim::Simulation sim(*fresh, sim::Bitness::x64);
        SimHooks hooks(sim);
        ScriptRunner runner({sim.registry(), sim.files(), sim.spooler(), sim.deviceSetup(), sim.system(), hooks});
        results.push_back(runner.run(script));
    }
    return results;
}

}  // namespace kvt::diff
