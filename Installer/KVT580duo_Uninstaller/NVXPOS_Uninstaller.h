#pragma once
// The uninstaller's application start-up: one copy per system. Every start
// counts itself in a record that all running copies share; a copy that is
// not the only one brings the running copy's window forward and ends at once
// without showing anything (its log is not touched). The Win32 shell supplies
// the shared record and the window search; the simulation plays a running
// copy from its image.
#include <array>
#include <span>
#include <string_view>

namespace kvt::uninstaller {

inline constexpr std::string_view kMainWindowTitle = "NORVEX KVT-580duo Uninstaller";
// The program file's base name: the second title looked for, and the caption
// of every message box.
inline constexpr std::string_view kProgramTitle = "KVT580duo_Uninstaller";
// The order a second copy looks for the running one's windows in.
inline constexpr std::array<std::string_view, 2> kRunningCopyTitles = {kMainWindowTitle, kProgramTitle};

class InstanceRecord {
public:
    virtual ~InstanceRecord() = default;
    // Counts this start in the shared record and returns the count after it.
    virtual long countThisStart() = 0;
    // Restores (if minimised) and brings forward the first top-level window
    // found with one of `titles`, tried in order; nothing when none exists.
    virtual void bringForward(std::span<const std::string_view> titles) = 0;
};

class NVXPOS_Uninstaller {
public:
    explicit NVXPOS_Uninstaller(InstanceRecord& record) : record_(record) {}

    // True when this copy runs alone and shows its main window; false when
    // another copy runs (brought forward) and this one must end.
    bool InitInstance();

private:
    InstanceRecord& record_;
};

}  // namespace kvt::uninstaller
