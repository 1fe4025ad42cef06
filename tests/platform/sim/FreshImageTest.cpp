#include "platform/sim/FreshImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SpoolerKeys.h"

namespace kvt::sim {
namespace {

struct ReleaseCase {
    const char* os;
    std::uint32_t major, minor, build;
    bool is64Bit;
    const char* currentVersion;
};

std::string SzText(const RegistryKeyRecord& key, std::string_view name) {
    for (const auto& [valueName, value] : key.values) {
        if (EqualsNoCase(valueName, name) && value.type == reg::TypeSz && !value.data.empty() && value.data.back() == 0)
            return {value.data.begin(), value.data.end() - 1};
    }
    return "<missing>";
}

class FreshImageTest : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(FreshImageTest, VersionAndBitnessMatchTheRelease) {
    const ReleaseCase& c = GetParam();
    auto world = FreshImage(c.os);
    ASSERT_TRUE(world);
    EXPECT_EQ(world->os.platform, 2u);
    EXPECT_EQ(world->os.major, c.major);
    EXPECT_EQ(world->os.minor, c.minor);
    EXPECT_EQ(world->os.build, c.build);
    EXPECT_EQ(world->os.productType, 1u);
    EXPECT_EQ(world->os.is64Bit, c.is64Bit);
    const RegistryKeyRecord* version = world->registry.find("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(SzText(*version, "CurrentVersion"), c.currentVersion);
    EXPECT_EQ(SzText(*version, "CurrentBuild"), std::to_string(c.build));
    EXPECT_NE(SzText(*version, "ProductName"), "<missing>");
}

TEST_P(FreshImageTest, SystemDirectoriesFollowTheBitness) {
    const ReleaseCase& c = GetParam();
    World world = *FreshImage(c.os);
    EXPECT_EQ(world.windowsDirectory, "C:\\Windows");
    EXPECT_EQ(world.currentDirectory, "C:\\Setup");
    ASSERT_NE(world.files.findDirectory("C:\\Setup"), nullptr);
    EXPECT_TRUE(world.files.childFiles("C:\\Setup").empty());
    EXPECT_TRUE(world.files.childDirectories("C:\\Setup").empty());
    for (const char* name : {"net.exe", "cmd.exe", "rundll32.exe", "kernel32.dll", "advapi32.dll", "setupapi.dll",
                             "winspool.drv", "localspl.dll"}) {
        const FileRecord* file = world.files.findFile(std::string("C:\\Windows\\System32\\") + name);
        ASSERT_NE(file, nullptr) << name;
        EXPECT_NE(file->bytes.find("simulated system file"), std::string::npos) << name;
        EXPECT_EQ(world.files.findFile(std::string("C:\\Windows\\SysWOW64\\") + name) != nullptr, c.is64Bit) << name;
    }
    for (const char* dir : {"C:\\Windows\\System32\\spool\\drivers\\W32X86\\3",
                            "C:\\Windows\\System32\\spool\\PRINTERS", "C:\\Windows\\System32\\spool\\prtprocs\\w32x86"})
        EXPECT_NE(world.files.findDirectory(dir), nullptr) << dir;
    for (const char* dir :
         {"C:\\Windows\\System32\\spool\\drivers\\x64\\3", "C:\\Windows\\System32\\spool\\prtprocs\\x64"})
        EXPECT_EQ(world.files.findDirectory(dir) != nullptr, c.is64Bit) << dir;
}

TEST_P(FreshImageTest, SpoolerHasThePortsMonitorAndProcessorsOfItsEnvironment) {
    const ReleaseCase& c = GetParam();
    World world = *FreshImage(c.os);
    const std::string native = c.is64Bit ? "Windows x64" : "Windows NT x86";
    const SpoolerImage& s = world.spooler;
    EXPECT_TRUE(s.running);
    EXPECT_EQ(s.ports, (std::vector<std::string>{"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:"}));
    // The spooler's objects exist only as its registry keys.
    const SpoolerObjects objects = ReadSpoolerObjects(world.registry, native);
    ASSERT_EQ(objects.monitors.size(), 1u);
    EXPECT_EQ(objects.monitors[0].name, "Local Port");
    EXPECT_EQ(objects.monitors[0].environment, native);
    EXPECT_EQ(objects.monitors[0].dll, "localspl.dll");
    std::vector<std::string> processorEnvironments;
    for (const auto& p : objects.printProcessors) {
        EXPECT_EQ(p.name, "WinPrint");
        EXPECT_EQ(p.dll, "winprint.dll");
        processorEnvironments.push_back(p.environment);
        EXPECT_NE(world.files.findFile("C:\\Windows\\System32\\spool\\prtprocs\\" +
                                       std::string(p.environment == "Windows x64" ? "x64" : "W32X86") +
                                       "\\winprint.dll"),
                  nullptr)
            << p.environment;
    }
    auto expected = c.is64Bit ? std::vector<std::string>{"Windows NT x86", "Windows x64"}
                              : std::vector<std::string>{"Windows NT x86"};
    EXPECT_EQ(processorEnvironments, expected);
    EXPECT_TRUE(objects.drivers.empty());
    EXPECT_TRUE(objects.printers.empty());
    const std::string control = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print";
    EXPECT_NE(world.registry.find(control + "\\Environments\\" + native + "\\Drivers\\Version-3"), nullptr);
    const RegistryKeyRecord* winprint =
        world.registry.find(control + "\\Environments\\" + native + "\\Print Processors\\WinPrint");
    ASSERT_NE(winprint, nullptr);
    EXPECT_EQ(SzText(*winprint, "Driver"), "winprint.dll");
    const RegistryKeyRecord* localPort = world.registry.find(control + "\\Monitors\\Local Port");
    ASSERT_NE(localPort, nullptr);
    EXPECT_EQ(SzText(*localPort, "Driver"), "localspl.dll");
    EXPECT_NE(world.registry.find(control + "\\Printers"), nullptr);
}

TEST_P(FreshImageTest, OtherSoftwareIsRegisteredInBothViews) {
    const ReleaseCase& c = GetParam();
    World world = *FreshImage(c.os);
    EXPECT_FALSE(world.registry.children("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall").empty());
    EXPECT_EQ(
        world.registry.children("HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall").size(),
        c.is64Bit ? 1u : 0u);
}

TEST_P(FreshImageTest, SaveParseSaveIsIdentical) {
    const ReleaseCase& c = GetParam();
    const std::string first = SaveImage(*FreshImage(c.os)).dump(2);
    World loaded;
    auto error = ParseImageText(first, loaded);
    ASSERT_FALSE(error) << error->jsonPath << ": " << error->reason;
    EXPECT_EQ(SaveImage(loaded).dump(2), first);
}

INSTANTIATE_TEST_SUITE_P(Releases, FreshImageTest,
                         ::testing::Values(ReleaseCase{"xp-x86", 5, 1, 2600, false, "5.1"},
                                           ReleaseCase{"xp-x64", 5, 2, 3790, true, "5.2"},
                                           ReleaseCase{"vista-x86", 6, 0, 6002, false, "6.0"},
                                           ReleaseCase{"win7-x86", 6, 1, 7601, false, "6.1"},
                                           ReleaseCase{"win7-x64", 6, 1, 7601, true, "6.1"},
                                           ReleaseCase{"win10-x64", 10, 0, 19045, true, "6.3"}),
                         [](const auto& row) {
                             std::string name = row.param.os;
                             for (char& ch : name) ch = ch == '-' ? '_' : ch;
                             return name;
                         });

TEST(FreshImageNamesTest, EveryKnownNameHasAnImageAndNoOtherDoes) {
    EXPECT_EQ(KnownOsNames(),
              (std::vector<std::string>{"xp-x86", "xp-x64", "vista-x86", "win7-x86", "win7-x64", "win10-x64"}));
    for (const auto& name : KnownOsNames()) EXPECT_TRUE(FreshImage(name)) << name;
    for (const char* name : {"", "win10", "WIN10-X64", "win11-x64", "xp-x86 "}) EXPECT_FALSE(FreshImage(name)) << name;
}

TEST(FreshImageContentTest, BuiltInFormsCoverTheWholeSheet) {
    World world = *FreshImage("win10-x64");
    struct Size {
        const char* name;
        std::int32_t width, length;
    };
    for (const Size& size :
         {Size{"Letter", 215900, 279400}, Size{"Legal", 215900, 355600}, Size{"Executive", 184150, 266700},
          Size{"A3", 297000, 420000}, Size{"A4", 210000, 297000}, Size{"A5", 148000, 210000},
          Size{"B5 (JIS)", 182000, 257000}, Size{"Envelope #10", 104775, 241300}}) {
        const FormRecord* found = nullptr;
        for (const auto& form : world.spooler.forms) found = form.name == size.name ? &form : found;
        ASSERT_NE(found, nullptr) << size.name;
        EXPECT_EQ(found->flags, 1u) << size.name;
        EXPECT_EQ(found->width, size.width) << size.name;
        EXPECT_EQ(found->length, size.length) << size.name;
        EXPECT_EQ(std::vector<std::int32_t>(found->imageable, found->imageable + 4),
                  (std::vector<std::int32_t>{0, 0, size.width, size.length}))
            << size.name;
    }
}

TEST(FreshImageContentTest, InfStoreHoldsStockInfsButNoOemCopies) {
    World world = *FreshImage("win7-x86");
    auto infs = world.files.childFiles("C:\\Windows\\inf");
    EXPECT_GE(infs.size(), 2u);
    for (const auto& name : infs) {
        EXPECT_FALSE(StartsWithNoCase(name, "oem")) << name;
        const std::string& text = world.files.findFile("C:\\Windows\\inf\\" + name)->bytes;
        EXPECT_NE(text.find("[Version]\r\n"), std::string::npos) << name;
        EXPECT_NE(text.find("[Manufacturer]\r\n"), std::string::npos) << name;
        EXPECT_NE(text.find("Signature=\"$Windows NT$\""), std::string::npos) << name;
    }
}

TEST(FreshImageContentTest, DeviceKeysAreProtectedAndPrinterEnumeratorsEmpty) {
    World world = *FreshImage("win10-x64");
    const std::string enumKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum";
    const RegistryKeyRecord* hub = world.registry.find(enumKey + "\\USB\\ROOT_HUB20\\4&1");
    ASSERT_NE(hub, nullptr);
    EXPECT_TRUE(hub->isProtected);
    for (const char* name : {"USBPRINT", "LPTENUM"}) {
        const RegistryKeyRecord* key = world.registry.find(enumKey + "\\" + name);
        ASSERT_NE(key, nullptr) << name;
        EXPECT_TRUE(key->isProtected) << name;
        EXPECT_FALSE(world.registry.hasChildren(enumKey + "\\" + name)) << name;
    }
    ASSERT_EQ(world.devices.size(), 2u);
    for (const auto& device : world.devices) {
        EXPECT_EQ(device.enumerator, "USB");
        EXPECT_FALSE(device.hardwareIds.empty());
        EXPECT_EQ(device.instanceId.find("VID_2E9C"), std::string::npos) << "no device of the product";
        EXPECT_NE(world.registry.find(enumKey + "\\" + device.instanceId), nullptr) << device.instanceId;
    }
    EXPECT_TRUE(world.shutdownPrivilege);
    EXPECT_FALSE(world.otherInstanceRunning);
    EXPECT_FALSE(world.restart);
}

}  // namespace
}  // namespace kvt::sim
