#pragma once
// Device installation services as the setup programs use them (setupapi,
// ANSI calls): device information lists of Plug and Play nodes with their
// hardware ids, and the system's INF store. Methods return 0 or the Windows
// error code the call leaves as last error (and set it, as setupapi does).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::err {
// setupapi reports its own failures with codes of the "application" range.
inline constexpr std::uint32_t BadSectionNameLine = 0xE0000001;  // ERROR_BAD_SECTION_NAME_LINE
inline constexpr std::uint32_t WrongInfStyle = 0xE0000100;    // ERROR_WRONG_INF_STYLE
inline constexpr std::uint32_t SectionNotFound = 0xE0000101;  // ERROR_SECTION_NOT_FOUND
inline constexpr std::uint32_t LineNotFound = 0xE0000102;     // ERROR_LINE_NOT_FOUND
inline constexpr std::uint32_t InvalidRegProperty = 0xE0000209;  // ERROR_INVALID_REG_PROPERTY
inline constexpr std::uint32_t NoSuchDevinst = 0xE000020B;       // ERROR_NO_SUCH_DEVINST
inline constexpr std::uint32_t InWow64 = 0xE0000235;             // ERROR_IN_WOW64
// Enumerations of device lists end with err::NoMoreItems (259).
}  // namespace kvt::err

namespace kvt::ports {

namespace devsetup {
// SetupDiGetClassDevsA flags.
inline constexpr std::uint32_t DigcfPresent = 0x2;
inline constexpr std::uint32_t DigcfAllClasses = 0x4;
// Device registry properties.
inline constexpr std::uint32_t SpdrpHardwareId = 1;
// INF styles, a mask when opening or listing.
inline constexpr std::uint32_t InfStyleOldNt = 1;
inline constexpr std::uint32_t InfStyleWin4 = 2;
// SetupCopyOEMInfA media types and copy styles.
inline constexpr std::uint32_t SpostNone = 0;
inline constexpr std::uint32_t SpostPath = 1;
inline constexpr std::uint32_t SpCopyReplaceOnly = 0x2;
inline constexpr std::uint32_t SpCopyNoOverwrite = 0x8;
// SetupUninstallOEMInfA flags.
inline constexpr std::uint32_t SuoiForceDelete = 1;
}  // namespace devsetup

// An HDEVINFO handed out by the port.
struct DevInfoList {
    std::uint64_t value = 0;
    friend bool operator==(DevInfoList, DevInfoList) = default;
};

// SP_DEVINFO_DATA: one element of a device information list, as
// SetupDiEnumDeviceInfo fills it. Passed back unchanged to name the device.
struct DeviceInfo {
    std::array<std::uint8_t, 16> classGuid{};
    std::uint32_t devInst = 0;
    std::uint64_t reserved = 0;  // the list's own reference to the element
    friend bool operator==(const DeviceInfo&, const DeviceInfo&) = default;
};

// An HINF handed out by the port.
struct InfHandle {
    std::uint64_t value = 0;
    friend bool operator==(InfHandle, InfHandle) = default;
};

class DeviceSetup {
public:
    virtual ~DeviceSetup() = default;

    // SetupDiGetClassDevsA without a class GUID and without a window: the
    // devices whose enumerator is `enumerator` (empty: every enumerator).
    // Without DIGCF_ALLCLASSES a missing class is an invalid parameter (87).
    virtual std::uint32_t getClassDevs(std::string_view enumerator, std::uint32_t flags, DevInfoList& list) = 0;
    // SetupDiEnumDeviceInfo: err::NoMoreItems after the last device.
    virtual std::uint32_t enumDeviceInfo(DevInfoList list, std::uint32_t index, DeviceInfo& device) = 0;
    // SetupDiGetDeviceRegistryPropertyA into a buffer of `bufferSize` bytes.
    // On success `data` holds the property and `requiredSize` its size; a
    // property that does not fit fails with 122, `requiredSize` set and
    // `data` left alone. The hardware ids come as REG_MULTI_SZ: each id
    // zero-terminated, one more zero at the end.
    virtual std::uint32_t getDeviceRegistryProperty(DevInfoList list, const DeviceInfo& device,
                                                    std::uint32_t property, std::uint32_t bufferSize,
                                                    std::vector<std::uint8_t>& data,
                                                    std::uint32_t& requiredSize) = 0;
    // SetupDiRemoveDevice: the node leaves the system (its element stays in
    // the list, so the walk over the indexes goes on unchanged). A 32-bit
    // caller on 64-bit Windows is refused with err::InWow64.
    virtual std::uint32_t removeDevice(DevInfoList list, const DeviceInfo& device) = 0;
    virtual std::uint32_t destroyDeviceInfoList(DevInfoList list) = 0;

    // SetupGetInfFileListA: the names (without directory) of the INF files in
    // `directory` (empty: the system's INF directory) whose style is in the
    // `style` mask.
    virtual std::uint32_t getInfFileList(std::string_view directory, std::uint32_t style,
                                         std::vector<std::string>& names) = 0;
    // SetupOpenInfFileA without a class. A bare name is looked up in the
    // system's INF directory; anything else is a path.
    virtual std::uint32_t openInfFile(std::string_view name, std::uint32_t style, InfHandle& inf) = 0;
    // SetupFindFirstLineA: 0 when `section` has a line whose key is `key`
    // (without regard to case); an empty key asks for the section's first
    // line. err::LineNotFound otherwise, also for a missing section.
    virtual std::uint32_t findFirstLine(InfHandle inf, std::string_view section, std::string_view key) = 0;
    // SetupCloseInfFile.
    virtual void closeInfFile(InfHandle inf) = 0;

    // SetupCopyOEMInfA without a media location. `destinationName` receives
    // the full path of the copy in the store; also when SP_COPY_NOOVERWRITE
    // meets the same INF already there (80), then the existing copy's path.
    virtual std::uint32_t copyOEMInf(std::string_view sourcePath, std::uint32_t mediaType, std::uint32_t copyStyle,
                                     std::string& destinationName) = 0;
    // SetupUninstallOEMInfA is looked up in "setupapi" at run time.
    virtual bool hasUninstallOEMInf() = 0;
    // `infFileName` is a name in the system's INF directory, without path.
    virtual std::uint32_t uninstallOEMInf(std::string_view infFileName, std::uint32_t flags) = 0;
};

}  // namespace kvt::ports
