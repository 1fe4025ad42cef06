#include "driversrc/kvt-580duo/DrvPackage/win32/PluginSpoolerInstance.h"

namespace kvt::oemui {

win32::Win32PluginSpooler& PluginSpooler() {
    static win32::Win32PluginSpooler spooler;
    return spooler;
}

}  // namespace kvt::oemui
