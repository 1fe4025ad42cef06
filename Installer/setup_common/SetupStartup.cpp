#include "Installer/setup_common/SetupStartup.h"

namespace kvt::setup {

SystemFacts StartSetupProgram(ports::Platform& platform, SetupLog& log) {
    log.InitLogFile();
    SystemFacts facts;
    facts.wow64 = IsWow64(platform, log);
    facts.osCode = CheckOS(platform, log);
    return facts;
}

}  // namespace kvt::setup
