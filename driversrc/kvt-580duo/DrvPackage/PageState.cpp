#include "driversrc/kvt-580duo/DrvPackage/PageState.h"

#include <algorithm>

namespace kvt::plugin {

void BindPrinter(PageState& state, std::u16string_view printerName, ports::PrinterHandle printer) {
    const std::size_t kept = std::min(printerName.size(), kPrinterNameChars - 1);
    std::copy_n(printerName.begin(), kept, state.printerName.begin());
    state.printerName[kept] = u'\0';
    state.printer = printer;
}

std::u16string_view PrinterName(const PageState& state) {
    const auto end = std::find(state.printerName.begin(), state.printerName.end(), u'\0');
    return {state.printerName.data(), static_cast<std::size_t>(end - state.printerName.begin())};
}

}  // namespace kvt::plugin
