#pragma once
// The start-up's view of the other running copies, over the shared record
// in the image and the system's window list.
#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/KVT580duo_Installer/win32/SharedInstanceRecord.h"

namespace kvt::installer::shell {

class Win32InstanceRecord final : public InstanceRecord {
public:
    explicit Win32InstanceRecord(SharedInstanceRecord& shared) : shared_(shared) {}

    long countThisStart() override;
    void bringForward(const std::array<std::string_view, 3>& titles) override;

private:
    SharedInstanceRecord& shared_;
};

}  // namespace kvt::installer::shell
