#include "platform/win32/Win32ProcessExit.h"

#include <windows.h>

namespace kvt::win32 {

void Win32ProcessExit::exitProcess(std::uint32_t code) { ::ExitProcess(code); }

}  // namespace kvt::win32
