#pragma once
// The "Port Type" dialog as the installer's flow owns it: the selection it
// starts with, taken from the configuration file's "PORT" key, and the
// tables that turn the selection into the port code, the port text handed to
// the system's printer installation and the port name of a printer. The
// window itself is behind the PortDialog port (Win32 shell or simulation).
#include <array>
#include <optional>
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"
#include "platform/ports/PortDialog.h"

namespace kvt::installer {

// Port codes: 1000 + the radio button's index in the group.
namespace portcode {
inline constexpr int Com1 = 1000;
inline constexpr int Com2 = 1001;
inline constexpr int Com3 = 1002;
inline constexpr int Com4 = 1003;
inline constexpr int Lpt1 = 1004;
inline constexpr int Lpt2 = 1005;
inline constexpr int Usb = 1006;
}  // namespace portcode

inline constexpr int kPortCount = 7;
inline constexpr int kUsbIndex = 6;

// The buttons' texts in group order; the configuration test looks for them
// in this order, so "LPT1 COM2" selects COM2.
inline constexpr std::array<std::string_view, kPortCount> kPortTexts = {"COM1", "COM2", "COM3", "COM4",
                                                                        "LPT1", "LPT2", "USB"};

// Capacity of the buffer the "PORT" value is read into.
inline constexpr std::size_t kPortValueCapacity = 256;

// The index of the first button text contained in `value` (case-sensitive);
// 0 (COM1) when there is no value or no text matches.
int PortIndexOfValue(const std::optional<std::string_view>& value);

// 1000 + index.
constexpr int PortCodeOfIndex(int index) { return portcode::Com1 + index; }

// "COM1" ... "LPT2" for the serial and parallel codes; nothing for USB and
// for codes outside the table.
std::optional<std::string_view> PortTextOfCode(int portCode);
// The printer's port name: the port text with ":" ("COM2:"); nothing for USB.
std::optional<std::string_view> PortNameOfCode(int portCode);

class Port_Dlg {
public:
    // `commandLinePort` (the command line's "/port=") wins over "PORT".
    Port_Dlg(ports::Platform& platform, setup::SetupLog& log, ports::PortDialog& dialog,
             std::optional<int> commandLinePort = std::nullopt);

    // Shows the dialog on the configured port and waits for "Next" or the
    // close box.
    ports::PortDialogResult DoModal();
    // The hidden use: the configured port as a selection, never shown.
    int HiddenSelection();

    // The initialisation's reading of "PORT" (each call reads the file anew,
    // as each dialog window does when it opens).
    int ConfiguredPortIndex();
    // The command line's port, else the configured one.
    int StartSelection();

private:
    ports::Platform& platform_;
    setup::SetupLog& log_;
    ports::PortDialog& dialog_;
    std::optional<int> commandLinePort_;
};

}  // namespace kvt::installer
