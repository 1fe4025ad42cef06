#include "driversrc/kvt-580duo/DrvPackage/win32/PageRegistration.h"

#include <commctrl.h>
#include <prsht.h>

#include <new>

#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/PageProcedures.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/PluginSpoolerInstance.h"
#include "platform/ports/WinCodes.h"

namespace kvt::oemui {
namespace {

plugin::PageState* g_pageState = nullptr;

// The texts of the plug-in are string literals: terminated and alive for
// the life of the library, as the host's page records need them.
LPCWSTR Wide(std::u16string_view literal) { return reinterpret_cast<LPCWSTR>(literal.data()); }

// The state holds one sheet's printer at a time: the handle borrowed for the
// sheet before goes from the spooler's table as the state lets go of it, so
// the table does not grow with every sheet the host opens.
void BindSheetPrinter(plugin::PageState& state, LPARAM lParamInit) {
    PluginSpooler().release(state.printer);
    const auto* param = reinterpret_cast<const OemUiPsParam*>(lParamInit);
    if (param == nullptr) {
        plugin::BindPrinter(state, u"", {});
        return;
    }
    const std::u16string_view name =
        param->pPrinterName ? std::u16string_view(reinterpret_cast<const char16_t*>(param->pPrinterName))
                            : std::u16string_view();
    plugin::BindPrinter(state, name, PluginSpooler().borrow(param->hPrinter));
}

}  // namespace

plugin::PageState* ProcessPageState() {
    if (g_pageState != nullptr) return g_pageState;
    // Movable and locked for good: the pages reach it by the pointer in
    // their lParam, which must never move.
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(plugin::PageState));
    if (block == nullptr) return nullptr;
    void* memory = ::GlobalLock(block);
    if (memory == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    g_pageState = new (memory) plugin::PageState{};
    return g_pageState;
}

std::intptr_t PageRegistrar::registerPages() {
    plugin::PageState* state = ProcessPageState();
    if (state == nullptr || info_->pfnComPropSheet == nullptr) {
        ::SetLastError(state == nullptr ? err::NotEnoughMemory : err::InvalidParameter);
        return plugin::kSheetFailure;
    }
    BindSheetPrinter(*state, info_->lParamInit);
    std::intptr_t result = plugin::kSheetFailure;
    for (const plugin::PageDescription& description : pages_) {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(PROPSHEETPAGEW_V3);
        page.dwFlags = PSP_USETITLE;
        page.hInstance = ModuleHandle();
        page.pszTemplate = MAKEINTRESOURCEW(description.dialogId);
        page.pszTitle = Wide(description.title);
        page.pfnDlgProc = PageProcedure(description.dialogId);
        page.lParam = reinterpret_cast<LPARAM>(state);
        result = info_->pfnComPropSheet(info_->hComPropSheet, kAddPropSheetPageW, reinterpret_cast<LPARAM>(&page), 0);
    }
    return result;
}

bool PageRegistrar::setHeaderTitle(std::u16string_view title) {
    auto* header = reinterpret_cast<PropSheetUiInfoHeader*>(lParam_);
    if (header == nullptr) return false;
    // The host only reads the title.
    header->pTitle = const_cast<LPWSTR>(Wide(title));
    return true;
}

std::optional<std::intptr_t> PageRegistrar::resultToSet() {
    const auto* result = reinterpret_cast<const SetResultInfo*>(lParam_);
    if (result == nullptr) return std::nullopt;
    return static_cast<std::intptr_t>(result->Result);
}

}  // namespace kvt::oemui
