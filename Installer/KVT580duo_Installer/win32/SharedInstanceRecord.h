#pragma once
// The record that every running copy of the installer shares (the image's
// "DataSeg" section is marked shared): how often the program was started
// while a copy ran, and the titles a second copy looks for.
#include <windows.h>

namespace kvt::installer::shell {

struct SharedInstanceRecord {
    LONG count;              // changed only by InterlockedIncrement
    char programTitle[24];   // message box caption; third window searched
    char progressTitle[24];  // main window; second window searched
    char portTitle[10];      // port dialog; first window searched
};

SharedInstanceRecord& SharedInstance();

}  // namespace kvt::installer::shell
