#pragma once
// What the spooler learns from the bytes of a module file: whether
// LoadLibrary takes it into the spooler's process and which names
// GetProcAddress finds in it, or, for the files of a printer driver, whether
// they are programs of the environment's machine. Only the bytes count,
// never the file's name or a flag in the image.
//
// Documented rules: LoadLibrary fails with ERROR_BAD_EXE_FORMAT (193) for a
// file that is not a PE DLL or whose machine is not the process's (a 32-bit
// DLL in 64-bit spoolsv.exe), and GetProcAddress with ERROR_PROC_NOT_FOUND
// (127). AddPrinterDriver refuses a driver or configuration file that is not
// an image (193) or is built for another machine than the driver's
// environment (ERROR_EXE_MACHINE_TYPE_MISMATCH, 216).
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace kvt::sim {

// 0 when a process of `machine` loads the bytes as a DLL; 193 otherwise.
std::uint32_t LoadDll(std::string_view bytes, std::uint16_t machine);
// Whether the image exports every one of `names` (GetProcAddress is
// case-sensitive). False for bytes that are no image.
bool ExportsAll(std::string_view bytes, std::initializer_list<std::string_view> names);
bool ExportsAny(std::string_view bytes, std::initializer_list<std::string_view> names);
// 0 for an image of `machine`; 193 for bytes that are not an image; 216 for
// an image of another machine.
std::uint32_t CheckProgramMachine(std::string_view bytes, std::uint16_t machine);

}  // namespace kvt::sim
