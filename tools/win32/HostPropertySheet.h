#pragma once
// The host's side of page registration: the pfnComPropSheet callback that
// turns each PROPSHEETPAGEW the plug-in adds into a page, and a real
// property sheet that shows them.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"

namespace kvt::host {

class HostPropertySheet {
public:
    // A PROPSHEETUI_INFO of version 0x100 for `reason` whose callback adds to
    // this sheet.
    oemui::PropSheetUiInfo request(WORD reason, LPARAM lParamInit);

    std::size_t pageCount() const { return pages_.size(); }

    // Shows the pages in a tabbed sheet. `automatic`: every page is created,
    // its tab and binding reported, and the sheet closes by itself;
    // otherwise it stays until the user closes it.
    // `script`, when given, acts on the automatic sheet after every page has
    // been created and before the sheet closes.
    using Script = void (*)(HWND sheet);
    void show(const wchar_t* caption, bool automatic, Script script = nullptr);

private:
    static LONG_PTR CALLBACK ComPropSheet(HANDLE sheet, UINT function, LPARAM lParam1, LPARAM lParam2);
    LONG_PTR addPage(const PROPSHEETPAGEW& page);
    void showAutomatically(PROPSHEETHEADERW& header, Script script);

    std::vector<HPROPSHEETPAGE> pages_;
};

}  // namespace kvt::host
