#pragma once
// The spooler adapter the plug-in's calls go through, one per loaded library.
#include "platform/win32/Win32PluginSpooler.h"

namespace kvt::oemui {

win32::Win32PluginSpooler& PluginSpooler();

}  // namespace kvt::oemui
