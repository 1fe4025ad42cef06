#pragma once
// Stopping and starting the print spooler service. The command is started
// hidden and left to run: the callers' fixed waits give the service its time.
// A start that the system refuses to launch is tried again (SpoolerService.cpp).
#include "platform/ports/Platform.h"

namespace kvt::setup {

void NetStopSpooler(ports::Platform& platform);
void NetStartSpooler(ports::Platform& platform);

}  // namespace kvt::setup
