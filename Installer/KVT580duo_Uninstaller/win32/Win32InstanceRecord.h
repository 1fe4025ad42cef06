#pragma once
// The start-up's view of the other running copies, over the shared record
// in the image and the system's window list.
#include "Installer/KVT580duo_Uninstaller/NVXPOS_Uninstaller.h"
#include "Installer/KVT580duo_Uninstaller/win32/SharedInstanceRecord.h"

namespace kvt::uninstaller::shell {

class Win32InstanceRecord final : public InstanceRecord {
public:
    explicit Win32InstanceRecord(SharedInstanceRecord& shared) : shared_(shared) {}

    long countThisStart() override;
    void bringForward(std::span<const std::string_view> titles) override;

private:
    SharedInstanceRecord& shared_;
};

}  // namespace kvt::uninstaller::shell
