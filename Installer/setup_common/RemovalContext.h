#pragma once
// The one object every removal step is handed: the ports it works through,
// the log, the two facts about the system, the program's numbering of the
// product record, and the form of the engine the program carries. The steps
// read it and never change it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Installer/setup_common/RemovalForm.h"
#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/ports/DeviceSetup.h"
#include "platform/ports/Platform.h"
#include "platform/ports/SetupWindow.h"
#include "platform/ports/Spooler.h"

namespace kvt::setup {

// Capacity of the steps' name and path buffers, terminator included.
inline constexpr std::size_t kRemovalBufferCapacity = 256;

inline constexpr std::string_view kDriverEnvironmentX64 = "Windows x64";
inline constexpr std::string_view kDriverEnvironmentX86 = "Windows NT x86";

// An entry of the product record by its number in each program's table.
struct EntryNumber {
    int installer;
    int uninstaller;
};

namespace removal_entry {
inline constexpr EntryNumber ModelName{1, 1};
inline constexpr EntryNumber DriverName{2, 2};
inline constexpr EntryNumber LanguageMonitorName{3, 3};
inline constexpr EntryNumber PrintProcessorName{4, 4};
inline constexpr EntryNumber DriverDll{5, 5};
inline constexpr EntryNumber LanguageMonitorDll{6, 6};
inline constexpr EntryNumber PrintProcessorDll{7, 7};
inline constexpr EntryNumber UiPluginDll{8, 8};
inline constexpr EntryNumber SecondDriverDll{9, 9};
inline constexpr EntryNumber UsbHardwareId{12, 12};
inline constexpr EntryNumber FirstPackageDirectory{13, 13};
inline constexpr EntryNumber SecondPackageDirectory{14, 14};
inline constexpr EntryNumber UsbDeviceKey{15, 15};
inline constexpr EntryNumber ParallelDeviceKey{16, 16};
inline constexpr EntryNumber UninstallKey{20, 20};
inline constexpr EntryNumber MakerName{25, 21};
inline constexpr EntryNumber GpdFile{26, 22};
inline constexpr EntryNumber BudFile{27, 23};
inline constexpr EntryNumber PluginIniFile{28, 24};
inline constexpr EntryNumber ModelTag{29, 25};
}  // namespace removal_entry

struct RemovalContext {
    ports::Platform& platform;
    ports::Spooler& spooler;
    ports::DeviceSetup& devices;
    ports::SetupWindow& window;
    SetupLog& log;
    int wow64 = 0;                        // nonzero on 64-bit Windows
    int osCode = oscode::Unrecognised;    // from CheckOS
    const RemovalForm& form;
    // The exit code of a step that ends the run because the removal cannot
    // go on (the driver then stays installed).
    std::uint32_t failedExitCode = 0;

    // The entry in the program's own numbering, loaded into a 256-byte
    // buffer; empty when the program's table does not have it.
    std::string entry(EntryNumber number) const;

    // The environment of the system's printer drivers. The setup programs
    // are 32-bit, and a spooler call that names no environment means
    // "Windows NT x86" even on 64-bit Windows, where the driver, its files
    // and its print processor are all "Windows x64".
    std::string driverEnvironment() const;
};

// Status before a step's work, as its form or the quiet form gives it.
void ReportStatus(const RemovalContext& context, const StepStatus& status);
StepStatus StatusOf(const StepStatus& formStatus, Reporting reporting);
void Wait(const RemovalContext& context, const PauseEntry& pause);

// The lines that set off every step's block in the log.
void LogStepBegin(const RemovalContext& context, std::string_view stepName);
void LogStepEnd(const RemovalContext& context, std::string_view stepName);

// "The uninstallation has been completed.", the bar at 100 and a refresh.
void ShowRemovalCompleted(const RemovalContext& context);

}  // namespace kvt::setup
