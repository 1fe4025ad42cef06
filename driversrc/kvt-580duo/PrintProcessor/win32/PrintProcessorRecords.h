#pragma once
// The records that the spooler and a print processor pass each other, laid
// out as the print processor interface documents them (PRINTPROCESSOROPENDATA
// and PRINTPROCESSOR_CAPS_1); the headers of the cross compilers do not
// declare them.
#include <windows.h>

namespace kvt::processor {

struct PrintProcessorOpenData {
    DEVMODEW* pDevMode;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    LPWSTR pDocumentName;
    DWORD JobId;
    LPWSTR pOutputFile;
    LPWSTR pPrinterName;
};

struct PrintProcessorCaps1 {
    DWORD dwLevel;
    DWORD dwNupOptions;
    DWORD dwPageOrderFlags;
    DWORD dwNumberOfCopies;
};

}  // namespace kvt::processor
