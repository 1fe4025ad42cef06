#include "tools/win32/HostPageScript.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "tools/win32/HostReport.h"

namespace kvt::host {
namespace {

constexpr DWORD kPauseLimitMs = 15000;

void PumpOnce(HWND sheet) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (sheet == nullptr || !PropSheet_IsDialogMessage(sheet, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void PumpFor(HWND sheet, DWORD milliseconds) {
    const DWORD until = ::GetTickCount() + milliseconds;
    while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
        PumpOnce(sheet);
        ::Sleep(10);
    }
}

HWND ShowTab(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    PumpFor(sheet, 200);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

std::string ByteText(const std::vector<BYTE>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (BYTE byte : bytes) {
        text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

// The handle of the modal paper-size dialog once the page has opened it.
HWND g_userPaperSizeDialog = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    if (std::wstring(title) != L"User Defined Paper Size") return TRUE;
    g_userPaperSizeDialog = window;
    return FALSE;
}

// Runs inside the dialog's own message loop: the page's button blocks in
// DialogBoxParamW until the dialog ends.
void CALLBACK PictureAndCloseDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    g_userPaperSizeDialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, 0);
    Report("paper-size dialog", g_userPaperSizeDialog != nullptr ? "shown" : "not shown");
    if (g_userPaperSizeDialog == nullptr) return;
    PauseForPicture(g_userPaperSizeDialog, "user-paper-size");
    ::SendMessageW(g_userPaperSizeDialog, WM_COMMAND, MAKEWPARAM(IDC_FORM_CLOSE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(g_userPaperSizeDialog, IDC_FORM_CLOSE)));
}

}  // namespace

void PauseForPicture(HWND sheet, const std::string& name) {
    Report("pause", name);
    const std::string marker = "resume-" + name;
    const DWORD until = ::GetTickCount() + kPauseLimitMs;
    PumpFor(sheet, 300);
    while (static_cast<LONG>(until - ::GetTickCount()) > 0 &&
           ::GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES) {
        PumpFor(sheet, 50);
    }
}

void EditDocumentSettings(HWND sheet) {
    HWND page = ShowTab(sheet, 1);
    if (page == nullptr) {
        Report("Document Settings", "not shown");
        return;
    }
    // Typing changes the text and leaves the field, as the user's tab would.
    ::SetDlgItemTextW(page, IDC_START_DOC, L"<1B>@<0A>");
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_START_DOC, EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_START_DOC)));
    ::SendDlgItemMessageW(page, IDC_DRAWER_A, BM_CLICK, 0, 0);
    ::SendMessageW(page, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_DRAWER_A_ARROWS)));
    PumpFor(sheet, 100);
    wchar_t pulse[16] = {};
    ::GetDlgItemTextW(page, IDC_DRAWER_A_PULSE, pulse, static_cast<int>(std::size(pulse)));
    Report("Document Settings drawer #1",
           std::string(::IsDlgButtonChecked(page, IDC_DRAWER_A) == BST_CHECKED ? "ticked" : "not ticked") +
               ", pulse " + Utf8(pulse) + " ms, pulse edit " +
               (::IsWindowEnabled(::GetDlgItem(page, IDC_DRAWER_A_PULSE)) ? "enabled" : "disabled"));
    PauseForPicture(sheet, "document-settings");
    Report("sheet apply", PropSheet_Apply(sheet) ? "accepted" : "refused");
    PumpFor(sheet, 100);
}

void ShowUserPaperSizeDialog(HWND sheet) {
    HWND page = ShowTab(sheet, 0);
    if (page == nullptr) {
        Report("Paper", "not shown");
        return;
    }
    PauseForPicture(sheet, "paper");
    ::SetTimer(nullptr, 0, 300, PictureAndCloseDialog);
    ::SendDlgItemMessageW(page, IDC_PAPER_SIZE_FORMS, BM_CLICK, 0, 0);
    Report("paper-size dialog", "closed");
}

void ReportPrinterData(HANDLE printer, const wchar_t* name) {
    std::vector<BYTE> data(4096);
    DWORD type = 0, needed = 0;
    const DWORD error = ::GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, data.data(),
                                          static_cast<DWORD>(data.size()), &needed);
    const std::string label = "printer data " + Utf8(name);
    if (error != ERROR_SUCCESS) {
        Report(label, "error " + std::to_string(error));
        return;
    }
    data.resize(needed);
    Report(label, std::to_string(needed) + " bytes" + ByteText(data));
}

}  // namespace kvt::host
