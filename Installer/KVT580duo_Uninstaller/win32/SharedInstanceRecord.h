#pragma once
// The record that every running copy of the uninstaller shares (the image's
// "DataSeg" section is marked shared): how often the program was started
// while a copy ran, and the titles a second copy looks for.
#include <windows.h>

namespace kvt::uninstaller::shell {

struct SharedInstanceRecord {
    LONG count;              // changed only by InterlockedIncrement
    char programTitle[24];   // message box caption; second window searched
    char windowTitle[32];    // main window; first window searched
};

SharedInstanceRecord& SharedInstance();

}  // namespace kvt::uninstaller::shell
