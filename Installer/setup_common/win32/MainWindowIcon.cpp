#include "Installer/setup_common/win32/MainWindowIcon.h"

namespace kvt::setup::shell {

WindowIcons SetMainWindowIcons(HINSTANCE instance, HWND window, int resourceId) {
    WindowIcons icons;
    icons.large = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                  LR_SHARED));
    icons.small = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                  LR_SHARED));
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.large));
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.small));
    return icons;
}

BOOL PaintMinimisedIcon(HWND window, HICON icon) {
    if (!::IsIconic(window)) return FALSE;
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    ::SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(window, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon);
    ::EndPaint(window, &paint);
    return TRUE;
}

}  // namespace kvt::setup::shell
