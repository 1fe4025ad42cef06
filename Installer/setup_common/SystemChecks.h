#pragma once
// The two facts about the running system that both setup programs decide
// from, the OS code and the WOW64 flag, and the restart that ends a run.
#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"
#include "platform/ports/SystemInfo.h"

namespace kvt::setup {

// OS codes: callers compare them with thresholds, so the order matters.
namespace oscode {
inline constexpr int Windows95 = 2000;
inline constexpr int Windows98 = 2001;
inline constexpr int WindowsMe = 2002;
inline constexpr int WindowsNT4 = 2003;  // and earlier NT releases
inline constexpr int Windows2000 = 2004;
inline constexpr int WindowsXP = 2005;
inline constexpr int WindowsXP64 = 2006;  // also Server 2003
inline constexpr int WindowsVista = 2007;
inline constexpr int WindowsServer2008 = 2008;
inline constexpr int WindowsServer2008R2 = 2009;
inline constexpr int Windows7 = 2010;  // and everything not recognised
inline constexpr int Unrecognised = 2010;
// Below this the installer refuses to install.
inline constexpr int FirstSupported = Windows2000;
// From this on the Vista-and-later handling applies.
inline constexpr int FirstVistaOrLater = WindowsVista;
}  // namespace oscode

// The OS code of a version record (the build number plays no part).
int OsCodeFor(const ports::OsVersionInfo& version);

// Queries the version (once more if the first query fails), logs it and
// returns its OS code; an unanswered query gives 2010.
int CheckOS(ports::Platform& platform, SetupLog& log);

// Nonzero when the program runs on 64-bit Windows; a system without
// IsWow64Process, or a failed query, counts as 32-bit.
int IsWow64(ports::Platform& platform, SetupLog& log);

// Enables the shutdown privilege and asks Windows to restart. Nonzero when
// Windows accepted; 0 when the token, the privilege or the restart failed.
int RestartSystem(ports::Platform& platform);

}  // namespace kvt::setup
