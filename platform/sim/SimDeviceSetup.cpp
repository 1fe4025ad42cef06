#include "platform/sim/SimDeviceSetup.h"


#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/DriverSigning.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SystemFunctions.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

namespace ds = ports::devsetup;

// Codes the shared table does not carry.
constexpr std::uint32_t InvalidData = 13;
// The highest device property number setupapi knows (SPDRP_MAXIMUM_PROPERTY).
constexpr std::uint32_t MaximumProperty = 0x25;
constexpr std::uint32_t KnownInfStyles = ds::InfStyleOldNt | ds::InfStyleWin4;
constexpr std::uint32_t HighestMediaType = 2;  // SPOST_URL

constexpr const char* EnumKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";

std::optional<std::uint32_t> Planned(Simulation& sim, std::string_view method) {
    std::string name = "DeviceSetup.";
    name += method;
    return sim.faults().check(name);
}

std::string NormalisedOrAsIs(std::string_view path) {
    std::string out;
    return winpath::Normalise(path, "", out) == err::Success ? out : std::string(path);
}

bool IsBareName(std::string_view name) { return name.find_first_of("\\/:") == std::string_view::npos; }

bool IsOemInfName(std::string_view name) {
    return StartsWithNoCase(name, "oem") && winpath::WildcardMatch("*.inf", name);
}

// "oem3.inf" -> "oem3.PNF": the precompiled form Windows keeps beside each INF.
std::string PnfNameOf(std::string_view infName) {
    std::string pnf(infName.substr(0, infName.size() - 4));
    pnf += ".PNF";
    return pnf;
}

// Not the system's format, only something of its kind: a version header and
// the path the INF came from, which a real PNF records too.
std::string PnfStandIn(std::string_view originalPath) {
    std::string bytes("\x03\x03\x01\x00", 4);
    bytes += originalPath;
    bytes += '\0';
    return bytes;
}

// The hardware ids as REG_MULTI_SZ: each id and its zero, then one more zero.
std::vector<std::uint8_t> MultiSz(const std::vector<std::string>& ids) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& id : ids) {
        bytes.insert(bytes.end(), id.begin(), id.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

}  // namespace

std::uint32_t SimDeviceSetup::fail(std::uint32_t code) { return sim_.lastError() = code; }

std::string SimDeviceSetup::infDirectory() const {
    return winpath::Join(NormalisedOrAsIs(sim_.world().windowsDirectory), "inf");
}

// --- Device information lists ---------------------------------------------------

// An image's nodes carry no presence state: all of them count as present, so
// DIGCF_PRESENT selects the same nodes as its absence.
std::uint32_t SimDeviceSetup::getClassDevs(std::string_view enumerator, std::uint32_t flags,
                                           ports::DevInfoList& list) {
    if (auto code = Planned(sim_, "getClassDevs")) return fail(*code);
    if ((flags & ds::DigcfAllClasses) == 0) return fail(err::InvalidParameter);  // no class given
    DeviceSnapshot snapshot;
    const std::vector<DeviceNode>& devices = sim_.world().devices;
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (enumerator.empty() || EqualsNoCase(devices[i].enumerator, enumerator))
            snapshot.push_back({devices[i].instanceId, 0, i});
    devInsts_.reserve(devInsts_.size() + snapshot.size());
    nextHandle_ += 4;
    lists_.emplace(nextHandle_, std::move(snapshot));
    list.value = nextHandle_;
    return err::Success;
}

std::uint32_t SimDeviceSetup::enumDeviceInfo(ports::DevInfoList list, std::uint32_t index,
                                             ports::DeviceInfo& device) {
    if (auto code = Planned(sim_, "enumDeviceInfo")) return fail(*code);
    auto it = lists_.find(list.value);
    if (it == lists_.end()) return fail(err::InvalidHandle);
    if (index >= it->second.size()) return fail(err::NoMoreItems);
    device = ports::DeviceInfo{};
    device.devInst = devInstOf(it->second[index]);
    device.reserved = index + 1;
    return err::Success;
}

// A removal walks every node of its list and asks for each one's ids; a
// scan of all nodes per question made that quadratic in the number of
// devices. A listed node remembers where it was in world.devices, and this
// class's own removals move those positions along, so the node is found at
// once. A position that does not hold the node any more (the nodes changed
// behind the list) falls back to an index by id, which is rebuilt whenever
// it is out of step: it is never trusted blindly either.
DeviceNode* SimDeviceSetup::findNode(ListedNode& listed) {
    std::vector<DeviceNode>& devices = sim_.world().devices;
    auto holds = [&](std::size_t position) {
        return position < devices.size() && EqualsNoCase(devices[position].instanceId, listed.instanceId);
    };
    if (holds(listed.position)) return &devices[listed.position];
    auto it = nodeIndex_.find(listed.instanceId);
    if (it == nodeIndex_.end() || !holds(it->second)) {
        nodeIndex_.clear();
        for (std::size_t i = 0; i < devices.size(); ++i)
            nodeIndex_.emplace(devices[i].instanceId, i);  // the first node of an id wins, as in a scan
        it = nodeIndex_.find(listed.instanceId);
        if (it == nodeIndex_.end()) return nullptr;
    }
    listed.position = it->second;
    return &devices[listed.position];
}

// Erases the node and moves the remembered positions of the nodes after it.
void SimDeviceSetup::eraseNode(const DeviceNode& node) {
    std::vector<DeviceNode>& devices = sim_.world().devices;
    const auto position = static_cast<std::size_t>(&node - devices.data());
    nodeIndex_.erase(node.instanceId);
    devices.erase(devices.begin() + static_cast<std::ptrdiff_t>(position));
    auto follow = [position](std::size_t& at) {
        if (at == position) at = kNowhere;
        else if (at > position && at != kNowhere) --at;
    };
    for (auto& [handle, snapshot] : lists_)
        for (ListedNode& listed : snapshot) follow(listed.position);
    for (auto& [id, at] : nodeIndex_) follow(at);
}

std::uint32_t SimDeviceSetup::devInstOf(ListedNode& node) {
    if (node.devInst == 0) node.devInst = devInstOf(node.instanceId);
    return node.devInst;
}

std::uint32_t SimDeviceSetup::devInstOf(std::string_view instanceId) {
    if (auto found = devInsts_.find(instanceId); found != devInsts_.end()) return found->second;
    const auto number = static_cast<std::uint32_t>(devInsts_.size() + 1);
    devInsts_.emplace(std::string(instanceId), number);
    return number;
}

std::uint32_t SimDeviceSetup::member(ports::DevInfoList list, const ports::DeviceInfo& device, ListedNode*& node) {
    auto it = lists_.find(list.value);
    if (it == lists_.end()) return err::InvalidHandle;
    DeviceSnapshot& snapshot = it->second;
    if (device.reserved == 0 || device.reserved > snapshot.size()) return err::InvalidParameter;
    ListedNode& listed = snapshot[device.reserved - 1];
    if (device.devInst != devInstOf(listed)) return err::InvalidParameter;
    node = &listed;
    return err::Success;
}

std::uint32_t SimDeviceSetup::getDeviceRegistryProperty(ports::DevInfoList list, const ports::DeviceInfo& device,
                                                        std::uint32_t property, std::uint32_t bufferSize,
                                                        std::vector<std::uint8_t>& data,
                                                        std::uint32_t& requiredSize) {
    if (auto code = Planned(sim_, "getDeviceRegistryProperty")) return fail(*code);
    ListedNode* listed = nullptr;
    if (std::uint32_t code = member(list, device, listed)) return fail(code);
    if (property >= MaximumProperty) return fail(err::InvalidRegProperty);
    const DeviceNode* node = findNode(*listed);
    if (node == nullptr) return fail(err::NoSuchDevinst);
    // The images model only the hardware ids; any other property is unset.
    if (property != ds::SpdrpHardwareId || node->hardwareIds.empty()) return fail(InvalidData);
    std::vector<std::uint8_t> bytes = MultiSz(node->hardwareIds);
    requiredSize = static_cast<std::uint32_t>(bytes.size());
    if (bytes.size() > bufferSize) return fail(err::InsufficientBuffer);
    data = std::move(bytes);
    return err::Success;
}

// Like the PnP manager, which runs with rights no program has, the removal
// takes the node's key under Enum with it whatever that key's access list says.
// SetupDiCallClassInstaller fails with ERROR_IN_WOW64 when a WOW64 process
// calls it, as documented; SetupDiRemoveDevice, the default handler of
// DIF_REMOVE, is refused the same way here, the stricter reading. Only a
// 64-bit process removes devices on 64-bit Windows.
std::uint32_t SimDeviceSetup::removeDevice(ports::DevInfoList list, const ports::DeviceInfo& device) {
    if (auto code = Planned(sim_, "removeDevice")) return fail(*code);
    if (sim_.underWow64()) return fail(err::InWow64);
    ListedNode* listed = nullptr;
    if (std::uint32_t code = member(list, device, listed)) return fail(code);
    const DeviceNode* node = findNode(*listed);
    if (node == nullptr) return fail(err::NoSuchDevinst);
    eraseNode(*node);
    // The Plug and Play manager deletes the node's keys as SYSTEM, whatever
    // their access lists say, and the device's key with its last instance.
    RegistryStore& registry = sim_.world().registry;
    const std::string instanceKey = EnumKey + listed->instanceId;
    registry.eraseTree(instanceKey);
    const std::string deviceKey = instanceKey.substr(0, instanceKey.rfind('\\'));
    const bool belowEnumerator = deviceKey.size() > std::string_view(EnumKey).size() &&
                                 deviceKey.find('\\', std::string_view(EnumKey).size()) != std::string::npos;
    if (belowEnumerator && registry.find(deviceKey) != nullptr && !registry.hasChildren(deviceKey))
        registry.erase(deviceKey);
    return err::Success;
}

std::uint32_t SimDeviceSetup::destroyDeviceInfoList(ports::DevInfoList list) {
    if (auto code = Planned(sim_, "destroyDeviceInfoList")) return fail(*code);
    if (lists_.erase(list.value) == 0) return fail(err::InvalidHandle);
    return err::Success;
}

// --- The INF store -------------------------------------------------------------------

std::uint32_t SimDeviceSetup::getInfFileList(std::string_view directory, std::uint32_t style,
                                             std::vector<std::string>& names) {
    if (auto code = Planned(sim_, "getInfFileList")) return fail(*code);
    if ((style & KnownInfStyles) == 0) return fail(err::InvalidParameter);
    std::string folder = infDirectory();
    if (!directory.empty()) {
        if (std::uint32_t code = winpath::Normalise(directory, NormalisedOrAsIs(sim_.world().currentDirectory), folder))
            return fail(code);
    }
    const FileStore& store = sim_.world().files;
    if (store.findDirectory(folder) == nullptr) return fail(err::PathNotFound);
    names.clear();
    for (const std::string& name : store.childFiles(folder)) {
        if (!winpath::WildcardMatch("*.inf", name)) continue;
        const FileRecord* file = store.findFile(winpath::Join(folder, name));
        if ((InfFile::Parse(file->bytes).style() & style) != 0) names.push_back(name);
    }
    return err::Success;
}

// A bare name is looked for in the INF directory, then in the system
// directory, as setupapi does.
std::uint32_t SimDeviceSetup::openInfFile(std::string_view name, std::uint32_t style, ports::InfHandle& inf) {
    if (auto code = Planned(sim_, "openInfFile")) return fail(*code);
    if ((style & KnownInfStyles) == 0) return fail(err::InvalidParameter);
    const FileStore& store = sim_.world().files;
    const FileRecord* file = nullptr;
    if (IsBareName(name) && !name.empty()) {
        const std::string windows = NormalisedOrAsIs(sim_.world().windowsDirectory);
        for (const char* folder : {"inf", "System32"}) {
            file = store.findFile(winpath::Join(winpath::Join(windows, folder), name));
            if (file != nullptr) break;
        }
    } else {
        std::string path;
        if (std::uint32_t code = winpath::Normalise(name, NormalisedOrAsIs(sim_.world().currentDirectory), path))
            return fail(code);
        if (store.findDirectory(winpath::ParentOf(path)) == nullptr) return fail(err::PathNotFound);
        file = store.findFile(path);
    }
    if (file == nullptr) return fail(err::FileNotFound);
    InfFile parsed = InfFile::Parse(file->bytes);
    if (parsed.badSectionLine() != 0) return fail(err::BadSectionNameLine);
    if ((parsed.style() & style) == 0) return fail(err::WrongInfStyle);
    nextHandle_ += 4;
    infs_.emplace(nextHandle_, std::move(parsed));
    inf.value = nextHandle_;
    return err::Success;
}

std::uint32_t SimDeviceSetup::findFirstLine(ports::InfHandle inf, std::string_view section, std::string_view key) {
    if (auto code = Planned(sim_, "findFirstLine")) return fail(*code);
    auto it = infs_.find(inf.value);
    if (it == infs_.end()) return fail(err::InvalidHandle);
    const InfSection* found = it->second.section(section);
    if (found == nullptr) return fail(err::LineNotFound);
    const bool hasLine = key.empty() ? !found->lines.empty() : it->second.findLine(section, key) != nullptr;
    return hasLine ? err::Success : fail(err::LineNotFound);
}

// SetupCloseInfFile cannot fail: the call is recorded, a planned fault has
// nothing to act on.
void SimDeviceSetup::closeInfFile(ports::InfHandle inf) {
    Planned(sim_, "closeInfFile");
    infs_.erase(inf.value);
}

// The store holds each INF once: the same bytes already there under an
// "oem" name are the same INF, whatever the source file is called.
std::uint32_t SimDeviceSetup::copyOEMInf(std::string_view sourcePath, std::uint32_t mediaType,
                                         std::uint32_t copyStyle, std::string& destinationName) {
    if (auto code = Planned(sim_, "copyOEMInf")) return fail(*code);
    destinationName.clear();
    if (mediaType > HighestMediaType) return fail(err::InvalidParameter);
    World& world = sim_.world();
    std::string source;
    if (std::uint32_t code = winpath::Normalise(sourcePath, NormalisedOrAsIs(world.currentDirectory), source))
        return fail(code);
    const FileRecord* file = world.files.findFile(source);
    if (file == nullptr) return fail(err::FileNotFound);
    const InfFile inf = InfFile::Parse(file->bytes);
    if (inf.style() != ds::InfStyleWin4) return fail(err::WrongInfStyle);
    // The release's signature policy (DriverSigning.h) before the store
    // takes the INF: nobody answers a trust prompt here.
    if (const SigningDecision signing = DecideDriverSigning(world, file->path, inf);
        signing.verdict != SigningVerdict::Install)
        return fail(signing.code);
    const std::string& bytes = file->bytes;

    const std::string store = infDirectory();
    std::string duplicate;
    for (const std::string& name : world.files.childFiles(store)) {
        const FileRecord* stored = world.files.findFile(winpath::Join(store, name));
        if (IsOemInfName(name) && stored->bytes == bytes) {
            duplicate = stored->path;
            break;
        }
    }
    if (!duplicate.empty()) {
        destinationName = duplicate;
        if (copyStyle & ds::SpCopyNoOverwrite) return fail(err::FileExists);
        if (copyStyle & ds::SpCopyReplaceOnly) {
            world.files.putFile(duplicate, bytes);
            world.files.putFile(winpath::Join(store, PnfNameOf(winpath::NameOf(duplicate))), PnfStandIn(source));
        }
        return err::Success;
    }
    if (copyStyle & ds::SpCopyReplaceOnly) return fail(err::FileNotFound);

    std::string name;
    for (std::uint32_t n = 0;; ++n) {
        name = "oem" + std::to_string(n) + ".inf";
        if (world.files.findFile(winpath::Join(store, name)) == nullptr) break;
    }
    destinationName = world.files.putFile(winpath::Join(store, name), bytes).path;
    world.files.putFile(winpath::Join(store, PnfNameOf(name)), PnfStandIn(source));
    return err::Success;
}

bool SimDeviceSetup::hasUninstallOEMInf() {
    if (Planned(sim_, "hasUninstallOEMInf")) return false;
    return SystemHasFunction(sim_.world(), "SetupUninstallOEMInfA");
}

// Windows uninstalls only INF files that were copied into the store ("oem"
// names) and takes a bare name; a system INF or a path is an invalid
// parameter (Wine removes whatever INF it is named). Nothing tracks which
// devices an INF serves, so SUOI_FORCEDELETE makes no difference here.
std::uint32_t SimDeviceSetup::uninstallOEMInf(std::string_view infFileName, std::uint32_t /*flags*/) {
    if (auto code = Planned(sim_, "uninstallOEMInf")) return fail(*code);
    if (!SystemHasFunction(sim_.world(), "SetupUninstallOEMInfA")) return fail(err::ProcNotFound);
    if (!IsBareName(infFileName) || !IsOemInfName(infFileName)) return fail(err::InvalidParameter);
    FileStore& files = sim_.world().files;
    const std::string store = infDirectory();
    const std::string path = winpath::Join(store, infFileName);
    const FileRecord* inf = files.findFile(path);
    if (inf == nullptr) return fail(err::FileNotFound);
    if (inf->inUse) return fail(err::SharingViolation);
    files.eraseFile(path);
    files.eraseFile(winpath::Join(store, PnfNameOf(infFileName)));
    return err::Success;
}

}  // namespace kvt::sim
