// The printer sweep and the driver's deletion with its registry fallback.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Installer/setup_common/PrinterRemoval.h"
#include "platform/ports/WinCodes.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/setup_common/removal/RemovalTestSupport.h"

namespace kvt::setup {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::RemovalTest;
using testing::RowName;
using ::testing::UnorderedElementsAre;

constexpr const char* kPrint = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print";

std::vector<std::string> PrinterNames(sim::Simulation& sim) {
    std::vector<std::string> names;
    for (const sim::PrinterRecord& printer : sim.spooler().memory()->printers) names.push_back(printer.name);
    return names;
}

TEST_F(RemovalTest, SweepDeletesOnlyPrintersOfExactlyTheProductsDriver) {
    start(test::InstallProduct(test::SystemBeforeProduct("xp-x86")), kInstallerRemoval);
    ports::PrinterInfo2 lowerCase;
    lowerCase.printerName = "Counter lower case";
    lowerCase.portName = "COM1:";
    lowerCase.driverName = "norvex kvt-580duo";
    lowerCase.printProcessor = "WinPrint";
    ports::PrinterHandle handle;
    ASSERT_EQ(sim().spooler().addPrinter(lowerCase, handle), 0u);
    sim().spooler().closePrinter(handle);

    DeleteDriverPrinters(context());

    EXPECT_THAT(PrinterNames(sim()), UnorderedElementsAre("Shop Label", "KVT-580duo Counter", "Counter lower case"));
    EXPECT_THAT(world().spooler.jobs["Shop Label"], ElementsAre(7u));
}

TEST_F(RemovalTest, FailedPrinterListShowsTheErrorAndEndsTheInstallerBeforeDeletingAnything) {
    start(test::InstallProduct(test::SystemBeforeProduct("win10-x64")), kInstallerRemoval);
    sim().faults().failCall("Spooler.enumPrinters", err::AccessDenied);

    EXPECT_THROW(DeleteDriverPrinters(context()), sim::ProcessExited);

    const auto boxes = events<nlohmann::json>("messageBox", "text");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "EnumPrinters Error Code: 5\n\nAccess is denied.\r\n");
    EXPECT_THAT(events<std::string>("messageBox", "icon"), ElementsAre("warning"));
    EXPECT_THAT(events<std::uint32_t>("exit", "code"), ElementsAre(0u));
    EXPECT_EQ(PrinterNames(sim()).size(), 4u);
    EXPECT_TRUE(logLines().empty());
}

// Windows 9x and NT before 4.0 know only "cancel" for a job; later systems
// take "delete".
struct JobCommandRow {
    const char* name;
    std::uint32_t platform;  // 1 Windows 9x, 2 NT
    std::uint32_t major, minor;
    std::uint32_t command;
};

class JobCommandTest : public RemovalTest, public ::testing::WithParamInterface<JobCommandRow> {};

TEST_P(JobCommandTest, DeletingAPrinterSendsEachJobTheCommandOfItsSystem) {
    const JobCommandRow& row = GetParam();
    sim::World image = test::InstallProduct(test::SystemBeforeProduct("xp-x86"));
    image.os.platform = row.platform;
    image.os.major = row.major;
    image.os.minor = row.minor;
    start(std::move(image), kUninstallerRemoval);

    DeletePrinterObject(context(), "NORVEX KVT-580duo");

    std::vector<std::uint32_t> commands;
    for (const auto& given : sim().spooler().jobCommands()) commands.push_back(given.command);
    EXPECT_THAT(commands, ElementsAre(row.command, row.command)) << "one command for each of the two jobs";
    EXPECT_FALSE(world().spooler.jobs.contains("NORVEX KVT-580duo"));
}

INSTANTIATE_TEST_SUITE_P(Rows, JobCommandTest,
                         ::testing::Values(JobCommandRow{"Windows98CancelsJobs", 1, 4, 10, 3},
                                           JobCommandRow{"NT351CancelsJobs", 2, 3, 51, 3},
                                           JobCommandRow{"NT4DeletesJobs", 2, 4, 0, 5},
                                           JobCommandRow{"Windows2000DeletesJobs", 2, 5, 0, 5}),
                         RowName());

struct DriverRow {
    const char* name;
    const char* os;
    SetupProgram program;
    bool printersLeft;  // they keep the spooler from deleting the driver
    int result;
    std::vector<std::string> lines;
    friend void PrintTo(const DriverRow& row, std::ostream* out) { *out << row.name; }
};

class DeletePrinterDrvTest : public RemovalTest, public ::testing::WithParamInterface<DriverRow> {};

TEST_P(DeletePrinterDrvTest, DeletesTheDriverOfTheSystemsEnvironmentAndRestartsTheSpooler) {
    const DriverRow& row = GetParam();
    start(test::InstallProduct(test::SystemBeforeProduct(row.os)),
          row.program == SetupProgram::Installer ? kInstallerRemoval : kUninstallerRemoval);
    if (!row.printersLeft)
        for (const char* printer : {"NORVEX KVT-580duo", "Receipt 2"}) DeletePrinterObject(context(), printer);

    EXPECT_EQ(DeletePrinterDrv(context(), "KVT-580duo"), row.result);

    EXPECT_THAT(logLines(), ElementsAreArray(row.lines));
    EXPECT_THAT(commands(), ElementsAre("net stop spooler", "net start spooler"));
    for (const std::string& application : events<std::string>("process", "application"))
        EXPECT_EQ(application, "C:\\Windows\\system32\\net.exe");
    const std::string environment = world().os.is64Bit ? "Windows x64" : "Windows NT x86";
    // A driver that printers still use stays for them.
    EXPECT_EQ(
        hasKey(std::string(kPrint) + "\\Environments\\" + environment + "\\Drivers\\Version-3\\NORVEX KVT-580duo"),
        row.printersLeft);
    EXPECT_TRUE(
        hasKey(std::string(kPrint) + "\\Environments\\" + environment + "\\Drivers\\Version-3\\Harbor Label 200"));
    // Only the spooler takes the driver's files along.
    EXPECT_EQ(hasFile(test::NativeDriverDirectory(world()) + "\\3\\UNIDRV.DLL"), row.printersLeft);
}

const std::string kX64DriverKey =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\NORVEX KVT-580duo";
const std::string kPrinterLeft = "Printer not deleted : NORVEX KVT-580duo (status 0x00000000, 2 print jobs)";
const std::string kReceiptLeft = "Printer not deleted : Receipt 2 (status 0x00000000, 0 print jobs)";
const std::string kDriverStays = "The printer driver stays installed: 2 printers still use it.";

INSTANTIATE_TEST_SUITE_P(
    Rows, DeletePrinterDrvTest,
    ::testing::Values(DriverRow{"SpoolerDeletesX64Driver",
                                "win10-x64",
                                SetupProgram::Installer,
                                false,
                                1,
                                {"DeletePrinterDrv BEGIN", "DeletePrinterDrv END"}},
                      DriverRow{"SpoolerDeletesX86Driver",
                                "xp-x86",
                                SetupProgram::Uninstaller,
                                false,
                                1,
                                {"DeletePrinterDrv BEGIN", "DeletePrinterDrv END"}},
                      DriverRow{"InstallerNamesThePrintersThatKeepTheDriver",
                                "win10-x64",
                                SetupProgram::Installer,
                                true,
                                0,
                                {"DeletePrinterDrv BEGIN", kPrinterLeft, kReceiptLeft, kDriverStays,
                                 "DeletePrinterDrv END"}},
                      DriverRow{"UninstallerLogsTheRefusal",
                                "xp-x86",
                                SetupProgram::Uninstaller,
                                true,
                                0,
                                {"DeletePrinterDrv BEGIN", "DeletePrinterDriverEx returned FALSE. (3001)", kPrinterLeft,
                                 kReceiptLeft, kDriverStays, "DeletePrinterDrv END"}}),
    RowName());


// A printer whose job is being printed to a port that does not answer is
// only marked for deletion: the driver must stay for it, and the user hears
// which printer keeps it.
TEST_F(RemovalTest, APrinterWaitingForItsJobKeepsTheDriverAndIsNamed) {
    sim::World image = test::InstallProduct(test::SystemBeforeProduct("win10-x64"));
    image.spooler.offlinePorts = {"LPT2:"};
    start(std::move(image), kUninstallerRemoval);
    const std::string copy = "NORVEX KVT-580duo (Copy 1)";
    ports::PrinterInfo2 info;
    info.printerName = copy;
    info.portName = "LPT2:";
    info.driverName = "NORVEX KVT-580duo";
    info.printProcessor = "WinPrint";
    ports::PrinterHandle handle;
    ASSERT_EQ(sim().spooler().addPrinter(info, handle), 0u);
    sim().spooler().closePrinter(handle);
    world().spooler.jobs[copy] = {11};
    for (const std::string printer : {"NORVEX KVT-580duo", "Receipt 2", copy.c_str()})
        DeletePrinterObject(context(), printer);

    EXPECT_EQ(DeletePrinterDrv(context(), "KVT-580duo"), 0);

    EXPECT_TRUE(hasKey("HKLM\\" + kX64DriverKey));
    EXPECT_TRUE(hasKey(std::string(kPrint) + "\\Printers\\" + copy));
    const std::vector<std::string> lines = logLines();
    EXPECT_THAT(lines, ::testing::Contains("Printer not deleted : " + copy +
                                           " (pending deletion until its 1 print jobs have ended)"));
    EXPECT_THAT(lines, ::testing::Contains("The printer driver stays installed: 1 printers still use it."));
    const auto boxes = events<std::string>("messageBox", "text");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(copy + " (print jobs pending)\n"), std::string::npos) << boxes[0];
}

}  // namespace
}  // namespace kvt::setup
