#pragma once
// The calling thread's WOW64 file-system redirection turned off for the
// lifetime of the object, so that the system directory's own name reaches
// the real directory where WOW64 has no Sysnative alias. A failure is logged
// and the action then goes ahead with the redirection as it was; a 64-bit
// build is no WOW64 process (ERROR_INVALID_FUNCTION), and its system
// directory is the real one already.
#include <cstdint>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/FileSystem.h"

namespace kvt::installer {

class FsRedirectionOff {
public:
    FsRedirectionOff(ports::FileSystem& files, setup::SetupLog& log);
    ~FsRedirectionOff();
    FsRedirectionOff(const FsRedirectionOff&) = delete;
    FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;

private:
    ports::FileSystem& files_;
    ports::FsRedirectionValue saved_;
    std::uint32_t off_;
};

}  // namespace kvt::installer
