#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace kvt::win32 {

void Win32Clock::sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

ports::LocalTime Win32Clock::localTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    ports::LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    time.milliseconds = now.wMilliseconds;
    return time;
}

}  // namespace kvt::win32
