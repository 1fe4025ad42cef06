#include "platform/win32/Win32DeviceSetup.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/ports/WinCodes.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

using SetupUninstallOEMInfAFn = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);

SetupUninstallOEMInfAFn FindSetupUninstallOEMInf() {
    return LookupProc<SetupUninstallOEMInfAFn>("setupapi", "SetupUninstallOEMInfA");
}

// Where the list starts; Wine refuses the size query without a buffer (87),
// so the list is asked for into a buffer that grows when it does not fit.
constexpr DWORD kInitialInfListSize = 16 * 1024;
constexpr int kInfListAttempts = 8;

// SetupCopyOEMInfA wants the source as a full path (Wine refuses a relative
// one with 2); a relative path means the current directory, as everywhere.
std::string FullPathOf(std::string_view path) {
    const std::string terminated(path);
    char full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(terminated.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : terminated;
}

SP_DEVINFO_DATA ToNative(const ports::DeviceInfo& device) {
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof data;
    static_assert(sizeof data.ClassGuid == sizeof device.classGuid);
    std::memcpy(&data.ClassGuid, device.classGuid.data(), device.classGuid.size());
    data.DevInst = device.devInst;
    data.Reserved = static_cast<ULONG_PTR>(device.reserved);
    return data;
}

ports::DeviceInfo FromNative(const SP_DEVINFO_DATA& data) {
    ports::DeviceInfo device;
    std::memcpy(device.classGuid.data(), &data.ClassGuid, device.classGuid.size());
    device.devInst = data.DevInst;
    device.reserved = data.Reserved;
    return device;
}

// "a.inf\0b.inf\0\0" in the first `size` characters. A name whose zero
// does not come before that bound is not part of the list.
std::vector<std::string> SplitNameList(const char* list, std::size_t size) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t length = ::strnlen(list + at, size - at);
        if (length == 0 || at + length >= size) break;
        names.emplace_back(list + at, length);
        at += length + 1;
    }
    return names;
}

}  // namespace

// --- Device information lists ---------------------------------------------------

std::uint32_t Win32DeviceSetup::getClassDevs(std::string_view enumerator, std::uint32_t flags,
                                             ports::DevInfoList& list) {
    const std::string name = Terminated(enumerator);
    UniqueDevInfoList created(
        ::SetupDiGetClassDevsA(nullptr, name.empty() ? nullptr : name.c_str(), nullptr, flags));
    if (!created) return FailureCode();
    list.value = lists_.add(std::move(created));
    return err::Success;
}

std::uint32_t Win32DeviceSetup::enumDeviceInfo(ports::DevInfoList list, std::uint32_t index,
                                               ports::DeviceInfo& device) {
    HDEVINFO set = lists_.find(list.value);
    if (set == INVALID_HANDLE_VALUE) return Fail(err::InvalidHandle);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof data;
    if (!::SetupDiEnumDeviceInfo(set, index, &data)) return FailureCode();
    device = FromNative(data);
    return err::Success;
}

std::uint32_t Win32DeviceSetup::getDeviceRegistryProperty(ports::DevInfoList list, const ports::DeviceInfo& device,
                                                          std::uint32_t property, std::uint32_t bufferSize,
                                                          std::vector<std::uint8_t>& data,
                                                          std::uint32_t& requiredSize) {
    HDEVINFO set = lists_.find(list.value);
    if (set == INVALID_HANDLE_VALUE) return Fail(err::InvalidHandle);
    SP_DEVINFO_DATA native = ToNative(device);
    std::vector<BYTE> buffer(bufferSize);
    DWORD type = 0;
    DWORD required = 0;
    if (!::SetupDiGetDeviceRegistryPropertyA(set, &native, property, &type, bufferSize ? buffer.data() : nullptr,
                                             bufferSize, &required)) {
        const DWORD code = FailureCode();
        if (code == ERROR_INSUFFICIENT_BUFFER) requiredSize = required;
        return code;
    }
    buffer.resize(std::min<DWORD>(required, bufferSize));
    data.assign(buffer.begin(), buffer.end());
    requiredSize = required;
    return err::Success;
}

std::uint32_t Win32DeviceSetup::removeDevice(ports::DevInfoList list, const ports::DeviceInfo& device) {
    HDEVINFO set = lists_.find(list.value);
    if (set == INVALID_HANDLE_VALUE) return Fail(err::InvalidHandle);
    SP_DEVINFO_DATA native = ToNative(device);
    return ResultOf(::SetupDiRemoveDevice(set, &native));
}

std::uint32_t Win32DeviceSetup::destroyDeviceInfoList(ports::DevInfoList list) {
    return lists_.remove(list.value) ? err::Success : Fail(err::InvalidHandle);
}

// --- The INF store -------------------------------------------------------------------

std::uint32_t Win32DeviceSetup::getInfFileList(std::string_view directory, std::uint32_t style,
                                               std::vector<std::string>& names) {
    const std::string folder = Terminated(directory);
    std::vector<char> buffer(kInitialInfListSize);
    for (int attempt = 0; attempt < kInfListAttempts; ++attempt) {
        DWORD required = 0;
        const BOOL listed = ::SetupGetInfFileListA(folder.empty() ? nullptr : folder.c_str(), style, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), &required);
        // Even an empty list needs its final zero; Wine answers a buffer that
        // is too short with success and a size of 0.
        if (listed && required != 0) {
            names = SplitNameList(buffer.data(), std::min<std::size_t>(required, buffer.size()));
            return err::Success;
        }
        const DWORD code = listed ? ERROR_INSUFFICIENT_BUFFER : FailureCode();
        if (code != ERROR_INSUFFICIENT_BUFFER) return code;
        // The store may grow between two calls: never ask for less than twice as much.
        buffer.resize(std::max<std::size_t>(required, buffer.size() * 2));
    }
    return Fail(err::InsufficientBuffer);
}

std::uint32_t Win32DeviceSetup::openInfFile(std::string_view name, std::uint32_t style, ports::InfHandle& inf) {
    UINT errorLine = 0;
    UniqueInf opened(::SetupOpenInfFileA(Terminated(name).c_str(), nullptr, style, &errorLine));
    if (!opened) return FailureCode();
    inf.value = infs_.add(std::move(opened));
    return err::Success;
}

std::uint32_t Win32DeviceSetup::findFirstLine(ports::InfHandle inf, std::string_view section, std::string_view key) {
    HINF handle = infs_.find(inf.value);
    if (handle == INVALID_HANDLE_VALUE) return Fail(err::InvalidHandle);
    const std::string keyText = Terminated(key);
    INFCONTEXT context{};
    return ResultOf(::SetupFindFirstLineA(handle, Terminated(section).c_str(),
                                          keyText.empty() ? nullptr : keyText.c_str(), &context));
}

void Win32DeviceSetup::closeInfFile(ports::InfHandle inf) { infs_.remove(inf.value); }

// MAX_PATH characters hold every path the ANSI calls can name.
std::uint32_t Win32DeviceSetup::copyOEMInf(std::string_view sourcePath, std::uint32_t mediaType,
                                           std::uint32_t copyStyle, std::string& destinationName) {
    char destination[MAX_PATH] = {};
    DWORD required = 0;
    const BOOL copied = ::SetupCopyOEMInfA(FullPathOf(sourcePath).c_str(), nullptr, mediaType, copyStyle,
                                           destination, MAX_PATH, &required, nullptr);
    const std::uint32_t code = ResultOf(copied);
    // Also on failure: a refused duplicate names the copy already there.
    destinationName.assign(destination, ::strnlen(destination, MAX_PATH));
    return code;
}

bool Win32DeviceSetup::hasUninstallOEMInf() { return FindSetupUninstallOEMInf() != nullptr; }

std::uint32_t Win32DeviceSetup::uninstallOEMInf(std::string_view infFileName, std::uint32_t flags) {
    SetupUninstallOEMInfAFn uninstall = FindSetupUninstallOEMInf();
    if (uninstall == nullptr) return Fail(err::ProcNotFound);
    return ResultOf(uninstall(Terminated(infFileName).c_str(), flags, nullptr));
}

}  // namespace kvt::win32
