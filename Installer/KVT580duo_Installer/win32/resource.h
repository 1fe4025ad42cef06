#pragma once
// Resource ids of the installer. Plain numbers only: the resource compiler
// and the native tests read this file too.

#define IDR_MAINFRAME 128

// "Installation Progress", the main window.
#define IDD_KVT580DUO_INSTALLER_DIALOG 102
#define IDC_PROGRESS 1000
#define IDC_DRIVER_VERSION 1001
#define IDC_MESSAGES 1003

// "Port Type". The radio buttons' ids do not follow their order in the
// group; the order is what gives each its index.
#define IDD_PORT_TYPE 129
#define IDC_PORT_COM1 1006
#define IDC_PORT_COM2 1008
#define IDC_PORT_COM3 1009
#define IDC_PORT_COM4 1011
#define IDC_PORT_LPT1 1007
#define IDC_PORT_LPT2 1010
#define IDC_PORT_USB 1001
