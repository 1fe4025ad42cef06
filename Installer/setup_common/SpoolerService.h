#pragma once
// Stopping and starting the print spooler service. The command is started
// hidden and left to run: the callers' fixed waits give the service its time.
// A start that the system refuses to launch is tried again (SpoolerService.cpp).
#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"

namespace kvt::setup {

void NetStopSpooler(ports::Platform& platform);
void NetStartSpooler(ports::Platform& platform);

// After a stop and its wait: logs when the service has not stopped (net
// can still be waiting for it, or for an answer about a dependent service
// that a hidden console never gives). The modules the spooler holds cannot
// be deleted then. True when it is known to have stopped.
bool LogSpoolerStillRunning(ports::Platform& platform, SetupLog& log);

}  // namespace kvt::setup
