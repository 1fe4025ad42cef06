#pragma once
// The device-setup port over setupapi. Device information lists and INF
// handles given to the core are owned here until it gives them back.
#include <windows.h>
// setupapi.h needs the types of windows.h first.
#include <setupapi.h>

#include "platform/ports/DeviceSetup.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

struct DevInfoListTraits {
    static HDEVINFO invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HDEVINFO list) { return list != INVALID_HANDLE_VALUE && list != nullptr; }
    static void close(HDEVINFO list) { ::SetupDiDestroyDeviceInfoList(list); }
};

struct InfHandleTraits {
    static HINF invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HINF inf) { return inf != INVALID_HANDLE_VALUE && inf != nullptr; }
    static void close(HINF inf) { ::SetupCloseInfFile(inf); }
};

using UniqueDevInfoList = UniqueOwner<HDEVINFO, DevInfoListTraits>;
using UniqueInf = UniqueOwner<HINF, InfHandleTraits>;

class Win32DeviceSetup final : public ports::DeviceSetup {
public:
    std::uint32_t getClassDevs(std::string_view enumerator, std::uint32_t flags, ports::DevInfoList& list) override;
    std::uint32_t enumDeviceInfo(ports::DevInfoList list, std::uint32_t index, ports::DeviceInfo& device) override;
    std::uint32_t getDeviceRegistryProperty(ports::DevInfoList list, const ports::DeviceInfo& device,
                                            std::uint32_t property, std::uint32_t bufferSize,
                                            std::vector<std::uint8_t>& data, std::uint32_t& requiredSize) override;
    std::uint32_t removeDevice(ports::DevInfoList list, const ports::DeviceInfo& device) override;
    std::uint32_t destroyDeviceInfoList(ports::DevInfoList list) override;

    std::uint32_t getInfFileList(std::string_view directory, std::uint32_t style,
                                 std::vector<std::string>& names) override;
    std::uint32_t openInfFile(std::string_view name, std::uint32_t style, ports::InfHandle& inf) override;
    std::uint32_t findFirstLine(ports::InfHandle inf, std::string_view section, std::string_view key) override;
    void closeInfFile(ports::InfHandle inf) override;
    std::uint32_t copyOEMInf(std::string_view sourcePath, std::uint32_t mediaType, std::uint32_t copyStyle,
                             std::string& destinationName) override;
    bool hasUninstallOEMInf() override;
    std::uint32_t uninstallOEMInf(std::string_view infFileName, std::uint32_t flags) override;

    std::size_t openListCount() { return lists_.size(); }
    std::size_t openInfCount() { return infs_.size(); }

private:
    HandleTable<UniqueDevInfoList> lists_;
    HandleTable<UniqueInf> infs_;
};

}  // namespace kvt::win32
