// Printers, paper forms, INF files and device nodes whose names sit at and
// past every buffer the setup programs use (255 and 256, 511 and 512, 1013
// and 1024 characters) and hold the characters that trip up text handling:
// '%', '[', '\', quotes and characters above 127. The programs run to their
// usual end; the product's own objects go whatever their names, nobody
// else's object is touched, names are shown and used whole, and the log cuts
// a line at its 1013 characters. A name that does not fit a buffer is never
// cut and used: cut short, it would name another object.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/CaseInsensitive.h"
#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

constexpr std::size_t kLengths[] = {255, 256, 511, 512, 1013, 1024};
constexpr std::size_t kLogMessageMax = 1013;
constexpr const char* kInfStore = "C:\\Windows\\inf\\";  // 15 characters
constexpr const char* kProductHardwareId = "USB\\VID_2E9C&PID_000B&REV_0100";

// `head` followed by a filler up to `length` characters.
std::string Padded(std::string_view head, std::size_t length, char filler = 'x') {
    std::string name(head);
    name.resize(length, filler);
    return name;
}

// Heads with the characters that text handling trips over; printer names
// cannot hold '\' or ',', the others can.
const std::vector<std::string> kPrinterHeads = {"Till %s%d%n %% ", "Till [1] ]", "Till \"2\" 'q' ",
                                               "Caf\xE9 \xA7\xB5\xFF ", "Till %1 [580duo] ", "Till ; = "};
const std::vector<std::string> kOtherHeads = {"Form %s%d%n\\", "Form [x]\\\\", "Form \"q\" '",
                                             "Form \xE9\xFF\x80", "Form ;=,", "Form %%"};

// The message as the log keeps it (cut in the ANSI code page), and as the
// run's result shows it (UTF-8).
std::string AsLogged(const std::string& message) { return sim::AnsiToUtf8(message.substr(0, kLogMessageMax)); }

std::vector<std::string> MessagesStartingWith(const kvtsim::ProgramRun& run, std::string_view start) {
    std::vector<std::string> found;
    for (const std::string& message : LogMessages(run))
        if (message.starts_with(start)) found.push_back(message);
    return found;
}

std::multiset<std::string> Sorted(std::vector<std::string> items) { return {items.begin(), items.end()}; }

// --- Printers ---------------------------------------------------------------------

std::vector<PrinterSpec> ProductPrinters() {
    std::vector<PrinterSpec> printers;
    for (std::size_t i = 0; i < std::size(kLengths); ++i)
        printers.push_back({Padded(kPrinterHeads[i], kLengths[i]), std::string(kProductDriver), "COM1:"});
    return printers;
}

// Printers of another driver with names as long, and one whose driver
// differs from the product's only in letter case.
void PutOtherPrinters(sim::World& world) {
    for (std::size_t length : kLengths)
        PutPrinter(world, {Padded("NORVEX KVT-580duo ", length, 'y'), "Harbor Label 200", "LPT1:"});
    PutPrinter(world, {Padded("Case ", 1024), "NORVEX kvt-580duo", "COM2:"});
}

std::vector<std::string> OtherPrinterNames() {
    std::vector<std::string> names;
    for (std::size_t length : kLengths) names.push_back(Padded("NORVEX KVT-580duo ", length, 'y'));
    names.push_back(Padded("Case ", 1024));
    names.push_back("Shop Label");
    names.push_back("KVT-580duo Counter");
    return names;
}

TEST(HostileNames, UninstallerListsAndDeletesPrintersWholeAndLogsThemCut) {
    sim::World world = ProductWithPrinters("win10-x64", ProductPrinters());
    PutOtherPrinters(world);
    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);

    std::vector<std::string> expected;
    for (const PrinterSpec& printer : ProductPrinters()) expected.push_back(printer.name);
    const auto lists = Events(run, "checkList");
    ASSERT_EQ(lists.size(), 1u);
    std::vector<std::string> listed;
    for (const auto& item : lists[0]["items"]) listed.push_back(item["text"]);
    std::vector<std::string> expectedShown;
    for (const std::string& name : expected) expectedShown.push_back(sim::AnsiToUtf8(name));
    EXPECT_EQ(Sorted(listed), Sorted(expectedShown)) << "the check list shows every name whole";

    EXPECT_TRUE(Logged(run, "The number of printer-objects : 6"));
    std::vector<std::string> loggedObjects;
    for (const std::string& name : expected) loggedObjects.push_back(AsLogged("OBJECT NAME : " + name));
    std::vector<std::string> objects;
    for (const std::string& message : MessagesStartingWith(run, "OBJECT NAME : "))
        objects.push_back(message);
    EXPECT_EQ(Sorted(objects), Sorted(loggedObjects));

    // "Case ..." names the driver in other letter case, which the spooler
    // takes for the same driver: the driver stays for it, and the log says so.
    EXPECT_TRUE(HasProductDriver(run));
    EXPECT_TRUE(Logged(run, "The printer driver stays installed: 1 printers still use it."));
    std::vector<std::string> left;
    for (const std::string& name : PrinterNames(run)) left.push_back(name);
    EXPECT_EQ(Sorted(left), Sorted(OtherPrinterNames())) << "only the product's printers went";
}

TEST(HostileNames, UncheckingTheLongestNameKeepsThatPrinterAndTheDriver) {
    sim::World world = ProductWithPrinters("win10-x64", ProductPrinters());
    const std::string longest = ProductPrinters().back().name;
    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({sim::AnsiToUtf8(longest)}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(HasProductDriver(run));
    std::vector<std::string> productLeft;
    for (const auto& printer : run.result["system"]["spooler"]["printers"])
        if (printer["driver"] == kProductDriver) productLeft.push_back(printer["name"]);
    EXPECT_EQ(productLeft, std::vector<std::string>{sim::AnsiToUtf8(longest)});
}

// The installer finds an older version on printers with such names, removes
// every trace and restarts; other drivers' printers stay.
TEST(HostileNames, VersionReplacementDeletesPrintersWithAnyName) {
    sim::World world = ProductWithPrinters("xp-x86", {});
    for (const PrinterSpec& wanted : ProductPrinters()) {
        sim::PrinterRecord printer;
        printer.name = wanted.name;
        printer.driver = wanted.driver;
        printer.port = wanted.port;
        printer.printProcessor = "WinPrint";
        printer.dataType = "RAW";
        for (const char* value : {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"})
            printer.data.emplace_back(value, ports::RegValue{reg::TypeDword, {2, 0, 0, 0}});
        sim::WritePrinterKey(world.registry, printer);
    }
    PutOtherPrinters(world);
    const kvtsim::ProgramRun run = Install(std::move(world), Answers("COM1"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "RemoveDrivers END"));
    EXPECT_FALSE(run.result["system"]["restart"].is_null());
    std::vector<std::string> left;
    for (const std::string& name : PrinterNames(run)) left.push_back(name);
    std::vector<std::string> others;
    for (const std::string& name : OtherPrinterNames()) others.push_back(sim::AnsiToUtf8(name));
    EXPECT_EQ(Sorted(left), Sorted(others));
}

// --- Paper forms --------------------------------------------------------------------

void AddForm(sim::World& world, std::string name) {
    sim::FormRecord form;
    form.name = std::move(name);
    form.width = 80000;
    form.length = 200000;
    form.imageable[2] = form.width;
    form.imageable[3] = form.length;
    world.spooler.forms.push_back(std::move(form));
}

TEST(HostileNames, FormsWithTheTagGoWhateverTheirNameAndTheOthersStay) {
    sim::World world = ProductWithPrinters("win10-x64", {{"Receipt A"}});
    std::vector<std::string> tagged, untagged;
    for (std::size_t i = 0; i < std::size(kLengths); ++i) {
        // The tag at the end, past every buffer; and nowhere, or in capitals.
        tagged.push_back(Padded(kOtherHeads[i], kLengths[i] - 8) + "[580duo]");
        untagged.push_back(Padded(kOtherHeads[i], kLengths[i]));
    }
    tagged.push_back("[580duo]" + Padded("%s\\", 1016));
    untagged.push_back(Padded("[580DUO] ", 300));
    for (const std::string& name : tagged) AddForm(world, name);
    for (const std::string& name : untagged) AddForm(world, name);

    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);

    std::vector<std::string> expectedLines;
    for (const std::string& name : tagged) expectedLines.push_back(AsLogged("FORM NAMES : " + name + " "));
    expectedLines.push_back("FORM NAMES : Roll 80 x 200 [580duo] ");
    expectedLines.push_back("FORM NAMES : Roll 58 x 100 [580duo] ");
    EXPECT_EQ(Sorted(MessagesStartingWith(run, "FORM NAMES : ")), Sorted(expectedLines));

    const sim::World after = Reloaded(run);
    std::vector<std::string> forms;
    for (const sim::FormRecord& form : after.spooler.forms) forms.push_back(form.name);
    for (const std::string& name : tagged)
        EXPECT_EQ(std::count(forms.begin(), forms.end(), name), 0) << name.substr(0, 40);
    for (const std::string& name : untagged)
        EXPECT_EQ(std::count(forms.begin(), forms.end(), name), 1) << name.substr(0, 40);
    EXPECT_EQ(std::count(forms.begin(), forms.end(), "Label 4x6"), 1);
}

// --- INF files ------------------------------------------------------------------------

std::string ProductModelsInf() { return ModelsInf(std::string(kProductDriver), {"NORVEX", "NORVEX.NTamd64"}); }

// An "oem" INF name of `length` characters, its number first.
std::string OemName(int number, std::size_t length) {
    const std::string head = "oem" + std::to_string(number) + "_%[' \xE9";
    return Padded(head, length - 4, 'n') + ".inf";
}

// On 32-bit Windows before Vista the removal deletes the INF copies itself,
// building each store path in a 256-byte buffer.
TEST(HostileNames, InfCopiesWhosePathDoesNotFitAreNotCutAndDeleted) {
    sim::World world = ProductWithPrinters("xp-x86", {});
    std::vector<std::string> paths;
    int number = 40;
    for (std::size_t length : kLengths) {
        const std::string path = kInfStore + OemName(number++, length - 15);
        ASSERT_EQ(path.size(), length);
        world.files.putFile(path, ProductModelsInf());
        paths.push_back(path);
        // What the cut path would name: another file, which must stay.
        if (length > 255) world.files.putFile(path.substr(0, 255), "another program's file");
    }
    const kvtsim::ProgramRun run = Uninstall(std::move(world));
    ASSERT_EQ(run.exitCode, 0u);
    const sim::World after = Reloaded(run);

    // The one that fits goes, with the line of its success and of its
    // missing PNF file.
    EXPECT_EQ(after.files.findFile(paths[0]), nullptr);
    EXPECT_TRUE(Logged(run, AsLogged("'" + paths[0] + "' has been deleted successfully.")));
    for (std::size_t i = 1; i < paths.size(); ++i) {
        EXPECT_NE(after.files.findFile(paths[i]), nullptr) << paths[i].size();
        const sim::FileRecord* decoy = after.files.findFile(paths[i].substr(0, 255));
        ASSERT_NE(decoy, nullptr) << paths[i].size();
        EXPECT_EQ(decoy->bytes, "another program's file");
        EXPECT_TRUE(Logged(run, AsLogged("DeleteFile Error : " + paths[i] + " , (206)"))) << paths[i].size();
    }
    // The product's ordinary copies went as ever.
    EXPECT_EQ(after.files.findFile("C:\\Windows\\inf\\oem5.inf"), nullptr);
    EXPECT_NE(after.files.findFile("C:\\Windows\\inf\\oem1.inf"), nullptr) << "another model of the maker stays";
}

// From Vista on, and on 64-bit Windows, Setup removes the INF by its bare
// name, which the removal copies into a 512-byte buffer.
TEST(HostileNames, InfNamesThatDoNotFitAreNotCutAndUninstalled) {
    sim::World world = ProductWithPrinters("win10-x64", {{"Receipt A"}});
    std::vector<std::string> names;
    int number = 60;
    for (std::size_t length : kLengths) {
        names.push_back(OemName(number++, length));
        world.files.putFile(kInfStore + names.back(), ProductModelsInf());
    }
    // A 1024-character name whose first 511 characters name another INF of
    // the store.
    const std::string otherInf = Padded("oem70_other", 507) + ".inf";
    const std::string shadowing = otherInf + Padded("_", 509) + ".inf";
    ASSERT_EQ(shadowing.size(), 1024u);
    world.files.putFile(kInfStore + shadowing, ProductModelsInf());
    world.files.putFile(kInfStore + otherInf, ModelsInf("Harbor Label 200", {"HARBOR"}));

    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    const sim::World after = Reloaded(run);
    for (const std::string& name : names) {
        const bool fits = name.size() < 512;
        EXPECT_EQ(after.files.findFile(kInfStore + name) == nullptr, fits) << name.size();
        if (fits) {
            const std::string pnf = kInfStore + name.substr(0, name.size() - 4) + ".PNF";
            EXPECT_TRUE(Logged(run, AsLogged("DeleteFile Error : " + pnf + " , (206)"))) << name.size();
        }
    }
    EXPECT_NE(after.files.findFile(kInfStore + shadowing), nullptr);
    EXPECT_NE(after.files.findFile(kInfStore + otherInf), nullptr) << "another maker's INF stays";
}

// --- Device nodes ------------------------------------------------------------------------

void AddUsbDevice(sim::World& world, std::string instanceId, std::vector<std::string> hardwareIds) {
    sim::DeviceNode node;
    node.enumerator = "USB";
    node.instanceId = std::move(instanceId);
    node.hardwareIds = std::move(hardwareIds);
    world.devices.push_back(std::move(node));
}

TEST(HostileNames, DeviceNodesGoByTheirFirstHardwareIdWhateverTheirInstanceId) {
    sim::World world = ProductWithPrinters("win10-x64", {{"Receipt A"}});
    std::vector<std::string> product, others;
    for (std::size_t i = 0; i < std::size(kLengths); ++i) {
        product.push_back(Padded("USB\\VID_2E9C&PID_000B\\" + std::to_string(i) + "&%s[\"\xE9\\", kLengths[i]));
        AddUsbDevice(world, product.back(), {kProductHardwareId});
        others.push_back(Padded("USB\\VID_2E9D&PID_000B\\" + std::to_string(i) + "&%s[\"\xE9\\", kLengths[i]));
        AddUsbDevice(world, others.back(), {"USB\\VID_2E9D&PID_000B&REV_0100"});
    }
    // The hardware-id list of the last fits the 100-byte buffer exactly (98
    // characters, its zero and the list's zero); one character more and the
    // node is passed over.
    const std::string fits = Padded("usb\\vid_2e9c&pid_000b&rev_", 98, '9');
    const std::string tooLong = Padded("USB\\Vid_2E9C&Pid_000b&REV_", 99, '9');
    AddUsbDevice(world, "USB\\FITS\\1", {fits});
    AddUsbDevice(world, "USB\\TOO_LONG\\1", {tooLong});
    AddUsbDevice(world, "USB\\SECOND\\1", {"USB\\VID_2E9D&PID_0001", kProductHardwareId});
    product.push_back("USB\\FITS\\1");
    others.push_back("USB\\TOO_LONG\\1");
    others.push_back("USB\\SECOND\\1");

    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "VID&PID : USB\\Vid_2E9C&Pid_000b"));
    std::set<std::string> left;
    for (const sim::DeviceNode& node : Reloaded(run).devices) left.insert(node.instanceId);
    for (const std::string& id : product) EXPECT_EQ(left.count(id), 0u) << id.substr(0, 40);
    for (const std::string& id : others) EXPECT_EQ(left.count(id), 1u) << id.substr(0, 40);
}

}  // namespace
}  // namespace kvt::test
