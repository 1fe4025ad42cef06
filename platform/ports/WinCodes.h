#pragma once
// Windows numbers that cross the port boundary: error codes, access masks,
// registry and file constants. The names differ from the <windows.h> macros on
// purpose, so that a Win32 adapter can include both.
#include <cstdint>

namespace kvt::err {
inline constexpr std::uint32_t Success = 0;
inline constexpr std::uint32_t InvalidFunction = 1;
inline constexpr std::uint32_t FileNotFound = 2;
inline constexpr std::uint32_t PathNotFound = 3;
inline constexpr std::uint32_t AccessDenied = 5;
inline constexpr std::uint32_t InvalidHandle = 6;
inline constexpr std::uint32_t NotEnoughMemory = 8;
inline constexpr std::uint32_t SharingViolation = 32;
inline constexpr std::uint32_t NotSupported = 50;
inline constexpr std::uint32_t BadNetPath = 53;
inline constexpr std::uint32_t FileExists = 80;
inline constexpr std::uint32_t InvalidParameter = 87;
inline constexpr std::uint32_t InsufficientBuffer = 122;
inline constexpr std::uint32_t InvalidName = 123;
inline constexpr std::uint32_t ModNotFound = 126;
inline constexpr std::uint32_t ProcNotFound = 127;
inline constexpr std::uint32_t DirNotEmpty = 145;
inline constexpr std::uint32_t FilenameExcedRange = 206;
inline constexpr std::uint32_t AlreadyExists = 183;
inline constexpr std::uint32_t BadExeFormat = 193;
inline constexpr std::uint32_t ExeMachineTypeMismatch = 216;
inline constexpr std::uint32_t MoreData = 234;
inline constexpr std::uint32_t MessageNotFound = 317;  // ERROR_MR_MID_NOT_FOUND
inline constexpr std::uint32_t NoMoreItems = 259;
inline constexpr std::uint32_t InvalidFlags = 1004;
inline constexpr std::uint32_t NotAllAssigned = 1300;
inline constexpr std::uint32_t NoSuchPrivilege = 1313;
inline constexpr std::uint32_t RpcServerUnavailable = 1722;
inline constexpr std::uint32_t CantAccessFile = 1920;
inline constexpr std::uint32_t UnknownPort = 1796;
inline constexpr std::uint32_t UnknownPrinterDriver = 1797;
inline constexpr std::uint32_t UnknownPrintProcessor = 1798;
inline constexpr std::uint32_t InvalidPrinterName = 1801;
inline constexpr std::uint32_t PrinterAlreadyExists = 1802;
inline constexpr std::uint32_t InvalidDatatype = 1804;
inline constexpr std::uint32_t InvalidEnvironment = 1805;
inline constexpr std::uint32_t InvalidFormName = 1902;
inline constexpr std::uint32_t InvalidFormSize = 1903;
inline constexpr std::uint32_t UnknownPrintMonitor = 3000;
inline constexpr std::uint32_t PrinterDriverInUse = 3001;
inline constexpr std::uint32_t PrintProcessorAlreadyInstalled = 3005;
inline constexpr std::uint32_t PrintMonitorAlreadyInstalled = 3006;
inline constexpr std::uint32_t PrintMonitorInUse = 3008;
inline constexpr std::uint32_t PrinterDeleted = 1905;  // ERROR_PRINTER_DELETED
// SetupAPI's codes for a driver package whose signature the system refuses.
inline constexpr std::uint32_t NoCatalogForOemInf = 0xE000022F;
inline constexpr std::uint32_t AuthenticodePublisherNotTrusted = 0xE0000243;
inline constexpr std::uint32_t FileHashNotInCatalog = 0xE000024B;
inline constexpr std::uint32_t MuiFileNotFound = 15100;
}  // namespace kvt::err

namespace kvt::reg {
// Registry access rights and view selectors (RegOpenKeyEx samDesired).
inline constexpr std::uint32_t QueryValue = 0x0001;
inline constexpr std::uint32_t SetValue = 0x0002;
inline constexpr std::uint32_t CreateSubKey = 0x0004;
inline constexpr std::uint32_t EnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t Delete = 0x00010000;
inline constexpr std::uint32_t ReadControl = 0x00020000;
inline constexpr std::uint32_t WriteDac = 0x00040000;
inline constexpr std::uint32_t Wow64_64Key = 0x0100;
inline constexpr std::uint32_t Wow64_32Key = 0x0200;
inline constexpr std::uint32_t Read = 0x20019;
inline constexpr std::uint32_t Write = 0x20006;
inline constexpr std::uint32_t AllAccess = 0xF003F;
// Rights of the permission option codes "Wr" and "Fc"/"Rd" (KEY_WRITE | KEY_NOTIFY style masks).
inline constexpr std::uint32_t WriteRights = 0x20026;

// Value types.
inline constexpr std::uint32_t TypeNone = 0;
inline constexpr std::uint32_t TypeSz = 1;
inline constexpr std::uint32_t TypeExpandSz = 2;
inline constexpr std::uint32_t TypeBinary = 3;
inline constexpr std::uint32_t TypeDword = 4;
inline constexpr std::uint32_t TypeMultiSz = 7;
}  // namespace kvt::reg

namespace kvt::fileattr {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t ReparsePoint = 0x400;
inline constexpr std::uint32_t Invalid = 0xFFFFFFFF;
}  // namespace kvt::fileattr

namespace kvt::acl {
// Generic and standard rights used in access entries.
inline constexpr std::uint32_t GenericAll = 0x10000000;
inline constexpr std::uint32_t GenericExecute = 0x20000000;
inline constexpr std::uint32_t GenericWrite = 0x40000000;
inline constexpr std::uint32_t GenericRead = 0x80000000;
inline constexpr std::uint32_t MaximumAllowed = 0x02000000;
inline constexpr std::uint32_t ReadControl = 0x00020000;
// Inheritance flags.
inline constexpr std::uint32_t NoInheritance = 0;
inline constexpr std::uint32_t ObjectInherit = 1;
inline constexpr std::uint32_t ContainerInherit = 2;
}  // namespace kvt::acl
