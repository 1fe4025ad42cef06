#include "Installer/KVT580duo_Installer/Port_Dlg.h"

#include <string>

#include "Installer/KVT580duo_Installer/ConfigurationFile.h"

namespace kvt::installer {
namespace {

constexpr std::array<std::string_view, kPortCount - 1> kPortNames = {"COM1:", "COM2:", "COM3:",
                                                                     "COM4:", "LPT1:", "LPT2:"};

// Index of a serial or parallel port code; nothing for USB and anything else.
std::optional<std::size_t> WiredIndex(int portCode) {
    if (portCode < portcode::Com1 || portCode >= portcode::Usb) return std::nullopt;
    return static_cast<std::size_t>(portCode - portcode::Com1);
}

}  // namespace

int PortIndexOfValue(const std::optional<std::string_view>& value) {
    if (!value) return 0;
    for (std::size_t index = 0; index < kPortTexts.size(); ++index)
        if (value->find(kPortTexts[index]) != std::string_view::npos) return static_cast<int>(index);
    return 0;
}

std::optional<std::string_view> PortTextOfCode(int portCode) {
    if (auto index = WiredIndex(portCode)) return kPortTexts[*index];
    return std::nullopt;
}

std::optional<std::string_view> PortNameOfCode(int portCode) {
    if (auto index = WiredIndex(portCode)) return kPortNames[*index];
    return std::nullopt;
}

Port_Dlg::Port_Dlg(ports::Platform& platform, setup::SetupLog& log, ports::PortDialog& dialog,
                   std::optional<int> commandLinePort)
    : platform_(platform), log_(log), dialog_(dialog), commandLinePort_(commandLinePort) {}

int Port_Dlg::ConfiguredPortIndex() {
    const std::optional<std::string> value =
        GetDriverInfoFromFile(platform_, log_, kConfigurationSection, kPortKey, kPortValueCapacity);
    if (!value) return 0;
    return PortIndexOfValue(std::string_view(*value));
}

int Port_Dlg::StartSelection() { return commandLinePort_ ? *commandLinePort_ : ConfiguredPortIndex(); }

ports::PortDialogResult Port_Dlg::DoModal() { return dialog_.showModal(StartSelection()); }

int Port_Dlg::HiddenSelection() { return dialog_.hiddenSelection(StartSelection()); }

}  // namespace kvt::installer
