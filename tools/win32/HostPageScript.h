#pragma once
// What the host does on the plug-in's pages in --auto mode, as a user would:
// types into the Document Settings page, ticks a drawer, presses an arrow and
// applies the sheet; then the printer data the page wrote, read back from the
// spooler. Between the steps the sheet can be photographed: the host
// announces a "pause" line and waits for the file "resume-NAME" in its
// current directory (a few seconds at most) before it goes on.
#include <windows.h>

#include <string>

namespace kvt::host {

// Waits until the file resume-`name` appears or the wait runs out; the
// sheet's messages are handled meanwhile.
void PauseForPicture(HWND sheet, const std::string& name);

// The steps on the document sheet; the Document Settings page is its second
// tab.
void EditDocumentSettings(HWND sheet);

// Opens the paper-size dialog from the Paper page, pauses for a picture,
// saves a form twice through the dialog (added, then changed after the
// dialog's question, each reported as the spooler then holds it) and closes
// the dialog again.
void ShowUserPaperSizeDialog(HWND sheet);

// "printer default device mode: form "F" copies N color N", or what the
// spooler answered instead.
void ReportDefaultDevMode(HANDLE printer);

// "printer data NAME: N bytes XX XX ..." or the read's error.
void ReportPrinterData(HANDLE printer, const wchar_t* name);

}  // namespace kvt::host
