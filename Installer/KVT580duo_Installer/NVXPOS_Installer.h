#pragma once
// The installer's application start-up: one copy per system. Every start
// counts itself in a record that all running copies share; a copy that is
// not the only one brings the running copy's window forward and ends at once
// (exit code 0) without a window of its own. The Win32 shell supplies the
// shared record and the window search; the simulation plays a running copy
// from its image.
#include <array>
#include <string_view>

namespace kvt::installer {

// Captions a second copy looks for, in the order it looks: the port dialog,
// the main window, then a message box of the running copy (captioned with
// the program title).
inline constexpr std::string_view kPortDialogTitle = "Port Type";
inline constexpr std::string_view kProgressWindowTitle = "Installation Progress";
inline constexpr std::string_view kProgramTitle = "KVT580duo_Installer";
inline constexpr std::array<std::string_view, 3> kRunningCopyTitles = {kPortDialogTitle, kProgressWindowTitle,
                                                                      kProgramTitle};

// What the start-up needs of the system to tell whether it runs alone.
class InstanceRecord {
public:
    virtual ~InstanceRecord() = default;
    // Counts this start in the shared record and returns the count after it.
    virtual long countThisStart() = 0;
    // Brings forward the first window found with one of `titles` (tried in
    // order), restored if minimised; nothing when none exists.
    virtual void bringForward(const std::array<std::string_view, 3>& titles) = 0;
};

class NVXPOS_Installer {
public:
    explicit NVXPOS_Installer(InstanceRecord& record) : record_(record) {}

    // True when this copy is the only one and shows its main window; false
    // when another copy runs (its window has been brought forward) and this
    // one must end with exit code 0.
    bool InitInstance();

private:
    InstanceRecord& record_;
};

}  // namespace kvt::installer
