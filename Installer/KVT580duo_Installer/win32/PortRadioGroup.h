#pragma once
// The radio group of the "Port Type" dialog: a button's index is its place
// in the group (0 COM1 ... 5 LPT2, 6 USB), not its control id.
#include <array>

#include "Installer/KVT580duo_Installer/win32/resource.h"

namespace kvt::installer::shell {

inline constexpr std::array<int, 7> kPortRadioIds = {IDC_PORT_COM1, IDC_PORT_COM2, IDC_PORT_COM3, IDC_PORT_COM4,
                                                     IDC_PORT_LPT1, IDC_PORT_LPT2, IDC_PORT_USB};

// -1 for a control outside the group.
constexpr int PortIndexOfControl(int controlId) {
    for (std::size_t index = 0; index < kPortRadioIds.size(); ++index) {
        if (kPortRadioIds[index] == controlId) return static_cast<int>(index);
    }
    return -1;
}

// 0 for an index outside the group: no button to mark.
constexpr int PortControlOfIndex(int index) {
    return index >= 0 && index < static_cast<int>(kPortRadioIds.size()) ? kPortRadioIds[static_cast<std::size_t>(index)]
                                                                        : 0;
}

}  // namespace kvt::installer::shell
