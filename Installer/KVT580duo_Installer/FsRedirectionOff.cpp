#include "Installer/KVT580duo_Installer/FsRedirectionOff.h"

#include "platform/ports/WinCodes.h"

namespace kvt::installer {

FsRedirectionOff::FsRedirectionOff(ports::FileSystem& files, setup::SetupLog& log) : files_(files) {
    off_ = files.hasWow64FsRedirectionSwitch() ? files.disableWow64FsRedirection(saved_) : err::ProcNotFound;
    if (off_ != err::Success && off_ != err::InvalidFunction)
        log.WriteLog("Wow64DisableWow64FsRedirection failed. (%d)", off_);
}

FsRedirectionOff::~FsRedirectionOff() {
    if (off_ == err::Success) files_.revertWow64FsRedirection(saved_);
}

}  // namespace kvt::installer
