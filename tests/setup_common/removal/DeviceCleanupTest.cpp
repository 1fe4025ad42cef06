// USB device nodes, device keys and the OEM INF copies of the driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Installer/setup_common/DeviceCleanup.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/setup_common/removal/RemovalTestSupport.h"
#include "tests/support/ProductInfText.h"
#include "tools/kvtsim/DeviceRemovalHost.h"

namespace kvt::setup {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::RemovalTest;
using testing::RowName;

void AddUsbDevice(sim::World& world, std::string instanceId, std::vector<std::string> hardwareIds) {
    world.devices.push_back(sim::DeviceNode{"USB", std::move(instanceId), std::move(hardwareIds), {}});
}

std::vector<std::string> DeviceIds(const sim::World& world) {
    std::vector<std::string> ids;
    for (const sim::DeviceNode& node : world.devices) ids.push_back(node.instanceId);
    return ids;
}

// Nodes whose first hardware id decides; a list that does not fit the
// 100-byte buffer is passed over whatever it holds.
sim::World UsbWorld(const char* os = "win7-x86") {
    sim::World world = *sim::FreshImage(os);
    world.devices.clear();
    AddUsbDevice(world, "A", {"USB\\VID_2E9C&PID_000B&REV_0100", "USB\\VID_2E9C&PID_000B"});
    AddUsbDevice(world, "B", {"USB\\VID_2E9C&PID_000C&REV_0100"});
    AddUsbDevice(world, "C", {std::string(90, 'X'), "USB\\VID_2E9C&PID_000B"});
    AddUsbDevice(world, "D", {"USB\\VID_2E9C&PID_000B&MI_00" + std::string(80, '0')});
    AddUsbDevice(world, "E", {"usb\\vid_2e9c&pid_000b"});
    AddUsbDevice(world, "F", {"USB\\COMPOSITE", "USB\\VID_2E9C&PID_000B"});
    return world;
}

TEST_F(RemovalTest, DeleteVidPidRemovesEveryNodeWhoseFirstIdBeginsWithThePrefix) {
    start(UsbWorld(), kUninstallerRemoval);
    DeleteVidPid(context());

    EXPECT_THAT(DeviceIds(world()), ElementsAre("B", "C", "D", "F"));
    EXPECT_THAT(logLines(), ElementsAre("DeleteVidPid BEGIN", "VID&PID : USB\\Vid_2E9C&Pid_000b", "DeleteVidPid END"));
    EXPECT_THAT(stepTexts(), ElementsAre("Deleting Vid & Pid info..."));
    EXPECT_THAT(sleeps(), ElementsAre(500u));
    EXPECT_EQ(sim().deviceSetup().openListCount(), 0u);
}

TEST_F(RemovalTest, ADeviceThatCannotBeRemovedEndsTheWalk) {
    start(UsbWorld(), kInstallerRemoval);
    sim().faults().failCall("DeviceSetup.removeDevice", err::AccessDenied, 1);

    EXPECT_EQ(RemoveUsbDevices(context(), "USB\\Vid_2E9C&Pid_000b"), 0);
    DeleteVidPid(context(), Reporting::Quiet);  // the next run gets them all

    EXPECT_THAT(DeviceIds(world()), ElementsAre("B", "C", "D", "F"));
    EXPECT_EQ(sim().deviceSetup().openListCount(), 0u);
    EXPECT_THAT(stepTexts(), IsEmpty());
    EXPECT_THAT(sleeps(), IsEmpty());
}

TEST_F(RemovalTest, AUsbWalkWithoutAMatchingDeviceLogsItsThreeLinesAndRemovesNothing) {
    sim::World usb = *sim::FreshImage("win7-x86");
    usb.devices.clear();
    AddUsbDevice(usb, "B", {"USB\\VID_2E9C&PID_000C&REV_0100"});
    AddUsbDevice(usb, "F", {"USB\\COMPOSITE", "USB\\VID_2E9C&PID_000B"});
    start(std::move(usb), kInstallerRemoval);

    DeleteVidPid(context(), Reporting::Quiet);
    EXPECT_THAT(logLines(), ElementsAre("DeleteVidPid BEGIN", "VID&PID : USB\\Vid_2E9C&Pid_000b", "DeleteVidPid END"));
    EXPECT_NE(RemoveUsbDevices(context(), "USB\\Vid_2E9C&Pid_000b"), 0);  // the walk ended normally
    EXPECT_THAT(DeviceIds(world()), ElementsAre("B", "F"));
    EXPECT_EQ(sim().deviceSetup().openListCount(), 0u);
}

// On 64-bit Windows the 32-bit programs may not remove devices themselves:
// the 64-bit device removal program does it, started hidden by its full
// path, and whatever keeps it from its work is logged with its code. The
// uninstaller deletes its copy in the product folder afterwards.
struct HelperRow {
    const char* name;
    const RemovalForm* form;
    const char* programPath;  // where the image holds the program; null: nowhere
    sim::Bitness bitness;     // of the program as built
    std::uint64_t runMs;
    std::vector<std::string> devicesLeft;
    std::vector<std::string> failureLines;  // between BEGIN and the VID&PID line
    bool programLeft;
    friend void PrintTo(const HelperRow& row, std::ostream* out) { *out << row.name; }
};

constexpr const char* kProductFolderProgram = "C:\\Windows\\KVT-580duo\\KVT580duo_DeviceRemoval.exe";
constexpr const char* kPackageProgram = "C:\\Setup\\Driver64\\KVT580duo_DeviceRemoval.exe";

class DeviceRemovalProgramRun : public RemovalTest, public ::testing::WithParamInterface<HelperRow> {};

TEST_P(DeviceRemovalProgramRun, RemovesThroughTheProgramOrLogsWhyNot) {
    const HelperRow& row = GetParam();
    sim::World world = UsbWorld("win10-x64");
    world.currentDirectory = "C:\\Setup";
    if (row.programPath != nullptr) world.files.putFile(row.programPath, "program");
    start(std::move(world), *row.form);
    kvtsim::HostDeviceRemovalProgram(sim(), row.bitness, row.runMs);

    DeleteVidPid(context(), Reporting::Quiet);

    EXPECT_THAT(DeviceIds(this->world()), ElementsAreArray(row.devicesLeft));
    std::vector<std::string> expected{"DeleteVidPid BEGIN"};
    expected.insert(expected.end(), row.failureLines.begin(), row.failureLines.end());
    expected.insert(expected.end(), {"VID&PID : USB\\Vid_2E9C&Pid_000b", "DeleteVidPid END"});
    EXPECT_THAT(logLines(), ElementsAreArray(expected));
    if (row.programPath == nullptr) return;
    EXPECT_EQ(this->world().files.findFile(row.programPath) != nullptr, row.programLeft);
    const auto started = events<std::string>("process", "commandLine");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], "\"" + std::string(row.programPath) + "\" \"USB\\Vid_2E9C&Pid_000b\"");
    EXPECT_THAT(events<bool>("process", "hidden"), ElementsAre(true));
    EXPECT_THAT(events<std::string>("process", "application"), ElementsAre(row.programPath));
    EXPECT_EQ(sim().processes().openProcessCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Wow64, DeviceRemovalProgramRun,
    ::testing::Values(
        // The uninstaller deletes its copy after the device keys (Delete_LPT_USB_Info).
        HelperRow{"UninstallerRunsTheProductFolderCopy", &kUninstallerRemoval, kProductFolderProgram,
                  sim::Bitness::x64, 400, {"B", "C", "D", "F"}, {}, true},
        HelperRow{"InstallerRunsThePackageCopy", &kInstallerRemoval, kPackageProgram, sim::Bitness::x64, 400,
                  {"B", "C", "D", "F"}, {}, true},
        HelperRow{"MissingProgram", &kUninstallerRemoval, nullptr, sim::Bitness::x64, 400,
                  {"A", "B", "C", "D", "E", "F"},
                  {"Failed to start the device removal program : C:\\Windows\\KVT-580duo\\KVT580duo_DeviceRemoval.exe, (3)"},
                  false},
        HelperRow{"ProgramRefusedUnderWow64", &kUninstallerRemoval, kProductFolderProgram, sim::Bitness::x86, 400,
                  {"A", "B", "C", "D", "E", "F"},
                  {"The device removal program failed. (0xE0000235)"}, true},
        HelperRow{"ProgramStillRunningAfterAMinute", &kInstallerRemoval, kPackageProgram, sim::Bitness::x64,
                  120000, {"B", "C", "D", "F"},
                  {"The device removal program did not end within 60000 ms."}, true}),
    RowName());

struct KeyRow {
    const char* name;
    const char* os;
    const char* failingCall;  // the first deletion fails
    bool withNodes;           // device nodes under the keys, as a plugged-in printer leaves them
    std::vector<std::string> usbLines, lptLines;  // after each key's REGKEY lines
    bool keysLeft;
    friend void PrintTo(const KeyRow& row, std::ostream* out) { *out << row.name; }
};

class DeleteLptUsbInfoTest : public RemovalTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(DeleteLptUsbInfoTest, DeletesBothProtectedDeviceKeys) {
    const KeyRow& row = GetParam();
    sim::World world = *sim::FreshImage(row.os);
    for (std::string_view key : {test::kUsbDeviceKey, test::kLptDeviceKey}) {
        world.registry.ensure(key).isProtected = true;
        if (!row.withNodes) continue;
        const std::string id(key.substr(key.find("Enum\\") + 5));
        world.registry.ensure(std::string(key) + "\\7&1").isProtected = true;
        world.devices.push_back({id.substr(0, id.find('\\')), id + "\\7&1", {id + "7E4B"}, {}});
    }
    if (world.os.is64Bit) world.files.putFile(kProductFolderProgram, "program");
    start(std::move(world), kUninstallerRemoval);
    if (row.failingCall != nullptr) sim().faults().failCall(row.failingCall, err::AccessDenied, 1);
    sim().lastError() = 1234;  // the failure line carries the thread's last error, not the call's result

    Delete_LPT_USB_Info(context());

    EXPECT_EQ(hasKey(test::kUsbDeviceKey), row.keysLeft || row.failingCall != nullptr);
    EXPECT_EQ(hasKey(test::kLptDeviceKey), row.keysLeft) << "the second key is tried whatever became of the first";
    EXPECT_TRUE(hasKey("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"));
    std::vector<std::string> expected{"Delete_LPT_USB_Info BEGIN", "REGKEY_1 : " + std::string(test::kUsbDeviceKey),
                                      "REGKEY_2 : " + std::string(test::kUsbDeviceKey.substr(5))};
    expected.insert(expected.end(), row.usbLines.begin(), row.usbLines.end());
    expected.push_back("REGKEY_1 : " + std::string(test::kLptDeviceKey));
    expected.push_back("REGKEY_2 : " + std::string(test::kLptDeviceKey.substr(5)));
    expected.insert(expected.end(), row.lptLines.begin(), row.lptLines.end());
    expected.push_back("Delete_LPT_USB_Info END");
    EXPECT_THAT(logLines(), ElementsAreArray(expected));
    EXPECT_FALSE(hasFile(kProductFolderProgram));
}

const std::string kUsbKeyName = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo";
const std::string kLptKeyName = "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo";

INSTANTIATE_TEST_SUITE_P(
    Rows, DeleteLptUsbInfoTest,
    ::testing::Values(
        KeyRow{"XpX86", "xp-x86", nullptr, false, {}, {}, false},
        KeyRow{"FirstFailsOnXp",
               "xp-x86",
               "Registry.shDeleteKey",
               false,
               {"SHDeleteKey failed : " + kUsbKeyName + " (1234) ", "The device key remains : HKLM\\" + kUsbKeyName},
               {},
               false},
        // From Vista on only SYSTEM deletes them: the device removal does.
        KeyRow{"Win10x64ThroughTheProgram",
               "win10-x64",
               nullptr,
               true,
               {"MyRegDeleteKeyEx failed : " + kUsbKeyName + " (1234) "},
               {"MyRegDeleteKeyEx failed : " + kLptKeyName + " (1234) "},
               false},
        KeyRow{"Vista32ThroughSetupApi",
               "vista-x86",
               nullptr,
               true,
               {"SHDeleteKey failed : " + kUsbKeyName + " (1234) "},
               // the thread's last error is the end of the first node walk's
               {"SHDeleteKey failed : " + kLptKeyName + " (259) "},
               false},
        KeyRow{"Win10KeysWithoutNodesStayAndAreNamed",
               "win10-x64",
               nullptr,
               false,
               {"MyRegDeleteKeyEx failed : " + kUsbKeyName + " (1234) ",
                "The device key remains : HKLM\\" + kUsbKeyName},
               {"MyRegDeleteKeyEx failed : " + kLptKeyName + " (1234) ",
                "The device key remains : HKLM\\" + kLptKeyName},
               true}),
    RowName());

// The INF store of the rows below: the product's INF under several names.
struct InfRow {
    const char* name;
    const char* os;
    SetupProgram program;
    std::vector<std::pair<const char*, std::string>> infs;
    const char* failingCall;
    std::vector<const char*> left;  // INF and PNF files still in the store
    std::vector<std::string> lines;
    friend void PrintTo(const InfRow& row, std::ostream* out) { *out << row.name; }
};

class DeleteInfFileTest : public RemovalTest, public ::testing::WithParamInterface<InfRow> {};

TEST_P(DeleteInfFileTest, RemovesTheOemInfFilesThatListTheDriver) {
    const InfRow& row = GetParam();
    sim::World world = *sim::FreshImage(row.os);
    for (const auto& [name, text] : row.infs) {
        world.files.putFile(std::string("C:\\Windows\\inf\\") + name, text);
        world.files.putFile(std::string("C:\\Windows\\inf\\") + std::string(name).replace(5, 3, "PNF"), "pnf");
    }
    start(std::move(world), row.program == SetupProgram::Installer ? kInstallerRemoval : kUninstallerRemoval);
    if (row.failingCall != nullptr) sim().faults().failCall(row.failingCall, err::AccessDenied, 1);

    DeleteINFFile(context());

    std::vector<std::string> left;
    for (const std::string& file : this->world().files.childFiles("C:\\Windows\\inf"))
        if (!file.starts_with("usbprint") && !file.starts_with("prnge001") && !file.starts_with("ntprint"))
            left.push_back(file);
    EXPECT_THAT(left, ElementsAreArray(row.left));
    EXPECT_THAT(logLines(), ElementsAreArray(row.lines));
    EXPECT_EQ(sim().deviceSetup().openInfCount(), 0u);
}

const std::string kProductInf = test::ProductInfText();
const std::string kX86Only = test::ModelsInf("NORVEX KVT-580duo", {"NORVEX"});
const std::string kX64Only = test::ModelsInf("NORVEX KVT-580duo", {"NORVEX.NTamd64"});
const std::string kSearch64[] = {"SECTION NAME : NORVEX.NTamd64", "KEY NAME : NORVEX KVT-580duo"};
const std::string kSearch32[] = {"SECTION NAME : NORVEX", "KEY NAME : NORVEX KVT-580duo"};

INSTANTIATE_TEST_SUITE_P(
    Rows, DeleteInfFileTest,
    ::testing::Values(
        // Windows removes the PNF itself; the step's own attempt then fails.
        InfRow{
            "Win10ThroughSetup",
            "win10-x64",
            SetupProgram::Uninstaller,
            {{"oem3.inf", kProductInf}, {"oem4.inf", kX86Only}, {"oem7.inf", kProductInf}},
            nullptr,
            {"oem4.inf", "oem4.PNF"},
            {"DeleteINFFile BEGIN", kSearch64[0], kSearch64[1], "DeleteFile Error : C:\\Windows\\inf\\oem3.PNF , (2)",
             "DeleteFile Error : C:\\Windows\\inf\\oem7.PNF , (2)", "DeleteINFFile END"}},
        InfRow{"XpDirectly",
               "xp-x86",
               SetupProgram::Uninstaller,
               {{"oem3.inf", kProductInf}, {"oem4.inf", kX64Only}, {"OEM5.inf", kProductInf}},
               nullptr,
               {"oem4.inf", "oem4.PNF", "OEM5.inf", "OEM5.PNF"},
               {"DeleteINFFile BEGIN", kSearch32[0], kSearch32[1],
                "'C:\\Windows\\inf\\oem3.inf' has been deleted successfully.", "DeleteINFFile END"}},
        InfRow{"VistaThroughSetupQuietly",
               "vista-x86",
               SetupProgram::Installer,
               {{"oem3.inf", kX86Only}},
               nullptr,
               {},
               {"DeleteINFFile BEGIN", "DeleteFile Error : C:\\Windows\\inf\\oem3.PNF , (2)", "DeleteINFFile END"}},
        InfRow{"UnreadableInfIsPassedOver",
               "xp-x86",
               SetupProgram::Uninstaller,
               {{"oem3.inf", kProductInf}},
               "DeviceSetup.openInfFile",
               {"oem3.inf", "oem3.PNF"},
               {"DeleteINFFile BEGIN", kSearch32[0], kSearch32[1], "SetupOpenInfFile failed. 5",
                "The key name was not found.", "DeleteINFFile END"}},
        InfRow{"RefusedUninstallLeavesTheInfSilently",
               "win10-x64",
               SetupProgram::Uninstaller,
               {{"oem3.inf", kProductInf}},
               "DeviceSetup.uninstallOEMInf",
               {"oem3.inf", "oem3.PNF"},
               {"DeleteINFFile BEGIN", kSearch64[0], kSearch64[1], "DeleteINFFile END"}},
        InfRow{
            "NothingMatches",
            "win7-x64",
            SetupProgram::Uninstaller,
            {},
            nullptr,
            {},
            {"DeleteINFFile BEGIN", kSearch64[0], kSearch64[1], "The key name was not found.", "DeleteINFFile END"}}),
    RowName());

}  // namespace
}  // namespace kvt::setup
