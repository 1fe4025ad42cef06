#pragma once
// Resource ids of the uninstaller. Plain numbers only: the resource compiler
// reads this file too.

#define IDR_MAINFRAME 128

// "NORVEX KVT-580duo Uninstaller", the main window.
#define IDD_KVT580DUO_UNINSTALLER_DIALOG 102
#define IDC_STEP_TEXT 1000
#define IDC_UNINSTALL 1001
#define IDC_PROGRESS 1002
#define IDC_PRINTER_LIST 1006
