#pragma once
// A printer of the product's driver in the spooler the host runs on, made
// for PrinterEvent and the pages: a driver from stand-in files (and the
// plug-in itself among its dependent files), the product's print processor
// where the spooler accepts it, and a printer whose attributes differ from
// the ones the plug-in sets. Everything is removed again when it goes.
#include <windows.h>

#include <string>

#include "platform/win32/Win32Spooler.h"

namespace kvt::host {

inline constexpr const wchar_t* kHostPrinterName = L"KVT-580duo Plug-in Host";
inline constexpr DWORD kHostPrinterAttributes = 0x240;  // local, complete jobs first

class HostPrinter {
public:
    HostPrinter() = default;
    ~HostPrinter();
    HostPrinter(const HostPrinter&) = delete;
    HostPrinter& operator=(const HostPrinter&) = delete;

    // Reports every step; false when no printer could be added.
    bool create(const std::wstring& pluginPath);
    HANDLE handle() const { return printer_.get(); }
    // Attributes, print processor and the four version values, each on a
    // line that starts with `prefix`.
    void reportSettings(const std::string& prefix) const;

private:
    std::wstring staging_;
    std::wstring processorFile_;
    bool driverAdded_ = false;
    bool processorAdded_ = false;
    win32::UniquePrinter printer_;
};

}  // namespace kvt::host
