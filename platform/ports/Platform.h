#pragma once
// The set of ports a setup program works through.
#include "platform/ports/Clock.h"
#include "platform/ports/DeviceSetup.h"
#include "platform/ports/FileSystem.h"
#include "platform/ports/Processes.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Spooler.h"
#include "platform/ports/SystemInfo.h"

namespace kvt::ports {

struct Platform {
    Registry& registry;
    FileSystem& files;
    SystemInfo& system;
    Clock& clock;
    Processes& processes;
    ProcessExit& exit;
    Spooler& spooler;
    DeviceSetup& devices;
};

}  // namespace kvt::ports
