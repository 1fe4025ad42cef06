#include "tools/win32/HostPageScript.h"

#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "tools/win32/HostPrinter.h"
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
// A message box the paper-size dialog shows.
HWND g_question = nullptr;

constexpr const wchar_t* kHostFormName = L"Wine Form";

BOOL CALLBACK FindQuestion(HWND window, LPARAM) {
    if (window == g_userPaperSizeDialog || ::GetWindow(window, GW_OWNER) != g_userPaperSizeDialog) return TRUE;
    g_question = window;
    return FALSE;
}

// "form NAME after save N: WIDTH x LENGTH" in thousandths of a millimetre, or
// what the spooler answered instead.
void ReportSavedForm(int attempt) {
    const std::string label = "form after save " + std::to_string(attempt);
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(const_cast<LPWSTR>(kHostPrinterName), &printer, nullptr)) {
        Report(label, "OpenPrinterW error " + std::to_string(::GetLastError()));
        return;
    }
    DWORD needed = 0, count = 0;
    ::EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    const bool listed = needed > 0 && ::EnumFormsW(printer, 1, buffer.data(), needed, &needed, &count);
    const DWORD error = ::GetLastError();
    ::ClosePrinter(printer);
    if (!listed) {
        Report(label, "EnumFormsW error " + std::to_string(error));
        return;
    }
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const std::wstring name = forms[i].pName != nullptr ? forms[i].pName : L"";
        if (name.rfind(kHostFormName, 0) != 0) continue;
        Report(label, "\"" + Utf8(name.c_str()) + "\" " + std::to_string(forms[i].Size.cx) + " x " +
                          std::to_string(forms[i].Size.cy));
        return;
    }
    Report(label, "not among the " + std::to_string(count) + " forms");
}

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    if (std::wstring(title) != L"User Defined Paper Size") return TRUE;
    g_userPaperSizeDialog = window;
    return FALSE;
}

// The question the dialog asks when the saved form exists: answered Yes, so
// that the form is changed through SetFormW. A thread timer, so that it fires
// inside the message box's own loop; without a question it does nothing.
void CALLBACK AnswerUpdateQuestion(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    g_question = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindQuestion, 0);
    if (g_question == nullptr) return;
    Report("paper-size dialog question", "answered Yes");
    ::SendMessageW(g_question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
}

// The user's Save with the given name and size (millimetres), then the form as
// the spooler holds it afterwards.
void SaveForm(HWND dialog, int attempt, const wchar_t* width) {
    ::SetDlgItemTextW(dialog, IDC_FORM_NAME, kHostFormName);
    ::SetDlgItemTextW(dialog, IDC_FORM_WIDTH, width);
    ::SetDlgItemTextW(dialog, IDC_FORM_LENGTH, L"100.0");
    ::SetTimer(nullptr, 0, 500, AnswerUpdateQuestion);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FORM_SAVE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_FORM_SAVE)));
    PumpFor(dialog, 700);
    ReportSavedForm(attempt);
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
    SaveForm(g_userPaperSizeDialog, 1, L"50.0");
    SaveForm(g_userPaperSizeDialog, 2, L"60.0");
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

void ReportDefaultDevMode(HANDLE printer) {
    DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !::GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        Report("printer default device mode", "GetPrinterW error " + std::to_string(::GetLastError()));
        return;
    }
    const DEVMODEW* devmode = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pDevMode;
    if (devmode == nullptr) {
        Report("printer default device mode", "none");
        return;
    }
    // A record without the copies and colour fields holds none of the page's choices.
    if ((devmode->dmFields & (DM_COPIES | DM_COLOR)) != (DM_COPIES | DM_COLOR)) {
        Report("printer default device mode", "none of the choices (fields " + std::to_string(devmode->dmFields) + ")");
        return;
    }
    Report("printer default device mode", "form \"" + Utf8(devmode->dmFormName) + "\" copies " +
                                              std::to_string(devmode->dmCopies) + " color " +
                                              std::to_string(devmode->dmColor));
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
