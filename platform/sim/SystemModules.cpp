#include "platform/sim/SystemModules.h"

#include <array>
#include <vector>

#include "platform/pe/MinimalDll.h"
#include "platform/sim/CaseInsensitive.h"

namespace kvt::sim {
namespace {

struct ModuleExports {
    std::string_view name;
    std::vector<std::string> exports;
};

const std::array<ModuleExports, 4>& KnownModules() {
    static const std::array<ModuleExports, 4> modules{{
        {"localspl.dll", {"InitializePrintMonitor2", "InitializePrintProvidor"}},
        {"winprint.dll",
         {"EnumPrintProcessorDatatypesW", "OpenPrintProcessor", "PrintDocumentOnPrintProcessor",
          "ClosePrintProcessor", "ControlPrintProcessor", "GetPrintProcessorCapabilities"}},
        {"UNIDRV.DLL", {"DrvEnableDriver", "DrvDisableDriver", "DrvQueryDriverInfo"}},
        {"UNIDRVUI.DLL",
         {"DrvDocumentPropertySheets", "DrvDevicePropertySheets", "DrvDeviceCapabilities", "DrvConvertDevMode",
          "DrvPrinterEvent", "DevQueryPrintEx"}},
    }};
    return modules;
}

}  // namespace

const std::vector<std::string>& SystemDllExports(std::string_view name) {
    static const std::vector<std::string> none;
    for (const ModuleExports& module : KnownModules())
        if (EqualsNoCase(module.name, name)) return module.exports;
    return none;
}

std::string SystemDll(std::string_view name, std::uint16_t machine) {
    return pe::WriteMinimalDll({machine, std::string(name), SystemDllExports(name), std::string(kSystemFileNote)});
}

}  // namespace kvt::sim
