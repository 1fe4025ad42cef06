#include <cstdint>
#include <string>

#include "platform/sim/Simulation.h"

namespace kvt::sim {

// The English (United States) message table entries that FormatMessage
// returns for the codes the programs can meet, with the system's "\r\n".
std::string SystemErrorText(std::uint32_t code) {
    switch (code) {
        case 0: return "The operation completed successfully.\r\n";
        case 1: return "Incorrect function.\r\n";
        case 2: return "The system cannot find the file specified.\r\n";
        case 3: return "The system cannot find the path specified.\r\n";
        case 5: return "Access is denied.\r\n";
        case 6: return "The handle is invalid.\r\n";
        case 8: return "Not enough memory resources are available to process this command.\r\n";
        case 32: return "The process cannot access the file because it is being used by another process.\r\n";
        case 53: return "The network path was not found.\r\n";
        case 80: return "The file exists.\r\n";
        case 87: return "The parameter is incorrect.\r\n";
        case 120: return "This function is not supported on this system.\r\n";
        case 122: return "The data area passed to a system call is too small.\r\n";
        case 123: return "The filename, directory name, or volume label syntax is incorrect.\r\n";
        case 126: return "The specified module could not be found.\r\n";
        case 127: return "The specified procedure could not be found.\r\n";
        case 145: return "The directory is not empty.\r\n";
        case 183: return "Cannot create a file when that file already exists.\r\n";
        case 193: return "%1 is not a valid Win32 application.\r\n";
        case 216:
            return "This version of %1 is not compatible with the version of Windows you're running. Check your "
                   "computer's system information and then contact the software publisher.\r\n";
        case 234: return "More data is available.\r\n";
        case 259: return "No more data is available.\r\n";
        case 267: return "The directory name is invalid.\r\n";
        case 1300: return "Not all privileges or groups referenced are assigned to the caller.\r\n";
        case 1313: return "A specified privilege does not exist.\r\n";
        case 1314: return "A required privilege is not held by the client.\r\n";
        case 1722: return "The RPC server is unavailable.\r\n";
        case 1796: return "The specified port is unknown.\r\n";
        case 1797: return "The printer driver is unknown.\r\n";
        case 1798: return "The print processor is unknown.\r\n";
        case 1801: return "The printer name is invalid.\r\n";
        case 1802: return "The printer already exists.\r\n";
        case 1804: return "The specified datatype is invalid.\r\n";
        case 1805: return "The environment specified is invalid.\r\n";
        case 3000: return "The specified print monitor is unknown.\r\n";
        case 3001: return "The specified printer driver is currently in use.\r\n";
        case 3005: return "The specified print processor has already been installed.\r\n";
        case 3006: return "The specified print monitor has already been installed.\r\n";
        case 0xE000022F: return "The third-party INF does not contain digital signature information.\r\n";
        case 0xE0000243:
            return "The publisher of an Authenticode(tm) signed catalog was not established as trusted.\r\n";
        case 0xE000024B:
            return "The hash for the file is not present in the specified catalog file. The file is likely "
                   "corrupt or the victim of tampering.\r\n";
        default: return {};
    }
}

}  // namespace kvt::sim
