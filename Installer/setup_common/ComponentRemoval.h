#pragma once
// The driver's companions in the spooler: the paper forms its plug-in
// created, its language monitor and its print processor, each with its DLL.
#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// Deletes every form whose name carries the model tag (case-sensitive);
// built-in forms and other makers' forms never carry it.
void DeleteForms(const RemovalContext& context);

// Deletes the language monitor (its Monitors key when the spooler refuses)
// and its DLL from every system directory a 32-bit program can name: on
// 64-bit Windows that includes the real system directory, reached through
// "Sysnative", where the spooler loaded it from, or, where that name is
// missing (XP x64 without its update), with the WOW64 redirection turned off
// for that one deletion.
void DeleteLanguageMonitor(const RemovalContext& context);

// Deletes the print processor of the system's driver environment (its
// registry key when the spooler refuses) and its DLL from that
// environment's print-processor directory.
void DeleteProcessor(const RemovalContext& context);

}  // namespace kvt::setup
