#include "Installer/setup_common/win32/SetupMessageFilter.h"

#include "Installer/setup_common/win32/MessageFilterDecision.h"

namespace kvt::setup::shell {

static_assert(msg::KeyDown == WM_KEYDOWN && msg::KeyUp == WM_KEYUP && msg::Char == WM_CHAR);
static_assert(msg::LButtonDown == WM_LBUTTONDOWN && msg::LButtonDblClk == WM_LBUTTONDBLCLK);
static_assert(msg::EscapeKey == VK_ESCAPE && msg::SpaceKey == VK_SPACE);

namespace {

void ShowCursorOf(Cursor cursor) {
    ::SetCursor(::LoadCursor(nullptr, cursor == Cursor::Wait ? IDC_WAIT : IDC_ARROW));
}

}  // namespace

bool PreTranslateSetupMessage(HWND mainWindow, const MSG& message, int busy, int removing) {
    return ApplySetupMessageDecision(mainWindow, DecideSetupMessage(busy, removing, message.message, message.wParam));
}

bool ApplySetupMessageDecision(HWND mainWindow, const FilterDecision& decision) {
    ShowCursorOf(decision.cursor);
    if (decision.removeCloseCommand && mainWindow != nullptr) {
        // Deleting an item that is already gone fails harmlessly.
        const HMENU systemMenu = ::GetSystemMenu(mainWindow, FALSE);
        if (systemMenu != nullptr) ::DeleteMenu(systemMenu, SC_CLOSE, MF_BYCOMMAND);
    }
    return decision.swallow;
}

void SetSetupCursor(int busy, int removing) {
    ShowCursorOf(DecideSetupMessage(busy, removing, 0, 0).cursor);
}

}  // namespace kvt::setup::shell
