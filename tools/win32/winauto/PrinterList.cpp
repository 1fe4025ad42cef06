#include "tools/win32/winauto/PrinterList.h"

#include <winspool.h>

namespace kvt::winauto {

namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

}  // namespace

DWORD LocalPrinters(std::vector<PrinterEntry>& printers) {
    printers.clear();
    DWORD needed = 0;
    DWORD count = 0;
    std::vector<BYTE> buffer;
    // The list can grow between the size query and the enumeration.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.empty() ? nullptr : buffer.data(),
                            static_cast<DWORD>(buffer.size()), &needed, &count)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                printers.push_back({Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
            }
            return ERROR_SUCCESS;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) return error;
        buffer.assign(needed, 0);
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

}  // namespace kvt::winauto
