// Spooler scripts: driver and print-processor directories, drivers and
// printers added and deleted, printer data read into buffers of every size,
// enumerations, and the codes for objects that do not exist.
#include <string>
#include <vector>

#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"
#include "tests/differential/Scripts.h"

namespace kvt::diff {
namespace {

using nlohmann::json;
using namespace std::string_literals;

const std::string kDriverFolder = "C:\\Windows\\System32\\spool\\drivers\\x64\\";

// The files of a driver named `driver`, staged where an installer puts them:
// its two modules are DLLs of the environment's machine, as a spooler
// checks them. Wine's spooler calls the user-interface module's entry points
// when it makes a printer's default device mode, so it has them; each
// returns -1, the failure of DrvDocumentPropertySheets and
// DrvDeviceCapabilities (0 would be a size of 0 that Wine goes on to fill).
void StageDriverFiles(Script& s, const std::string& driver) {
    const std::vector<std::string> ui{"DrvDeviceCapabilities", "DrvDocumentPropertySheets", "DrvDevicePropertySheets",
                                      "DrvConvertDevMode", "DrvPrinterEvent"};
    for (const char* part : {"-drv.dll", "-ui.dll"}) {
        const std::vector<std::string> exports = std::string(part) == "-ui.dll" ? ui : std::vector<std::string>{};
        const std::string dll = pe::WriteMinimalDll({pe::kMachineAmd64, driver + part, exports, "stand-in", -1});
        s.add({{"op", "file.write"}, {"path", kDriverFolder + driver + part}, {"hex", Hex(dll)}});
    }
    s.add({{"op", "file.write"}, {"path", kDriverFolder + driver + "-data.gpd"}, {"hex", Hex("stand-in")}});
}

json AddDriver(const std::string& driver, const std::string& environment, const std::string& monitor = "") {
    return {{"op", "spool.addDriver"},     {"name", driver},
            {"environment", environment}, {"driverPath", kDriverFolder + driver + "-drv.dll"},
            {"dataFile", kDriverFolder + driver + "-data.gpd"}, {"configFile", kDriverFolder + driver + "-ui.dll"},
            {"monitor", monitor},         {"defaultDataType", "RAW"}};
}

json AddPrinter(const std::string& name, const std::string& driver, const std::string& port,
                const std::string& processor = "WinPrint", const std::string& dataType = "RAW") {
    return {{"op", "spool.addPrinter"}, {"name", name},        {"driver", driver}, {"port", port},
            {"printProcessor", processor}, {"dataType", dataType}, {"as", "p"}};
}

void AddDirectoryScripts(std::vector<Script>& scripts) {
    struct Row {
        const char* name;
        json environment;
    };
    for (const Row& row : {Row{"own", nullptr}, Row{"x64", "Windows x64"}, Row{"x86", "Windows NT x86"},
                           Row{"w9x", "Windows 4.0"}, Row{"ia64", "Windows IA64"}, Row{"bogus", "Windows Bogus"},
                           Row{"case", "windows X64"}}) {
        Script s(std::string("spool-dirs-") + row.name);
        s.add({{"op", "spool.driverDir"}, {"environment", row.environment}});
        s.add({{"op", "spool.enumProcessors"}, {"environment", row.environment}});
        s.add({{"op", "spool.enumDrivers"}, {"environment", row.environment}});
        scripts.push_back(std::move(s));
    }
}

void AddDriverScripts(std::vector<Script>& scripts) {
    {
        Script s("spool-driver-life");
        const std::string d = s.own("");
        StageDriverFiles(s, d);
        s.add(AddDriver(d, "Windows x64"));
        s.add({{"op", "spool.enumDrivers"}, {"environment", "Windows x64"}});
        s.add({{"op", "spool.enumDrivers"}, {"environment", nullptr}});
        s.add(AddDriver(d, "Windows x64"));
        s.add({{"op", "spool.enumDrivers"}, {"environment", "Windows x64"}});
        s.add({{"op", "spool.deleteDriverEx"}, {"environment", "Windows x64"}, {"name", d}, {"flags", 0}});
        s.add({{"op", "spool.enumDrivers"}, {"environment", "Windows x64"}});
        scripts.push_back(std::move(s));
    }
    struct Row {
        const char* name;
        bool stage;
        const char* environment;
        const char* monitor;
    };
    for (const Row& row : {Row{"missing-files", false, "Windows x64", ""},
                           Row{"unknown-monitor", true, "Windows x64", "KvtDiff No Monitor"},
                           Row{"bogus-environment", true, "Windows Bogus", ""}}) {
        Script s(std::string("spool-driver-") + row.name);
        const std::string d = s.own("");
        if (row.stage) StageDriverFiles(s, d);
        s.add(AddDriver(d, row.environment, row.monitor));
        s.add({{"op", "spool.enumDrivers"}, {"environment", "Windows x64"}});
        scripts.push_back(std::move(s));
    }
    Script s("spool-driver-delete-missing");
    s.add({{"op", "spool.deleteDriverEx"}, {"environment", "Windows x64"}, {"name", s.own("")}, {"flags", 0}});
    scripts.push_back(std::move(s));
}

// A printer of a fresh driver, with the printer calls that the programs make.
Script PrinterScript(const std::string& name) {
    Script s(name);
    StageDriverFiles(s, s.own(""));
    s.add(AddDriver(s.own(""), "Windows x64"));
    return s;
}

void AddPrinterScripts(std::vector<Script>& scripts) {
    {
        Script s = PrinterScript("spool-printer-life");
        const std::string p = s.own(" Printer"), d = s.own("");
        s.add(AddPrinter(p, d, "LPT1:"));
        s.add({{"op", "spool.getPrinter"}, {"h", "p"}});
        s.add({{"op", "spool.enumPrinters"}});
        s.add({{"op", "spool.close"}, {"h", "p"}});
        s.add(AddPrinter(p, d, "LPT1:"));
        s.add({{"op", "spool.open"}, {"name", s.own(" printer")}, {"access", 0xF000C}, {"as", "o"}});
        s.add({{"op", "spool.getPrinter"}, {"h", "o"}});
        s.add({{"op", "spool.deleteDriverEx"}, {"environment", "Windows x64"}, {"name", d}, {"flags", 0}});
        s.add({{"op", "spool.deletePrinter"}, {"h", "o"}});
        s.add({{"op", "spool.close"}, {"h", "o"}});
        s.add({{"op", "spool.open"}, {"name", p}, {"as", "gone"}});
        s.add({{"op", "spool.enumPrinters"}});
        scripts.push_back(std::move(s));
    }
    struct Row {
        const char* name;
        const char* driver;  // empty: the script's own driver
        const char* port;
        const char* processor;
        const char* dataType;
    };
    for (const Row& row : {Row{"unknown-driver", "KvtDiff No Driver", "LPT1:", "WinPrint", "RAW"},
                           Row{"unknown-port", "", "KvtDiff9:", "WinPrint", "RAW"},
                           Row{"unknown-processor", "", "LPT1:", "KvtDiffProc", "RAW"},
                           Row{"unknown-datatype", "", "LPT1:", "WinPrint", "KVTDIFF"},
                           Row{"processor-case", "", "LPT1:", "winprint", "raw"},
                           Row{"empty-name", "", "LPT1:", "WinPrint", "RAW"}}) {
        Script s = PrinterScript(std::string("spool-printer-") + row.name);
        const std::string driver = *row.driver ? row.driver : s.own("");
        const std::string name = std::string(row.name) == "empty-name" ? "" : s.own(" Printer");
        s.add(AddPrinter(name, driver, row.port, row.processor, row.dataType));
        s.add({{"op", "spool.enumPrinters"}});
        s.add({{"op", "spool.deletePrinter"}, {"h", "p"}});
        scripts.push_back(std::move(s));
    }
    Script s("spool-open-missing");
    s.add({{"op", "spool.open"}, {"name", s.own(" Printer")}, {"as", "x"}});
    s.add({{"op", "spool.open"}, {"name", ""}, {"as", "x"}});
    s.add({{"op", "spool.open"}, {"name", nullptr}, {"access", 1}, {"as", "server"}});
    s.add({{"op", "spool.getData"}, {"h", "server"}, {"name", "KvtDiffNone"}, {"size", 64}});
    scripts.push_back(std::move(s));
}

// Printer data of each type, read into buffers too small, exact and large.
void AddPrinterDataScripts(std::vector<Script>& scripts) {
    struct Row {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    };
    const Row rows[] = {{"sz", 1, "value\0"s}, {"dword", 4, "\x03\x00\x00\x00"s}, {"binary", 3, "\x1b\x4a\x00"s},
                        {"empty", 3, ""s}, {"multi", 7, "a\0b\0\0"s}, {"long", 3, std::string(300, 'L')}};
    for (const Row& row : rows) {
        Script s = PrinterScript("spool-data-" + std::string(row.name));
        s.add(AddPrinter(s.own(" Printer"), s.own(""), "LPT1:"));
        s.add({{"op", "spool.setData"}, {"h", "p"}, {"name", "KvtValue"}, {"type", row.type}, {"hex", Hex(row.bytes)}});
        const std::uint32_t size = static_cast<std::uint32_t>(row.bytes.size());
        for (std::uint32_t buffer : {0u, size > 0 ? size - 1 : 1u, size, size + 10, 1024u})
            s.add({{"op", "spool.getData"}, {"h", "p"}, {"name", "KvtValue"}, {"size", buffer}});
        s.add({{"op", "spool.getData"}, {"h", "p"}, {"name", "kvtvalue"}, {"size", 1024}});
        s.add({{"op", "spool.getData"}, {"h", "p"}, {"name", "KvtMissing"}, {"size", 1024}});
        s.add({{"op", "spool.deletePrinter"}, {"h", "p"}});
        scripts.push_back(std::move(s));
    }
}

void AddMonitorScripts(std::vector<Script>& scripts) {
    Script s("spool-monitor-missing-dll");
    s.add({{"op", "spool.addMonitor"}, {"name", s.own("")}, {"environment", "Windows x64"},
           {"dll", "KvtDiffNoSuch.dll"}});
    s.add({{"op", "spool.deleteMonitor"}, {"environment", "Windows x64"}, {"name", s.own("")}});
    scripts.push_back(std::move(s));
}

}  // namespace

void AddSpoolerScripts(std::vector<Script>& scripts) {
    AddDirectoryScripts(scripts);
    AddDriverScripts(scripts);
    AddPrinterScripts(scripts);
    AddPrinterDataScripts(scripts);
    AddMonitorScripts(scripts);
}

}  // namespace kvt::diff
