#pragma once
// Every wait of the two setup programs, in one table. A reading pause lets a
// person read the step text the window has just shown; a settling pause
// gives the spooler or a started process time to come up, unload or finish.
// A quiet run shows no window: its reading pauses are left out, its settling
// pauses stay, since the system needs them whether anybody looks or not.
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/ports/Clock.h"
#include "platform/ports/SetupWindow.h"

namespace kvt::setup {

enum class PauseKind { Reading, Settling };

struct PauseEntry {
    std::string_view name;
    std::uint32_t ms;
    PauseKind kind;
};

namespace pause {
// Installer.
inline constexpr PauseEntry SpoolerStartGrace{"spooler start before the worker", 2000, PauseKind::Settling};
inline constexpr PauseEntry InstallStep{"install step text", 500, PauseKind::Reading};
inline constexpr PauseEntry InstallClosing{"completed text before the installer ends", 2000, PauseKind::Reading};
inline constexpr PauseEntry CheckingDrivers{"checking-drivers text", 500, PauseKind::Reading};
// The longest the Vista-and-later sequence waits for printui.
inline constexpr PauseEntry PrintUiWait{"printui to finish (at most)", 120000, PauseKind::Settling};
// Both programs.
inline constexpr PauseEntry SpoolerRelaunch{"spooler relaunch between start attempts", 500, PauseKind::Settling};
// The removal engine.
inline constexpr PauseEntry RemovalPhase{"before a removal phase and after its completion text", 1000,
                                        PauseKind::Reading};
inline constexpr PauseEntry ListedStep{"uninstaller's removal step text", 100, PauseKind::Reading};
inline constexpr PauseEntry DeviceStep{"device and directory step text", 500, PauseKind::Reading};
inline constexpr PauseEntry AfterSpoolerStop{"spooler stopped", 2000, PauseKind::Settling};
inline constexpr PauseEntry AfterSpoolerStart{"spooler started", 2000, PauseKind::Settling};
inline constexpr PauseEntry BeforeFileDeletion{"spooler's DLLs unloaded before file deletion", 1500,
                                              PauseKind::Settling};
inline constexpr PauseEntry AfterJobsCancelled{"cancelled jobs leaving the queue", 1000, PauseKind::Settling};
// Uninstaller.
inline constexpr PauseEntry UninstallClosing{"completed text before the uninstaller ends", 2000,
                                            PauseKind::Reading};
inline constexpr PauseEntry BeforeRestart{"completed text before the restart", 1000, PauseKind::Reading};
}  // namespace pause

inline constexpr std::array<PauseEntry, 15> kPauseTable = {
    pause::SpoolerStartGrace, pause::InstallStep,       pause::InstallClosing,     pause::CheckingDrivers,
    pause::PrintUiWait,       pause::SpoolerRelaunch,   pause::RemovalPhase,       pause::ListedStep,
    pause::DeviceStep,        pause::AfterSpoolerStop,  pause::AfterSpoolerStart,  pause::BeforeFileDeletion,
    pause::AfterJobsCancelled, pause::UninstallClosing, pause::BeforeRestart,
};

// Sleeps `entry.ms`, unless it is a reading pause and nobody watches `window`.
void Pause(ports::Clock& clock, const ports::SetupWindow& window, const PauseEntry& entry);
// The wait after a step's status text: a reading pause of that length.
void ReadingPause(ports::Clock& clock, const ports::SetupWindow& window, std::uint32_t ms);

}  // namespace kvt::setup
