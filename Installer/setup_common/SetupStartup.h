#pragma once
// What both setup programs do first while their main window opens: start the
// log, then determine the WOW64 flag and the OS code, in this order.
#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/ports/Platform.h"

namespace kvt::setup {

struct SystemFacts {
    int wow64 = 0;                       // nonzero on 64-bit Windows
    int osCode = oscode::Unrecognised;   // from CheckOS
};

SystemFacts StartSetupProgram(ports::Platform& platform, SetupLog& log);

}  // namespace kvt::setup
