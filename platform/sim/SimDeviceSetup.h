#pragma once
// The device-setup port over the simulated system: the device nodes of the
// world (world.devices) and the INF store, the files under <windir>\inf.
#include <cstdint>
#include <map>
#include <unordered_map>
#include <string>
#include <vector>

#include "platform/ports/DeviceSetup.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/InfFile.h"

namespace kvt::sim {

class Simulation;
struct DeviceNode;

class SimDeviceSetup final : public ports::DeviceSetup {
public:
    explicit SimDeviceSetup(Simulation& sim) : sim_(sim) {}

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

    // Handles the program has not given back yet.
    std::size_t openListCount() const { return lists_.size(); }
    std::size_t openInfCount() const { return infs_.size(); }

private:
    // A device list is a snapshot of which nodes there were; what a node
    // says is read from the world at the time of the call.
    struct ListedNode {
        std::string instanceId;
        std::uint32_t devInst;  // 0 until the program first meets the node
        std::size_t position;   // in world.devices; kNowhere once this class removed it
    };
    static constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);
    using DeviceSnapshot = std::vector<ListedNode>;

    std::uint32_t fail(std::uint32_t code);
    std::string infDirectory() const;
    // The member of `list` that `device` names, or the error that names none.
    std::uint32_t member(ports::DevInfoList list, const ports::DeviceInfo& device, ListedNode*& node);
    // The DEVINST of a node: one number per instance id for the whole run.
    std::uint32_t devInstOf(std::string_view instanceId);
    std::uint32_t devInstOf(ListedNode& node);  // remembered in the list
    // The world's node of a listed one, its id compared without regard to case.
    DeviceNode* findNode(ListedNode& listed);
    void eraseNode(const DeviceNode& node);

    Simulation& sim_;
    std::map<std::uint64_t, DeviceSnapshot> lists_;
    std::map<std::uint64_t, InfFile> infs_;
    std::unordered_map<std::string, std::uint32_t, CaseInsensitiveHash, CaseInsensitiveEqual> devInsts_;
    // Instance id -> position in world.devices.
    std::unordered_map<std::string, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> nodeIndex_;
    std::uint64_t nextHandle_ = 0x2000;
};

}  // namespace kvt::sim
