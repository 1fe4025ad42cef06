#pragma once
// The local printers, as the spooler lists them.
#include <windows.h>

#include <string>
#include <vector>

namespace kvt::winauto {

struct PrinterEntry {
    std::string name, driver, port;
};

// 0 and the list, or the spooler's error code.
DWORD LocalPrinters(std::vector<PrinterEntry>& printers);

}  // namespace kvt::winauto
