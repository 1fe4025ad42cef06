#pragma once
// The calls the substitute host makes on a plug-in object, each reported
// with its result, last error and outputs.
#include <windows.h>

#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"

namespace kvt::host {

void CheckGetInfo(oemui::IPrintOemUI& plugin);
void CheckDevMode(oemui::IPrintOemUI& plugin);
void CheckQueryColorProfile(oemui::IPrintOemUI& plugin);
void CheckCommonUIProp(oemui::IPrintOemUI& plugin);
void CheckUnimplemented(oemui::IPrintOemUI& plugin);
// The reasons other than PROPSHEETUI_REASON_INIT, and a refused record.
void CheckSheetReasons(oemui::IPrintOemUI& plugin);

}  // namespace kvt::host
