// kvtsim plugin printer-event --system FILE --printer NAME [--event CODE] [--out FILE]
// kvtsim plugin sheet --system FILE --printer NAME --script FILE [--sheet document|device] [--out FILE]
// kvtsim plugin encode TEXT
// kvtsim plugin decode HEX
//
// The plug-in's portable core outside any host: its printer initialisation
// against a system image, and its command codec.
#include <cctype>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"
#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"
#include "driversrc/kvt-580duo/DrvPackage/PrinterSetup.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/Simulation.h"
#include "tools/kvtsim/KvtsimCli.h"
#include "tools/kvtsim/PluginSheet.h"
#include "tools/kvtsim/RunResult.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::kvtsim {
namespace {

constexpr const char* kSubcommands = "printer-event, sheet, encode, decode";

std::string Hex32(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

std::string LowerHex(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
    return text;
}

int PrintJson(const nlohmann::json& result, const std::optional<std::string>& outFile, KvtsimIo& io,
              const std::string& command) {
    std::string problem;
    const std::string text = result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!WriteOutput(text, outFile, io.out, problem)) return UsageError(io.err, "plugin " + command + ": " + problem);
    return kExitOk;
}

// A decimal event code of PrinterEvent.
std::optional<int> EventCode(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    return std::stoi(text);
}

nlohmann::json PrinterEntry(const nlohmann::json& image, const std::string& name) {
    const auto printers = image.find("spooler") != image.end() ? image["spooler"].value("printers", nlohmann::json())
                                                                 : nlohmann::json();
    if (printers.is_array()) {
        for (const auto& printer : printers)
            if (printer.value("name", std::string()) == name) return printer;
    }
    return nullptr;
}

int RunPrinterEvent(const std::vector<std::string>& args, KvtsimIo& io) {
    std::string problem;
    auto line = ParseCommandLine(args, {"system", "printer", "event", "out"}, problem);
    if (!line) return UsageError(io.err, "plugin printer-event: " + problem);
    if (!line->positional.empty())
        return UsageError(io.err, "plugin printer-event: unexpected argument \"" + line->positional.front() + "\"");
    if (!line->options.count("system")) return UsageError(io.err, "plugin printer-event: --system FILE is required");
    if (!line->options.count("printer")) return UsageError(io.err, "plugin printer-event: --printer NAME is required");
    int event = plugin::printer_event::Initialize;
    if (line->options.count("event")) {
        auto code = EventCode(line->options["event"]);
        if (!code)
            return UsageError(io.err, "plugin printer-event: --event must be a decimal event code, not \"" +
                                          line->options["event"] + "\"");
        event = *code;
    }
    const std::string printerName = line->options["printer"];
    auto ansiName = sim::Utf8ToAnsi(printerName, problem);
    if (!ansiName) return UsageError(io.err, "plugin printer-event: --printer: " + problem);

    sim::World world;
    std::string errorLine;
    if (!sim::LoadSystemImageFile(line->options["system"], io.in, world, errorLine))
        return UsageError(io.err, errorLine);
    // The plug-in runs in the spooler's process, of the system's own bitness.
    const auto bitness = world.os.is64Bit ? sim::Bitness::x64 : sim::Bitness::x86;
    ProductSimulation sim(std::move(world), bitness);
    const plugin::HResult result =
        plugin::PrinterEvent(sim.pluginSpooler(), sim::AnsiToUtf16(*ansiName), event);

    nlohmann::json output;
    output["command"] = "printer-event";
    output["printer"] = printerName;
    output["event"] = event;
    output["hresult"] = Hex32(static_cast<std::uint32_t>(result));
    const std::string_view name = plugin::HResultName(result);
    output["result"] = name.empty() ? nlohmann::json(nullptr) : nlohmann::json(std::string(name));
    output["system"] = sim::SaveImage(sim.snapshot());
    output["printerAfter"] = PrinterEntry(output["system"], printerName);
    std::optional<std::string> outFile;
    if (line->options.count("out")) outFile = line->options["out"];
    return PrintJson(output, outFile, io, "printer-event");
}

int RunEncode(const std::vector<std::string>& args, KvtsimIo& io) {
    if (args.size() != 1) return UsageError(io.err, "plugin encode: give the command text as one argument");
    const std::string& text = args[0];
    // Typed text reaches the codec in the ANSI code page, as the page converts it.
    std::string problem;
    auto ansi = sim::Utf8ToAnsi(text, problem);
    if (!ansi) return UsageError(io.err, "plugin encode: " + problem);
    plugin::CommandBytes bytes{};
    std::uint32_t count = 0;
    const int complete = plugin::EncodeCommandText(*ansi, bytes, true, count);
    nlohmann::json output;
    output["command"] = "encode";
    output["text"] = text;
    output["complete"] = complete == 1;
    output["count"] = count;
    output["hex"] = LowerHex(bytes.data(), count);
    return PrintJson(output, std::nullopt, io, "encode");
}

// Nothing (and `problem` says why) unless `hex` is an even number of hex digits.
std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& hex, std::string& problem) {
    if (hex.size() % 2 != 0) {
        problem = "an odd number of hexadecimal digits";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(hex[i])) ||
            !std::isxdigit(static_cast<unsigned char>(hex[i + 1]))) {
            problem = "\"" + hex.substr(i, 2) + "\" at offset " + std::to_string(i) + " is not a hexadecimal byte";
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    if (bytes.size() > plugin::kCommandBytesMax) {
        problem = std::to_string(bytes.size()) + " bytes, more than a command holds (2048)";
        return std::nullopt;
    }
    return bytes;
}

int RunDecode(const std::vector<std::string>& args, KvtsimIo& io) {
    if (args.size() != 1) return UsageError(io.err, "plugin decode: give the bytes as one hexadecimal argument");
    std::string problem;
    auto bytes = ParseHex(args[0], problem);
    if (!bytes) return UsageError(io.err, "plugin decode: " + problem);
    plugin::CommandText text{};
    const bool complete = plugin::DecodeCommandBytes(*bytes, text) == 1;
    nlohmann::json output;
    output["command"] = "decode";
    output["hex"] = LowerHex(bytes->data(), bytes->size());
    output["complete"] = complete;
    // The page leaves its edit empty when the text does not fit.
    output["text"] = complete ? std::string(text.data()) : std::string();
    return PrintJson(output, std::nullopt, io, "decode");
}

}  // namespace

int RunPluginCommand(const std::vector<std::string>& args, KvtsimIo& io) {
    if (args.empty()) return UsageError(io.err, std::string("plugin: name what to run (") + kSubcommands + ")");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "printer-event") return RunPrinterEvent(rest, io);
    if (args[0] == "sheet") return RunPluginSheetCommand(rest, io);
    if (args[0] == "encode") return RunEncode(rest, io);
    if (args[0] == "decode") return RunDecode(rest, io);
    return UsageError(io.err, "plugin: unknown subcommand \"" + args[0] + "\" (" + kSubcommands + ")");
}

}  // namespace kvt::kvtsim
