#include "tools/win32/HostPropertySheet.h"

#include "tools/win32/HostReport.h"

namespace kvt::host {
namespace {

constexpr DWORD kPageV3Size = sizeof(PROPSHEETPAGEW_V3);

std::string TemplateText(LPCWSTR resource) {
    if (IS_INTRESOURCE(resource)) return std::to_string(reinterpret_cast<ULONG_PTR>(resource));
    return Quoted(Utf8(resource));
}

// Lets the sheet and its pages handle what is queued.
void Pump(HWND sheet, DWORD milliseconds) {
    const DWORD until = ::GetTickCount() + milliseconds;
    MSG message;
    while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (sheet == nullptr || !PropSheet_IsDialogMessage(sheet, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        ::Sleep(10);
    }
}

std::string TabText(HWND tabs, int index) {
    wchar_t text[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text) - 1);
    if (!::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return {};
    return Utf8(text);
}

}  // namespace

oemui::PropSheetUiInfo HostPropertySheet::request(WORD reason, LPARAM lParamInit) {
    oemui::PropSheetUiInfo info{};
    info.cbSize = sizeof info;
    info.Version = 0x100;
    info.Reason = reason;
    info.hComPropSheet = reinterpret_cast<HANDLE>(this);
    info.pfnComPropSheet = &HostPropertySheet::ComPropSheet;
    info.lParamInit = lParamInit;
    return info;
}

LONG_PTR CALLBACK HostPropertySheet::ComPropSheet(HANDLE sheet, UINT function, LPARAM lParam1, LPARAM) {
    auto* self = reinterpret_cast<HostPropertySheet*>(sheet);
    if (self == nullptr || function != oemui::kAddPropSheetPageW || lParam1 == 0) return -1;
    return self->addPage(*reinterpret_cast<const PROPSHEETPAGEW*>(lParam1));
}

LONG_PTR HostPropertySheet::addPage(const PROPSHEETPAGEW& page) {
    const std::string number = std::to_string(pages_.size() + 1);
    Report("page record " + number,
           "template " + TemplateText(page.pszTemplate) + " title " + Quoted(Utf8(page.pszTitle)) +
               (page.dwSize == kPageV3Size ? " size v3" : " size " + std::to_string(page.dwSize)) +
               (page.dwFlags == PSP_USETITLE ? " flags PSP_USETITLE" : " flags " + Hex(page.dwFlags)) +
               (page.lParam != 0 ? " with page state" : " without page state"));
    HPROPSHEETPAGE created = ::CreatePropertySheetPageW(&page);
    if (created == nullptr) return -1;
    pages_.push_back(created);
    return static_cast<LONG_PTR>(pages_.size());
}

void HostPropertySheet::show(const wchar_t* caption, bool automatic, Script script) {
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_NOAPPLYNOW;
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(pages_.size());
    header.phpage = pages_.data();
    if (automatic) {
        showAutomatically(header, script);
    } else {
        ::PropertySheetW(&header);
    }
    // The sheet destroyed every page it was given.
    pages_.clear();
}

void HostPropertySheet::showAutomatically(PROPSHEETHEADERW& header, Script script) {
    header.dwFlags |= PSH_MODELESS;
    const std::string title = Utf8(header.pszCaption);
    HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    if (sheet == nullptr) {
        Report("sheet " + Quoted(title), "not shown");
        return;
    }
    ::ShowWindow(sheet, SW_SHOW);
    HWND tabs = PropSheet_GetTabControl(sheet);
    const int count = static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    Report("sheet " + Quoted(title) + " tabs", std::to_string(count));
    for (int index = 0; index < count; ++index) {
        PropSheet_SetCurSel(sheet, nullptr, index);
        Pump(sheet, 200);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        const LONG_PTR bound = page ? ::GetWindowLongPtrW(page, DWLP_USER) : 0;
        Report("sheet " + Quoted(title) + " tab " + std::to_string(index + 1),
               Quoted(TabText(tabs, index)) + (page ? " shown" : " not shown") +
                   (bound != 0 ? ", page state bound" : ", no page state"));
    }
    if (script != nullptr) script(sheet);
    ::DestroyWindow(sheet);
    Pump(nullptr, 50);
}

}  // namespace kvt::host
