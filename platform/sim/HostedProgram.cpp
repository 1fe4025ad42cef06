#include "platform/sim/HostedProgram.h"

#include <memory>
#include <optional>
#include <utility>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/OtherProcess.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {

void AddHostedProgram(Simulation& sim, HostedProgram program) {
    auto shared = std::make_shared<const HostedProgram>(std::move(program));
    sim.processes().addHandler(
        [shared](Simulation& on, const ports::ProcessStart& start) -> std::optional<ProcessOutcome> {
            if (!EqualsNoCase(winpath::NameOf(start.application), shared->fileName)) return std::nullopt;
            if (shared->bitness == Bitness::x64 && !on.world().os.is64Bit)
                return ProcessOutcome{0, 0, kBadExeFormat};
            RunsAsProcess process(on, shared->bitness);
            ports::Platform platform = on.platform();
            return ProcessOutcome{shared->main(platform, start.commandLine), shared->runMs, 0};
        });
}

}  // namespace kvt::sim
