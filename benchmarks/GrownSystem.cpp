#include "benchmarks/GrownSystem.h"

#include <iterator>
#include <optional>
#include <utility>

#include "Installer/setup_common/ProductConfiguration.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/InfFile.h"
#include "platform/sim/SpoolerKeys.h"
#include "tools/kvtsim/ProgramRun.h"

namespace kvt::bench {
namespace {

constexpr std::string_view kProductDriver = setup::product::DriverName;
constexpr std::string_view kModelTag = "[580duo]";
constexpr std::string_view kOtherDriver = "Harbor Label 200";
constexpr const char* kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:"};
// The product's devices as the printer enumerates on USB.
constexpr std::string_view kProductUsbId = "USB\\VID_2E9C&PID_000B";

std::string Decimal(std::size_t number) { return std::to_string(number); }

// `number` in at least `width` digits of `base` (upper-case hex digits).
std::string Padded(std::size_t number, std::size_t width, unsigned base = 10) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[number % base]);
        number /= base;
    } while (number != 0);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string NativeEnvironment(const sim::World& world) {
    return world.os.is64Bit ? "Windows x64" : "Windows NT x86";
}

std::string InfStore(const sim::World& world) { return world.windowsDirectory + "\\inf"; }

bool ListsProductDriver(const std::string& infText) {
    const sim::InfFile inf = sim::InfFile::Parse(infText);
    for (std::string_view section : {"NORVEX", "NORVEX.NTamd64"})
        if (inf.findLine(section, kProductDriver) != nullptr) return true;
    return false;
}

bool IsOemInf(std::string_view name) {
    return sim::StartsWithNoCase(name, "oem") && name.size() > 4 &&
           sim::EqualsNoCase(name.substr(name.size() - 4), ".inf");
}

// The installer itself, answering as a user who installs on COM1 and
// restarts later.
bool InstallProduct(sim::World& world, std::string& problem) {
    if (!kvtsim::PlacePackage(world, kvtsim::DefaultPackageDirectory(), problem)) return false;
    kvtsim::RunAnswers answers;
    answers.portDialog = "COM1";
    answers.messageBoxes.push_back({"Restarting your computer", ports::MessageAnswer::No});
    kvtsim::ProgramRun run = kvtsim::RunInstaller(std::move(world), answers);
    if (run.exitCode != 0u) {
        problem = "the installer did not end with exit code 0";
        return false;
    }
    world = std::move(run.after);
    return true;
}

void AddOtherDriver(sim::World& world) {
    sim::DriverRecord driver;
    driver.name = std::string(kOtherDriver);
    driver.environment = NativeEnvironment(world);
    driver.driverPath = "HARBORDRV.DLL";
    driver.dataFile = "HARBOR.GPD";
    driver.configFile = "HARBORUI.DLL";
    driver.defaultDataType = "RAW";
    sim::WriteDriverKey(world.registry, driver);
    const std::string folder = world.windowsDirectory + "\\System32\\spool\\drivers\\" +
                               (world.os.is64Bit ? "x64" : "W32X86") + "\\3\\";
    for (const std::string& file : {driver.driverPath, driver.dataFile, driver.configFile})
        world.files.putFile(folder + file, "Harbor " + file);
}

ports::RegValue Dword(std::uint32_t value) {
    return {reg::TypeDword, {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

// Further printers of the product are copies of the one the installer
// made, data and device mode included, named as the installer names them.
bool AddPrinters(sim::World& world, std::size_t n, std::string& problem) {
    const sim::SpoolerObjects objects = sim::ReadSpoolerObjects(world.registry, NativeEnvironment(world));
    const sim::PrinterRecord* installed = nullptr;
    for (const sim::PrinterRecord& printer : objects.printers)
        if (printer.driver == kProductDriver) installed = &printer;
    if (installed == nullptr) {
        problem = "the installer left no printer of the product";
        return false;
    }
    std::size_t productNumber = 0;
    for (std::size_t i = objects.printers.size(); i < n; ++i) {
        sim::PrinterRecord printer;
        if (i % 10 == 0) {
            printer = *installed;
            printer.name = std::string(kProductDriver) + "(#" + Decimal(++productNumber) + ")";
            world.spooler.jobs[printer.name] = {static_cast<std::uint32_t>(2 * i + 1)};
        } else {
            printer.name = "Counter " + Padded(i, 5);
            printer.driver = std::string(kOtherDriver);
            printer.printProcessor = "WinPrint";
            printer.dataType = "RAW";
            printer.attributes = 0x840;
            printer.data.emplace_back("LabelWidth", Dword(100));
            printer.data.emplace_back("Darkness", Dword(static_cast<std::uint32_t>(i % 30)));
            printer.devmode = sim::DevModeRecord{};
            if (i % 25 == 1) world.spooler.jobs[printer.name] = {static_cast<std::uint32_t>(2 * i)};
        }
        printer.port = kPorts[i % std::size(kPorts)];
        sim::WritePrinterKey(world.registry, printer);
    }
    return true;
}

void AddUserForms(sim::World& world, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        sim::FormRecord form;
        form.flags = ports::spool::FormUser;
        form.width = 58000 + static_cast<std::int32_t>(i % 15) * 1000;
        form.length = 100000 + static_cast<std::int32_t>(i % 2000) * 1000;
        if (i % 10 == 0)
            form.name = "Roll " + Padded(i, 5) + " " + std::string(kModelTag);
        else
            form.name = "Label " + Padded(i, 5);
        form.imageable[2] = form.width;
        form.imageable[3] = form.length;
        world.spooler.forms.push_back(std::move(form));
    }
}

std::string OtherMakersInf(std::size_t number) {
    const std::string model = "Maker" + Padded(number, 5) + " Printer";
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
           "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=Maker\r\n"
           "DriverVer=01/01/2020,1.0.0.0\r\n\r\n[Manufacturer]\r\n\"Maker\"=MAKER,NTamd64\r\n\r\n"
           "[MAKER]\r\n\"" + model + "\" = MODEL.GPD\r\n\r\n[MAKER.NTamd64]\r\n\"" + model + "\" = MODEL.GPD\r\n";
}

// Earlier versions of the product's INF beside the copy the installer
// made, until the store holds three of the product's.
bool AddInfFiles(sim::World& world, std::size_t n, std::string& problem) {
    const std::string store = InfStore(world);
    const sim::FileRecord* packageInf = world.files.findFile(world.currentDirectory + "\\kvt580d.inf");
    if (packageInf == nullptr) {
        problem = "the package holds no kvt580d.inf";
        return false;
    }
    const std::string productInf = packageInf->bytes;
    const std::size_t version = productInf.find("3.4.3.0");
    const SystemCounts counts = CountSystem(world);
    std::size_t products = counts.productInfs;
    std::size_t total = counts.oemInfs;
    for (std::size_t number = 0; total < n / 2; ++number) {
        const std::string name = "oem" + Decimal(number) + ".inf";
        if (world.files.findFile(store + "\\" + name) != nullptr) continue;
        if (products < kProductInfCopies && version != std::string::npos) {
            std::string older = productInf;
            older.replace(version, 7, "3.4.2." + Decimal(products));
            world.files.putFile(store + "\\" + name, std::move(older));
            world.files.putFile(store + "\\" + "oem" + Decimal(number) + ".PNF", "precompiled");
            ++products;
        } else {
            world.files.putFile(store + "\\" + name, OtherMakersInf(number));
        }
        ++total;
    }
    return true;
}

void AddUsbDevices(sim::World& world, std::size_t n) {
    std::size_t products = CountSystem(world).productDevices;
    for (std::size_t i = world.devices.size(); i < 5 * n; ++i) {
        sim::DeviceNode node;
        node.enumerator = "USB";
        if (products < kProductUsbDevices && i % (n / 2 + 1) == 0) {
            node.instanceId = std::string(kProductUsbId) + "\\5&2C0F3A&0&" + Decimal(i);
            node.hardwareIds = {std::string(kProductUsbId) + "&REV_0100", std::string(kProductUsbId)};
            ++products;
        } else {
            const std::string id = "USB\\VID_" + Padded(0x1000 + i % 0x800, 4, 16) + "&PID_" + Padded(i % 0x1000, 4, 16);
            node.instanceId = id + "\\6&1B7D00&0&" + Decimal(i);
            node.hardwareIds = {id + "&REV_0200", id};
        }
        world.devices.push_back(std::move(node));
    }
}

}  // namespace

SystemCounts ExpectedCounts(std::size_t n) {
    SystemCounts counts;
    counts.printers = n;
    counts.productPrinters = (n + 9) / 10;
    counts.userForms = n;
    counts.productForms = (n + 9) / 10;
    counts.oemInfs = n / 2;
    counts.productInfs = kProductInfCopies;
    counts.usbDevices = 5 * n;
    counts.productDevices = kProductUsbDevices;
    return counts;
}

SystemCounts CountSystem(const sim::World& world) {
    SystemCounts counts;
    const sim::SpoolerObjects objects = sim::ReadSpoolerObjects(world.registry, NativeEnvironment(world));
    for (const sim::PrinterRecord& printer : objects.printers) {
        ++counts.printers;
        if (printer.driver == kProductDriver) ++counts.productPrinters;
    }
    for (const sim::FormRecord& form : world.spooler.forms) {
        if (form.flags != ports::spool::FormUser) continue;
        ++counts.userForms;
        if (form.name.find(kModelTag) != std::string::npos) ++counts.productForms;
    }
    const std::string store = InfStore(world);
    for (const std::string& name : world.files.childFiles(store)) {
        if (!IsOemInf(name)) continue;
        ++counts.oemInfs;
        if (ListsProductDriver(world.files.findFile(store + "\\" + name)->bytes)) ++counts.productInfs;
    }
    for (const sim::DeviceNode& node : world.devices) {
        if (!sim::EqualsNoCase(node.enumerator, "USB")) continue;
        ++counts.usbDevices;
        if (sim::StartsWithNoCase(node.instanceId, kProductUsbId)) ++counts.productDevices;
    }
    return counts;
}

sim::World GrownSystem(std::string_view os, std::size_t n, std::string& problem) {
    problem.clear();
    std::optional<sim::World> fresh = sim::FreshImage(os);
    if (!fresh) {
        problem = "unknown system " + std::string(os);
        return {};
    }
    sim::World world = std::move(*fresh);
    if (n < 10) {
        problem = "a grown system has at least 10 printers";
        return world;
    }
    if (!InstallProduct(world, problem) || !AddInfFiles(world, n, problem)) return world;
    AddOtherDriver(world);
    if (!AddPrinters(world, n, problem)) return world;
    AddUserForms(world, n);
    AddUsbDevices(world, n);
    return world;
}

}  // namespace kvt::bench
