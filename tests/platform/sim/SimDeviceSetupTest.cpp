// The simulated device setup: device lists by enumerator, hardware ids in a
// caller-sized buffer, device removal, and the INF store with its copy,
// duplicate and uninstall rules.
#include "platform/sim/SimDeviceSetup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "tests/support/ProductInfText.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

namespace ds = ports::devsetup;
using Names = std::vector<std::string>;

constexpr const char* kEnum = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
constexpr const char* kPrinterId = "USB\\VID_2E9C&PID_000B\\5&1";

void AddNode(World& world, const char* enumerator, const char* instanceId, std::vector<std::string> ids) {
    world.devices.push_back(DeviceNode{enumerator, instanceId, std::move(ids), {}});
    world.registry.ensure(std::string(kEnum) + instanceId).isProtected = true;
    world.registry.ensure(std::string(kEnum) + instanceId + "\\Device Parameters");
}

World DeviceWorld() {
    World world;
    AddNode(world, "USB", kPrinterId, {"USB\\VID_2E9C&PID_000B&REV_0100", "USB\\VID_2E9C&PID_000B"});
    AddNode(world, "HID", "HID\\VID_1A2C&PID_0E24\\6&1", {"HID\\VID_1A2C&PID_0E24"});
    AddNode(world, "usb", "USB\\ROOT_HUB20\\4&1", {"USB\\ROOT_HUB20"});
    AddNode(world, "USB", "USB\\VID_1A2C&PID_0E24\\5&2", {});
    return world;
}

// --- Device information lists ---------------------------------------------------

struct Walk {
    std::vector<ports::DeviceInfo> devices;
    std::uint32_t end = 0;
};

Walk WalkList(SimDeviceSetup& setup, ports::DevInfoList list) {
    Walk walk;
    for (std::uint32_t index = 0;; ++index) {
        ports::DeviceInfo device;
        walk.end = setup.enumDeviceInfo(list, index, device);
        if (walk.end != err::Success) return walk;
        walk.devices.push_back(device);
    }
}

std::string HardwareIds(SimDeviceSetup& setup, ports::DevInfoList list, const ports::DeviceInfo& device) {
    std::vector<std::uint8_t> data;
    std::uint32_t required = 0;
    if (setup.getDeviceRegistryProperty(list, device, ds::SpdrpHardwareId, 256, data, required)) return "<failed>";
    return std::string(data.begin(), data.end());
}

TEST(SimDeviceSetup, ListsTheNodesOfOneEnumeratorInAnyCase) {
    Simulation sim(DeviceWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    ports::DevInfoList list;
    ASSERT_EQ(setup.getClassDevs("Usb", ds::DigcfAllClasses, list), err::Success);
    const Walk walk = WalkList(setup, list);
    EXPECT_EQ(walk.end, err::NoMoreItems);
    EXPECT_EQ(sim.lastError(), err::NoMoreItems);
    ASSERT_EQ(walk.devices.size(), 3u);
    EXPECT_EQ(HardwareIds(setup, list, walk.devices[0]),
              std::string("USB\\VID_2E9C&PID_000B&REV_0100\0USB\\VID_2E9C&PID_000B\0\0", 54));
    EXPECT_EQ(HardwareIds(setup, list, walk.devices[1]), std::string("USB\\ROOT_HUB20\0\0", 16));

    ports::DevInfoList all;
    ASSERT_EQ(setup.getClassDevs("", ds::DigcfAllClasses | ds::DigcfPresent, all), err::Success);
    EXPECT_EQ(WalkList(setup, all).devices.size(), 4u);
    // The same node has the same DEVINST in every list.
    EXPECT_EQ(WalkList(setup, all).devices[0].devInst, walk.devices[0].devInst);
    EXPECT_NE(walk.devices[0].devInst, walk.devices[1].devInst);

    EXPECT_EQ(setup.destroyDeviceInfoList(list), err::Success);
    EXPECT_EQ(setup.destroyDeviceInfoList(all), err::Success);
    EXPECT_EQ(setup.openListCount(), 0u);
    ports::DeviceInfo device;
    EXPECT_EQ(setup.enumDeviceInfo(list, 0, device), err::InvalidHandle);
    EXPECT_EQ(setup.destroyDeviceInfoList(list), err::InvalidHandle);

    // Without a class GUID the list must be of all classes.
    EXPECT_EQ(setup.getClassDevs("USB", ds::DigcfPresent, list), err::InvalidParameter);
    EXPECT_EQ(sim.lastError(), err::InvalidParameter);
    EXPECT_EQ(setup.openListCount(), 0u);
}

TEST(SimDeviceSetup, AListIsASnapshotOfItsNodes) {
    Simulation sim(DeviceWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    ports::DevInfoList list;
    ASSERT_EQ(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::Success);
    AddNode(sim.world(), "USB", "USB\\VID_2E9C&PID_000B\\5&9", {"USB\\VID_2E9C&PID_000B&REV_0100"});
    EXPECT_EQ(WalkList(setup, list).devices.size(), 3u);
    // What a member says is read when asked: a node gone meanwhile is gone.
    ports::DeviceInfo hub;
    ASSERT_EQ(setup.enumDeviceInfo(list, 1, hub), err::Success);
    std::erase_if(sim.world().devices, [](const DeviceNode& n) { return n.instanceId == "USB\\ROOT_HUB20\\4&1"; });
    std::vector<std::uint8_t> data;
    std::uint32_t required = 0;
    EXPECT_EQ(setup.getDeviceRegistryProperty(list, hub, ds::SpdrpHardwareId, 100, data, required),
              err::NoSuchDevinst);
}

TEST(SimDeviceSetup, AHardwareIdListThatDoesNotFitAsksForMore) {
    Simulation sim(DeviceWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    ports::DevInfoList list;
    ASSERT_EQ(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::Success);
    ports::DeviceInfo printer;
    ASSERT_EQ(setup.enumDeviceInfo(list, 0, printer), err::Success);

    struct Row {
        const char* name;
        std::uint32_t bufferSize;
        std::uint32_t result;
    };
    for (const Row& row : {Row{"NoBuffer", 0, err::InsufficientBuffer}, Row{"OneShort", 53, err::InsufficientBuffer},
                           Row{"Exact", 54, err::Success}, Row{"Larger", 100, err::Success}}) {
        std::vector<std::uint8_t> data{0xAA};
        std::uint32_t required = 0;
        EXPECT_EQ(setup.getDeviceRegistryProperty(list, printer, ds::SpdrpHardwareId, row.bufferSize, data, required),
                  row.result)
            << row.name;
        EXPECT_EQ(required, 54u) << row.name;
        EXPECT_EQ(data.size(), row.result == err::Success ? 54u : 1u) << row.name;
    }
}

TEST(SimDeviceSetup, PropertyReadsThatFail) {
    Simulation sim(DeviceWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    ports::DevInfoList list;
    ASSERT_EQ(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::Success);
    const Walk walk = WalkList(setup, list);
    ports::DeviceInfo forged = walk.devices[0];
    forged.devInst += 100;
    ports::DeviceInfo outside = walk.devices[0];
    outside.reserved = 9;

    struct Row {
        const char* name;
        ports::DevInfoList list;
        ports::DeviceInfo device;
        std::uint32_t property;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"NodeWithoutHardwareIds", list, walk.devices[2], ds::SpdrpHardwareId, 13},
        {"PropertyTheImageLacks", list, walk.devices[0], 0 /* SPDRP_DEVICEDESC */, 13},
        {"NoSuchProperty", list, walk.devices[0], 0x40, err::InvalidRegProperty},
        {"DeviceOfAnotherNode", list, forged, ds::SpdrpHardwareId, err::InvalidParameter},
        {"DeviceOutsideTheList", list, outside, ds::SpdrpHardwareId, err::InvalidParameter},
        {"UnknownList", ports::DevInfoList{0x77}, walk.devices[0], ds::SpdrpHardwareId, err::InvalidHandle},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> data;
        std::uint32_t required = 0;
        sim.lastError() = 0;
        EXPECT_EQ(setup.getDeviceRegistryProperty(row.list, row.device, row.property, 256, data, required),
                  row.result)
            << row.name;
        EXPECT_EQ(sim.lastError(), row.result) << row.name;
        EXPECT_TRUE(data.empty()) << row.name;
    }
}

TEST(SimDeviceSetup, RemovingADeviceTakesItsNodeAndEnumKey) {
    Simulation sim(DeviceWorld(), Bitness::x64);
    SimDeviceSetup& setup = sim.deviceSetup();
    ports::DevInfoList list;
    ASSERT_EQ(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::Success);
    const Walk before = WalkList(setup, list);
    ASSERT_EQ(setup.removeDevice(list, before.devices[0]), err::Success);

    EXPECT_EQ(sim.world().devices.size(), 3u);
    for (const DeviceNode& node : sim.world().devices) EXPECT_NE(node.instanceId, kPrinterId);
    // The protected key goes with its subkeys, as the PnP manager removes it.
    EXPECT_FALSE(sim.world().registry.exists(std::string(kEnum) + kPrinterId));
    EXPECT_TRUE(sim.world().registry.exists(std::string(kEnum) + "USB\\ROOT_HUB20\\4&1"));
    EXPECT_FALSE(sim.world().registry.exists(std::string(kEnum) + "USB\\VID_2E9C&PID_000B"))
        << "the device's key goes with its last instance";
    EXPECT_TRUE(sim.world().registry.exists(std::string(kEnum) + "USB"));

    // The walk over the indexes goes on unchanged after a removal.
    const Walk after = WalkList(setup, list);
    ASSERT_EQ(after.devices.size(), 3u);
    EXPECT_EQ(after.devices[1], before.devices[1]);
    EXPECT_EQ(setup.removeDevice(list, before.devices[0]), err::NoSuchDevinst);
    EXPECT_EQ(sim.lastError(), err::NoSuchDevinst);
    EXPECT_EQ(HardwareIds(setup, list, before.devices[0]), "<failed>");
    EXPECT_EQ(setup.destroyDeviceInfoList(list), err::Success);
}

// Device removal from a 32-bit process on 64-bit Windows is refused, and
// nothing changes; a 64-bit process there, or any process on 32-bit
// Windows, removes the node.
TEST(SimDeviceSetup, OnlyAProcessOutsideWow64RemovesDevices) {
    struct Row {
        const char* name;
        bool windows64;
        Bitness program;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"WowProcess", true, Bitness::x86, err::InWow64},
        {"NativeProcessOn64BitWindows", true, Bitness::x64, err::Success},
        {"ProcessOn32BitWindows", false, Bitness::x86, err::Success},
    };
    for (const Row& row : rows) {
        World world = DeviceWorld();
        world.os.is64Bit = row.windows64;
        Simulation sim(std::move(world), row.program);
        ports::DevInfoList list;
        ASSERT_EQ(sim.deviceSetup().getClassDevs("USB", ds::DigcfAllClasses, list), err::Success) << row.name;
        ports::DeviceInfo device;
        ASSERT_EQ(sim.deviceSetup().enumDeviceInfo(list, 0, device), err::Success) << row.name;
        EXPECT_EQ(sim.deviceSetup().removeDevice(list, device), row.result) << row.name;
        EXPECT_EQ(sim.lastError(), row.result) << row.name;
        EXPECT_EQ(sim.world().devices.size(), row.result == err::Success ? 3u : 4u) << row.name;
        EXPECT_EQ(sim.world().registry.exists(std::string(kEnum) + kPrinterId), row.result != err::Success)
            << row.name;
    }
}

TEST(SimDeviceSetup, PlannedFaultsFailTheCallAndSetTheLastError) {
    Simulation sim(DeviceWorld(), Bitness::x64);
    SimDeviceSetup& setup = sim.deviceSetup();
    ports::DevInfoList list;
    ASSERT_EQ(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::Success);
    ports::DeviceInfo device;
    ASSERT_EQ(setup.enumDeviceInfo(list, 0, device), err::Success);
    sim.faults().failCall("DeviceSetup.removeDevice", err::AccessDenied, 1);
    EXPECT_EQ(setup.removeDevice(list, device), err::AccessDenied);
    EXPECT_EQ(sim.lastError(), err::AccessDenied);
    EXPECT_EQ(sim.world().devices.size(), 4u);
    EXPECT_EQ(setup.removeDevice(list, device), err::Success);

    sim.faults().failCall("DeviceSetup.getClassDevs", err::NotEnoughMemory);
    EXPECT_EQ(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::NotEnoughMemory);
    sim.faults().failCall("DeviceSetup.hasUninstallOEMInf", 1);
    EXPECT_FALSE(setup.hasUninstallOEMInf());
    EXPECT_EQ(sim.faults().callCount("DeviceSetup.enumDeviceInfo"), 1u);
}

// --- The INF store ----------------------------------------------------------------

std::string Inf(const char* maker, const char* model, const char* signature = "$Windows NT$") {
    std::string text = "[Version]\r\nSignature=\"";
    text += signature;
    text += "\"\r\nClass=Printer\r\n\r\n[Manufacturer]\r\n";
    text += maker;
    text += "=";
    text += maker;
    text += ",NTamd64\r\n\r\n[";
    text += maker;
    text += ".NTamd64]\r\n\"";
    text += model;
    text += "\" = MODEL.GPD\r\n";
    return text;
}

const std::string kProductInf = Inf("NORVEX", "NORVEX KVT-580duo");

// Windows XP set to install unsigned drivers: the INFs here are about the
// store, not about signatures.
World StoreWorld() {
    World world;
    world.os.major = 5;
    world.os.minor = 1;
    world.os.build = 2600;
    world.os.is64Bit = false;
    world.extra["driverSigningPolicy"] = "ignore";
    world.currentDirectory = "C:\\Setup";
    world.files.putFile("C:\\Setup\\kvt580d.inf", kProductInf);
    world.files.putFile("C:\\Setup\\legacy.inf", "[Identification]\r\nOptionType = Printer\r\n");
    world.files.putFile("C:\\Windows\\INF\\usbprint.inf", Inf("Generic", "USB Printing Support"));
    world.files.putFile("C:\\Windows\\INF\\usbprint.PNF", "pnf");
    world.files.putFile("C:\\Windows\\INF\\oem0.inf", Inf("Othermaker", "OM-200 Label"));
    world.files.putFile("C:\\Windows\\INF\\oem0.PNF", "pnf");
    world.files.putFile("C:\\Windows\\INF\\oem2.inf", Inf("Alder", "Alder Tag", "$Chicago$"));
    world.files.putFile("C:\\Windows\\INF\\oldstyle.inf", "[Identification]\r\nOptionType = NetAdapter\r\n");
    world.files.putFile("C:\\Windows\\INF\\readme.txt", "not an INF");
    world.files.putFile("C:\\Setup\\Other\\list.inf", Inf("NORVEX", "NORVEX KVT-580duo"));
    return world;
}

TEST(SimDeviceSetup, ListsTheInfFilesOfAStyle) {
    struct Row {
        const char* name;
        const char* directory;
        std::uint32_t style;
        std::uint32_t result;
        Names names;
    };
    const Row rows[] = {
        {"StoreWin4", "", ds::InfStyleWin4, 0, {"oem0.inf", "oem2.inf", "usbprint.inf"}},
        {"StoreOldNt", "", ds::InfStyleOldNt, 0, {"oldstyle.inf"}},
        {"StoreBoth", "", ds::InfStyleOldNt | ds::InfStyleWin4, 0,
         {"oem0.inf", "oem2.inf", "oldstyle.inf", "usbprint.inf"}},
        {"OtherDirectory", "C:\\Setup", ds::InfStyleWin4, 0, {"kvt580d.inf"}},
        {"RelativeDirectory", "Other", ds::InfStyleWin4, 0, {"list.inf"}},
        {"MissingDirectory", "C:\\Nowhere", ds::InfStyleWin4, err::PathNotFound, {}},
        {"NoStyle", "", 0, err::InvalidParameter, {}},
    };
    for (const Row& row : rows) {
        Simulation sim(StoreWorld());
        Names names;
        EXPECT_EQ(sim.deviceSetup().getInfFileList(row.directory, row.style, names), row.result) << row.name;
        EXPECT_EQ(names, row.names) << row.name;
    }
}

TEST(SimDeviceSetup, OpensInfFilesAndFindsLines) {
    Simulation sim(StoreWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    sim.world().files.putFile("C:\\Setup\\broken.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Broken\r\nA=1\r\n");
    struct Row {
        const char* name;
        const char* file;
        std::uint32_t style;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"BareNameInTheStore", "OEM0.INF", ds::InfStyleWin4, 0},
        {"FullPath", "C:\\Setup\\kvt580d.inf", ds::InfStyleOldNt | ds::InfStyleWin4, 0},
        {"RelativePath", ".\\kvt580d.inf", ds::InfStyleWin4, 0},
        {"OldStyleAsked", "oldstyle.inf", ds::InfStyleOldNt, 0},
        {"Missing", "oem7.inf", ds::InfStyleWin4, err::FileNotFound},
        {"MissingFolder", "C:\\Nowhere\\x.inf", ds::InfStyleWin4, err::PathNotFound},
        {"WrongStyle", "oldstyle.inf", ds::InfStyleWin4, err::WrongInfStyle},
        {"Win4NotAsked", "oem0.inf", ds::InfStyleOldNt, err::WrongInfStyle},
        {"UnclosedSectionHeader", "C:\\Setup\\broken.inf", ds::InfStyleWin4, err::BadSectionNameLine},
    };
    for (const Row& row : rows) {
        ports::InfHandle inf;
        sim.lastError() = 0;
        EXPECT_EQ(setup.openInfFile(row.file, row.style, inf), row.result) << row.name;
        EXPECT_EQ(sim.lastError(), row.result) << row.name;
        if (row.result == err::Success) setup.closeInfFile(inf);
    }
    EXPECT_EQ(setup.openInfCount(), 0u);

    ports::InfHandle inf;
    ASSERT_EQ(setup.openInfFile("kvt580d.inf", ds::InfStyleWin4, inf), err::FileNotFound);  // not in the store
    ASSERT_EQ(setup.openInfFile("C:\\Setup\\kvt580d.inf", ds::InfStyleWin4, inf), err::Success);
    EXPECT_EQ(setup.findFirstLine(inf, "norvex.ntamd64", "NORVEX KVT-580DUO"), err::Success);
    EXPECT_EQ(setup.findFirstLine(inf, "NORVEX.NTamd64", ""), err::Success);
    EXPECT_EQ(setup.findFirstLine(inf, "NORVEX", "NORVEX KVT-580duo"), err::LineNotFound);
    EXPECT_EQ(sim.lastError(), err::LineNotFound);
    EXPECT_EQ(setup.findFirstLine(inf, "NORVEX.NTamd64", "NORVEX KVT-580"), err::LineNotFound);
    setup.closeInfFile(inf);
    EXPECT_EQ(setup.findFirstLine(inf, "NORVEX.NTamd64", "NORVEX KVT-580duo"), err::InvalidHandle);
}

std::string Read(const Simulation& sim, const char* path) {
    const FileRecord* file = sim.world().files.findFile(path);
    return file ? file->bytes : "<missing>";
}

TEST(SimDeviceSetup, CopiesAnInfToTheLowestFreeOemName) {
    Simulation sim(StoreWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    std::string destination;
    ASSERT_EQ(setup.copyOEMInf(".\\kvt580d.inf", ds::SpostPath, ds::SpCopyNoOverwrite, destination), err::Success);
    EXPECT_EQ(destination, "C:\\Windows\\INF\\oem1.inf");
    EXPECT_EQ(Read(sim, "C:\\Windows\\inf\\oem1.inf"), kProductInf);
    const std::string pnf = Read(sim, "C:\\Windows\\inf\\oem1.PNF");
    EXPECT_NE(pnf, "<missing>");
    EXPECT_NE(pnf.find("C:\\Setup\\kvt580d.inf"), std::string::npos);

    // Another INF takes the next free number.
    sim.world().files.putFile("C:\\Setup\\second.inf", Inf("NORVEX", "NORVEX KVT-580duo Second"));
    ASSERT_EQ(setup.copyOEMInf("C:\\Setup\\second.inf", ds::SpostPath, ds::SpCopyNoOverwrite, destination), 0u);
    EXPECT_EQ(destination, "C:\\Windows\\INF\\oem3.inf");
    EXPECT_NE(Read(sim, "C:\\Windows\\inf\\oem3.PNF"), "<missing>");
}

TEST(SimDeviceSetup, TheSameInfAgainFollowsTheCopyStyle) {
    struct Row {
        const char* name;
        std::uint32_t copyStyle;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"NoOverwriteNamesTheExistingCopy", ds::SpCopyNoOverwrite, err::FileExists},
        {"ReplaceOnlyReplacesIt", ds::SpCopyReplaceOnly, err::Success},
        {"NoStyleGivesTheExistingCopy", 0, err::Success},
    };
    for (const Row& row : rows) {
        Simulation sim(StoreWorld());
        SimDeviceSetup& setup = sim.deviceSetup();
        std::string destination;
        ASSERT_EQ(setup.copyOEMInf("C:\\Setup\\kvt580d.inf", ds::SpostPath, 0, destination), err::Success);
        sim.world().files.eraseFile("C:\\Windows\\INF\\oem1.PNF");
        const std::size_t files = sim.world().files.files().size();

        // Same bytes from a file of another name are the same INF.
        sim.world().files.putFile("C:\\Setup\\Copy\\renamed.inf", kProductInf);
        destination.clear();
        EXPECT_EQ(setup.copyOEMInf("C:\\Setup\\Copy\\renamed.inf", ds::SpostPath, row.copyStyle, destination),
                  row.result)
            << row.name;
        EXPECT_EQ(destination, "C:\\Windows\\INF\\oem1.inf") << row.name;
        const bool replaced = row.copyStyle == ds::SpCopyReplaceOnly;
        EXPECT_EQ(sim.world().files.files().size(), files + 1 + (replaced ? 1 : 0)) << row.name;
        EXPECT_EQ(Read(sim, "C:\\Windows\\INF\\oem1.PNF") != "<missing>", replaced) << row.name;
    }
}

TEST(SimDeviceSetup, CopiesThatFail) {
    struct Row {
        const char* name;
        const char* source;
        std::uint32_t copyStyle;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"ReplaceOnlyWithoutACopy", "C:\\Setup\\kvt580d.inf", ds::SpCopyReplaceOnly, err::FileNotFound},
        {"MissingSource", "C:\\Setup\\none.inf", ds::SpCopyNoOverwrite, err::FileNotFound},
        {"OldStyleSource", "C:\\Setup\\legacy.inf", ds::SpCopyNoOverwrite, err::WrongInfStyle},
        // A system INF of the same bytes is not a copy that could be replaced.
        {"SameBytesAsASystemInf", "C:\\Windows\\INF\\usbprint.inf", ds::SpCopyReplaceOnly, err::FileNotFound},
    };
    for (const Row& row : rows) {
        Simulation sim(StoreWorld());
        const std::size_t files = sim.world().files.files().size();
        std::string destination = "stale";
        EXPECT_EQ(sim.deviceSetup().copyOEMInf(row.source, ds::SpostPath, row.copyStyle, destination), row.result)
            << row.name;
        EXPECT_EQ(sim.lastError(), row.result) << row.name;
        EXPECT_EQ(destination, "") << row.name;
        EXPECT_EQ(sim.world().files.files().size(), files) << row.name;
    }
}

TEST(SimDeviceSetup, UninstallRemovesTheInfAndItsPnf) {
    Simulation sim(StoreWorld());
    SimDeviceSetup& setup = sim.deviceSetup();
    EXPECT_TRUE(setup.hasUninstallOEMInf());
    ASSERT_EQ(setup.uninstallOEMInf("oem0.inf", ds::SuoiForceDelete), err::Success);
    EXPECT_EQ(Read(sim, "C:\\Windows\\INF\\oem0.inf"), "<missing>");
    EXPECT_EQ(Read(sim, "C:\\Windows\\INF\\oem0.PNF"), "<missing>");
    // An INF whose PNF is already gone is still uninstalled.
    EXPECT_EQ(setup.uninstallOEMInf("OEM2.INF", ds::SuoiForceDelete), err::Success);
    EXPECT_EQ(Read(sim, "C:\\Windows\\INF\\oem2.inf"), "<missing>");

    struct Row {
        const char* name;
        const char* file;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"Missing", "oem0.inf", err::FileNotFound},
        {"SystemInf", "usbprint.inf", err::InvalidParameter},
        {"WithPath", "C:\\Windows\\INF\\oem0.inf", err::InvalidParameter},
        {"NotAnInf", "oem0.PNF", err::InvalidParameter},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(setup.uninstallOEMInf(row.file, ds::SuoiForceDelete), row.result) << row.name;
        EXPECT_EQ(sim.lastError(), row.result) << row.name;
    }
    EXPECT_NE(Read(sim, "C:\\Windows\\INF\\usbprint.inf"), "<missing>");
}

TEST(SimDeviceSetup, UninstallIsMissingWhereTheSystemLacksIt) {
    struct Row {
        const char* name;
        std::uint32_t major, minor;
        bool listedMissing;
        bool present;
    };
    for (const Row& row : {Row{"Windows2000", 5, 0, false, false}, Row{"WindowsXp", 5, 1, false, true},
                           Row{"Windows10", 10, 0, false, true}, Row{"TakenAwayByTheImage", 10, 0, true, false}}) {
        World world = StoreWorld();
        world.os.major = row.major;
        world.os.minor = row.minor;
        if (row.listedMissing) world.os.extra["missingFunctions"] = {"SetupUninstallOEMInfA"};
        Simulation sim(std::move(world));
        EXPECT_EQ(sim.deviceSetup().hasUninstallOEMInf(), row.present) << row.name;
        EXPECT_EQ(sim.deviceSetup().uninstallOEMInf("oem0.inf", ds::SuoiForceDelete),
                  row.present ? err::Success : err::ProcNotFound)
            << row.name;
    }
}

TEST(SimDeviceSetup, TheProductInfJoinsAndLeavesAFreshStore) {
    std::optional<World> world = FreshImage("win10-x64");
    ASSERT_TRUE(world.has_value());
    test::PlaceProductPackage(*world);
    Simulation sim(std::move(*world));
    SimDeviceSetup& setup = sim.deviceSetup();
    Names before;
    ASSERT_EQ(setup.getInfFileList("", ds::InfStyleWin4, before), err::Success);
    EXPECT_EQ(before, (Names{"ntprint.inf", "prnge001.inf", "usbprint.inf"}));

    std::string destination;
    ASSERT_EQ(setup.copyOEMInf(".\\kvt580d.inf", ds::SpostPath, ds::SpCopyNoOverwrite, destination), 0u);
    EXPECT_EQ(destination, "C:\\Windows\\inf\\oem0.inf");
    Names names;
    ASSERT_EQ(setup.getInfFileList("", ds::InfStyleWin4, names), err::Success);
    EXPECT_EQ(names, (Names{"ntprint.inf", "oem0.inf", "prnge001.inf", "usbprint.inf"}));
    ports::InfHandle inf;
    ASSERT_EQ(setup.openInfFile(names[1], ds::InfStyleOldNt | ds::InfStyleWin4, inf), err::Success);
    EXPECT_EQ(setup.findFirstLine(inf, "NORVEX.NTamd64", "NORVEX KVT-580duo"), err::Success);
    setup.closeInfFile(inf);
    ASSERT_EQ(setup.uninstallOEMInf(names[1], ds::SuoiForceDelete), err::Success);
    ASSERT_EQ(setup.getInfFileList("", ds::InfStyleWin4, names), err::Success);
    EXPECT_EQ(names, before);
    EXPECT_EQ(Read(sim, "C:\\Windows\\inf\\oem0.PNF"), "<missing>");
}

}  // namespace
}  // namespace kvt::sim
