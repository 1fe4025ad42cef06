// The spooler adapter against a real spooler: a driver from stand-in files,
// a printer on COM1:, its data and settings, the enumerations, deletion.
//
// What Wine cannot show, and the probe therefore only reports: its form
// calls are stubs (AddFormA succeeds and adds nothing), so is EnumJobsA, its
// DeletePrinterDriverExA fails with 87, AddPrinterA does not notice a taken
// name, and no list grows between the two calls of an enumeration here (the
// retry of the dance is tested natively).
// Wine's AddPrinterDriverA copies whatever files it is given and loads the
// configuration file only to call an optional DrvDriverEvent, so plain stand-in
// files serve as the driver.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

constexpr const char* kEnvironment = "Windows x64";  // the probe is a 64-bit program
constexpr const char* kDriver = "KVT Probe Stand-in Driver";
constexpr const char* kPrinter = "KVT Probe Printer";
constexpr const char* kPrintKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\";
constexpr const char* kStandInFiles[] = {"KVTPROBE.DLL", "KVTPROBE.GPD", "KVTPROBEUI.DLL", "KVTPROBE.HLP",
                                         "KVTPROBE.INI"};

// The spooler's objects are registry keys; the removal's fallbacks delete them there.
bool KeyExists(ports::Registry& registry, const std::string& subKey) {
    ports::RegKey key;
    if (registry.openKey(ports::hkey::LocalMachine, subKey, reg::Read | reg::Wow64_64Key, key) != err::Success)
        return false;
    registry.closeKey(key);
    return true;
}

bool EndsWithNoCase(std::string text, std::string suffix) {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        return s;
    };
    text = lower(std::move(text));
    suffix = lower(std::move(suffix));
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string CodeText(std::uint32_t code) { return "code " + std::to_string(code); }

std::string DriverDirectory(ports::Spooler& spooler, ProbeReport& report) {
    std::string directory;
    report.code(spooler.getPrinterDriverDirectory(std::nullopt, directory), err::Success,
                "GetPrinterDriverDirectoryA of the own environment");
    report.check(EndsWithNoCase(directory, "\\spool\\drivers\\x64"), "a 64-bit program's driver directory is x64",
                 directory);
    std::string processors;
    report.code(spooler.getPrintProcessorDirectory(std::string(kEnvironment), processors), err::Success,
                "GetPrintProcessorDirectoryA");
    report.check(EndsWithNoCase(processors, "\\spool\\prtprocs\\x64"), "the print-processor directory is x64",
                 processors);
    std::string unknown;
    report.code(spooler.getPrinterDriverDirectory(std::string("Windows Probe"), unknown), err::InvalidEnvironment,
                "an unknown environment is refused");
    return directory;
}

ports::DriverInfo3 StandInDriver(const std::string& staged) {
    ports::DriverInfo3 d;
    d.version = 3;
    d.name = kDriver;
    d.environment = kEnvironment;
    d.driverPath = staged + "\\KVTPROBE.DLL";
    d.dataFile = staged + "\\KVTPROBE.GPD";
    d.configFile = staged + "\\KVTPROBEUI.DLL";
    d.helpFile = staged + "\\KVTPROBE.HLP";
    d.dependentFiles = {staged + "\\KVTPROBE.INI"};
    d.defaultDataType = "RAW";
    return d;
}

bool CheckDriver(win32::Win32Platform& windows, const std::string& staged, ProbeReport& report) {
    for (const char* file : kStandInFiles) windows.files().writeFile(staged + "\\" + file, "stand-in driver file");
    auto& spooler = windows.spooler();
    if (!report.code(spooler.addPrinterDriver(StandInDriver(staged)), err::Success, "AddPrinterDriverA level 3"))
        return false;
    std::vector<ports::DriverInfo3> drivers;
    report.code(spooler.enumPrinterDrivers(std::nullopt, drivers), err::Success, "EnumPrinterDriversA level 3");
    auto found = std::find_if(drivers.begin(), drivers.end(), [](const auto& d) { return d.name == kDriver; });
    if (!report.check(found != drivers.end(), "the new driver is listed")) return false;
    report.check(found->version == 3 && found->environment == kEnvironment, "with its version and environment",
                 found->environment);
    report.check(EndsWithNoCase(found->configFile, "\\3\\KVTPROBEUI.DLL"), "its files are in the version folder",
                 found->configFile);
    report.check(found->dependentFiles.size() == 1 && EndsWithNoCase(found->dependentFiles[0], "KVTPROBE.INI"),
                 "the dependent-file list reads back");
    std::uint32_t attributes = 0;
    report.code(windows.files().getFileAttributes(found->dataFile, attributes), err::Success,
                "the data file was copied");
    report.check(KeyExists(windows.registry(),
                           std::string(kPrintKey) + "Environments\\Windows x64\\Drivers\\Version-3\\" + kDriver),
                 "the driver has its key under Environments\\Windows x64\\Drivers\\Version-3");
    return true;
}

void CheckPrinterData(ports::Spooler& spooler, ports::PrinterHandle printer, ProbeReport& report) {
    report.code(spooler.setPrinterData(printer, "MajorVersion", {reg::TypeDword, {3, 0, 0, 0}}), err::Success,
                "SetPrinterDataA REG_DWORD");
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    report.code(spooler.getPrinterData(printer, "MajorVersion", 4, value, needed), err::Success,
                "GetPrinterDataA into 4 bytes");
    report.check(value.type == reg::TypeDword && value.data == std::vector<std::uint8_t>{3, 0, 0, 0},
                 "the value reads back");
    report.code(spooler.getPrinterData(printer, "MajorVersion", 2, value, needed), err::MoreData,
                "GetPrinterDataA into 2 bytes");
    report.check(needed == 4, "and says it needs 4", std::to_string(needed));
    report.code(spooler.getPrinterData(printer, "ExtraVersion", 4, value, needed), err::FileNotFound,
                "GetPrinterDataA of a missing value");
}

void CheckSettings(ports::Spooler& spooler, ports::PrinterHandle printer, ProbeReport& report) {
    ports::PrinterInfo2 info;
    if (!report.code(spooler.getPrinter(printer, info), err::Success, "GetPrinterA level 2")) return;
    report.check(info.printerName == kPrinter && info.portName == "COM1:" && info.driverName == kDriver,
                 "name, port and driver read back", info.portName);
    info.comment = "set by the adapter probe";
    report.code(spooler.setPrinter(printer, info), err::Success, "SetPrinterA level 2");
    ports::PrinterInfo2 again;
    spooler.getPrinter(printer, again);
    report.check(again.comment == info.comment, "the comment was written", again.comment);
    // Wine's EnumJobsA is a stub that returns FALSE and sets no error.
    std::vector<std::uint32_t> jobs{1};
    const std::uint32_t listed = spooler.enumJobs(printer, 0, 1000, jobs);
    if (listed == err::Success) {
        report.check(jobs.empty(), "EnumJobsA level 3: a new printer has no jobs");
    } else {
        report.check(true, "EnumJobsA level 3 (not asserted: a stub under Wine)", CodeText(listed));
    }
}

bool Listed(ports::Spooler& spooler, ProbeReport& report) {
    std::vector<ports::PrinterInfo2> printers;
    report.code(spooler.enumPrinters(ports::spool::EnumLocal, printers), err::Success, "EnumPrintersA level 2");
    return std::any_of(printers.begin(), printers.end(), [](const auto& p) { return p.printerName == kPrinter; });
}

// Wine's form calls are stubs: report what they return, assert only that the
// adapter passes the calls through without failing on its own.
void ReportForms(ports::Spooler& spooler, ProbeReport& report) {
    ports::PrinterHandle server;
    if (!report.code(spooler.openPrinter(std::nullopt, nullptr, server), err::Success, "OpenPrinterA of the server"))
        return;
    std::vector<ports::FormInfo1> before, after;
    const std::uint32_t listed = spooler.enumForms(server, before);
    const std::uint32_t added =
        spooler.addForm(server, {0, "KVT Probe Roll [580duo]", 80000, 297000, 0, 0, 80000, 297000});
    spooler.enumForms(server, after);
    ports::FormInfo1 form;
    const std::uint32_t got = spooler.getForm(server, "KVT Probe Roll [580duo]", form);
    const std::uint32_t deleted = spooler.deleteForm(server, "KVT Probe Roll [580duo]");
    report.check(true, "forms (not asserted: stubs under Wine)",
                 "EnumFormsA " + CodeText(listed) + " with " + std::to_string(before.size()) + ", AddFormA " +
                     CodeText(added) + ", then " + std::to_string(after.size()) + " forms, GetFormA " + CodeText(got) +
                     ", DeleteFormA " + CodeText(deleted));
    report.code(spooler.closePrinter(server), err::Success, "ClosePrinter of the server");
}

void CheckPrinter(win32::Win32Platform& windows, ProbeReport& report) {
    auto& spooler = windows.spooler();
    ports::PrinterInfo2 info;
    info.printerName = kPrinter;
    info.portName = "COM1:";
    info.driverName = kDriver;
    info.printProcessor = "winprint";
    info.dataType = "RAW";
    info.attributes = ports::spool::AttributeEnableBidi | ports::spool::AttributeRawOnly;
    info.priority = 1;
    ports::PrinterHandle added;
    if (!report.code(spooler.addPrinter(info, added), err::Success, "AddPrinterA level 2 on COM1:")) return;
    report.code(spooler.closePrinter(added), err::Success, "ClosePrinter of the added printer");
    // Windows refuses a taken name with 1802; Wine's check of it looks for a
    // subkey where a value is meant and never finds one, so it adds again.
    ports::PrinterHandle again;
    const std::uint32_t taken = spooler.addPrinter(info, again);
    if (taken == err::Success) spooler.closePrinter(again);
    report.check(taken == err::PrinterAlreadyExists || taken == err::Success, "AddPrinterA of a taken name",
                 taken == err::Success ? "added again, as Wine does" : "1802");
    report.check(Listed(spooler, report), "EnumPrintersA lists the new printer");

    ports::PrinterHandle missing;
    report.code(spooler.openPrinter(std::string("KVT Probe No Such Printer"), nullptr, missing),
                err::InvalidPrinterName, "OpenPrinterA of an unknown name");
    ports::PrinterDefaults defaults{std::string("RAW"), ports::spool::PrinterAllAccess};
    ports::PrinterHandle printer;
    if (!report.code(spooler.openPrinter(std::string(kPrinter), &defaults, printer), err::Success,
                     "OpenPrinterA with RAW and full access"))
        return;
    CheckPrinterData(spooler, printer, report);
    report.check(
        KeyExists(windows.registry(), std::string(kPrintKey) + "Printers\\" + kPrinter + "\\PrinterDriverData"),
        "the printer has its key under Printers, its data in PrinterDriverData");
    CheckSettings(spooler, printer, report);
    report.code(spooler.deletePrinter(printer), err::Success, "DeletePrinter");
    report.code(spooler.closePrinter(printer), err::Success, "ClosePrinter after the deletion");
    report.code(spooler.closePrinter(printer), err::InvalidHandle, "a closed handle is refused");
    report.check(!Listed(spooler, report), "the deleted printer is no longer listed");
    report.check(!KeyExists(windows.registry(), std::string(kPrintKey) + "Printers\\" + kPrinter),
                 "and its key is gone");
}

void CheckDriverDeletion(ports::Spooler& spooler, ProbeReport& report) {
    const std::uint32_t deleted =
        spooler.deletePrinterDriverEx(std::string(kEnvironment), kDriver, ports::spool::DeleteUnusedFiles, 3);
    // Windows deletes it; Wine refuses every such call with 87.
    report.check(deleted == err::Success || deleted == err::InvalidParameter, "DeletePrinterDriverExA",
                 deleted == err::Success ? "deleted" : "87, as Wine answers");
    report.code(spooler.deletePrinterDriverEx(std::string(kEnvironment), "KVT Probe No Such Driver", 0, 3),
                deleted == err::Success ? err::UnknownPrinterDriver : err::InvalidParameter,
                "DeletePrinterDriverExA of an unknown driver");
}

void CheckMonitorFailures(ports::Spooler& spooler, ProbeReport& report) {
    report.code(spooler.addMonitor({"KVT Probe Monitor", kEnvironment, "KVTPROBEMON.DLL"}), err::ModNotFound,
                "AddMonitorA without its DLL");
    report.code(spooler.deleteMonitor(std::nullopt, "KVT Probe Monitor"), err::UnknownPrintMonitor,
                "DeleteMonitorA of an unknown monitor");
    std::vector<std::string> processors;
    report.code(spooler.enumPrintProcessors(std::nullopt, processors), err::Success, "EnumPrintProcessorsA level 1");
    report.check(!processors.empty(), "the system's print processor is listed",
                 processors.empty() ? "" : processors.front());
}

}  // namespace

void CheckSpooler(win32::Win32Platform& windows, ProbeReport& report) {
    auto& spooler = windows.spooler();
    const std::string staged = DriverDirectory(spooler, report);
    ports::PrinterInfo2 none;
    report.code(spooler.getPrinter(ports::PrinterHandle{1}, none), err::InvalidHandle,
                "a handle the adapter never gave out is refused");
    CheckMonitorFailures(spooler, report);
    if (!staged.empty() && CheckDriver(windows, staged, report)) {
        CheckPrinter(windows, report);
        CheckDriverDeletion(spooler, report);
    }
    ReportForms(spooler, report);
    for (const char* file : kStandInFiles) windows.files().deleteFile(staged + "\\" + file);
    report.check(windows.spooler().openPrinterCount() == 0, "every printer handle was closed");
}

}  // namespace kvt::probe
