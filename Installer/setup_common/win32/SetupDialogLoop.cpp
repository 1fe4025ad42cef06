#include "Installer/setup_common/win32/SetupDialogLoop.h"

namespace kvt::setup::shell {

int RunSetupDialogLoop(HWND dialog, MessageFilter filter, void* context) {
    MSG message{};
    for (;;) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 0;
        if (filter != nullptr && filter(message, context)) continue;
        if (::IsWindow(dialog) && ::IsDialogMessageA(dialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace kvt::setup::shell
