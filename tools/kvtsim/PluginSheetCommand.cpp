// kvtsim plugin sheet --system FILE --printer NAME --script FILE [--sheet document|device] [--out FILE]
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SimPluginSpooler.h"
#include "platform/sim/Simulation.h"
#include "tools/kvtsim/PluginSheet.h"
#include "tools/kvtsim/RunResult.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::kvtsim {
namespace {

constexpr const char* kCommand = "plugin sheet: ";

nlohmann::json PrinterEntry(const nlohmann::json& image, const std::string& name) {
    const auto spooler = image.find("spooler");
    if (spooler == image.end()) return nullptr;
    const auto printers = spooler->find("printers");
    if (printers == spooler->end() || !printers->is_array()) return nullptr;
    for (const auto& printer : *printers)
        if (printer.value("name", std::string()) == name) return printer;
    return nullptr;
}

std::optional<SheetKind> SheetNamed(const std::string& name) {
    if (name == "document") return SheetKind::Document;
    if (name == "device") return SheetKind::Device;
    return std::nullopt;
}

}  // namespace

int RunPluginSheetCommand(const std::vector<std::string>& args, KvtsimIo& io) {
    std::string problem;
    auto line = ParseCommandLine(args, {"system", "printer", "script", "sheet", "out"}, problem);
    if (!line) return UsageError(io.err, kCommand + problem);
    auto& options = line->options;
    if (!line->positional.empty())
        return UsageError(io.err, std::string(kCommand) + "unexpected argument \"" + line->positional.front() + "\"");
    for (const char* required : {"system", "printer", "script"}) {
        if (!options.count(required))
            return UsageError(io.err, std::string(kCommand) + "--" + required + " " +
                                          (std::string(required) == "printer" ? "NAME" : "FILE") + " is required");
    }
    if (options["system"] == "-" && options["script"] == "-")
        return UsageError(io.err, std::string(kCommand) + "--system and --script cannot both read standard input");
    const std::string sheetName = options.count("sheet") ? options["sheet"] : "document";
    const std::optional<SheetKind> kind = SheetNamed(sheetName);
    if (!kind)
        return UsageError(io.err, std::string(kCommand) + "--sheet must be document or device, not \"" + sheetName +
                                      "\"");
    const std::string printerName = options["printer"];
    auto ansiName = sim::Utf8ToAnsi(printerName, problem);
    if (!ansiName) return UsageError(io.err, std::string(kCommand) + "--printer: " + problem);

    std::string errorLine;
    const std::optional<SheetScript> script = LoadSheetScriptFile(options["script"], io.in, errorLine);
    if (!script) return UsageError(io.err, errorLine);
    sim::World world;
    if (!sim::LoadSystemImageFile(options["system"], io.in, world, errorLine)) return UsageError(io.err, errorLine);

    // The sheet's host runs with the system's own bitness and opens the
    // printer before it asks the plug-in for its pages: with full access,
    // and for a user who may not have it, with the right to print only.
    const auto bitness = world.os.is64Bit ? sim::Bitness::x64 : sim::Bitness::x86;
    ProductSimulation sim(std::move(world), bitness);
    const std::u16string wideName = sim::AnsiToUtf16(*ansiName);
    ports::PrinterHandle printer;
    std::uint32_t error = sim.pluginSpooler().openPrinter(wideName, ports::spool::PrinterAllAccess, printer);
    if (error == err::AccessDenied)
        error = sim.pluginSpooler().openPrinter(wideName, ports::spool::PrinterAccessUse, printer);
    if (error != err::Success)
        return UsageError(io.err, std::string(kCommand) + "--printer: the image's printer \"" + printerName +
                                      "\" cannot be opened (error " + std::to_string(error) + ")");
    plugin::PageState state;
    plugin::BindPrinter(state, wideName, printer);
    const SheetRun run = RunPluginSheet(sim, state, *kind, *script);
    sim.pluginSpooler().closePrinter(printer);
    if (run.problem) return UsageError(io.err, options["script"] + ": " + *run.problem);

    nlohmann::json output;
    output["command"] = "sheet";
    output["printer"] = printerName;
    output["sheet"] = sheetName;
    output["pages"] = run.pages;
    output["dialogs"] = run.dialogs;
    output["applyEnabled"] = run.applyEnabled;
    output["closed"] = run.closed ? nlohmann::json(*run.closed) : nlohmann::json(nullptr);
    output["transcript"] = sim.transcript().toJson();
    output["system"] = sim::SaveImage(sim.snapshot());
    output["printerAfter"] = PrinterEntry(output["system"], printerName);
    std::optional<std::string> outFile;
    if (options.count("out")) outFile = options["out"];
    const std::string text = output.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!WriteOutput(text, outFile, io.out, problem)) return UsageError(io.err, kCommand + problem);
    return kExitOk;
}

}  // namespace kvt::kvtsim
