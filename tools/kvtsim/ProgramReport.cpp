#include "tools/kvtsim/ProgramReport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "Installer/setup_common/ProductConfiguration.h"

namespace kvt::kvtsim {
namespace {

using nlohmann::json;

// Text with its line breaks and other control characters visible.
std::string Quoted(const json& value) { return value.is_string() ? value.dump() : std::string("\"\""); }

std::string Text(const json& object, const char* field) {
    auto it = object.find(field);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::string Number(const json& object, const char* field) {
    auto it = object.find(field);
    return it != object.end() && it->is_number() ? it->dump() : std::string("?");
}

std::string Hex(const json& value) {
    if (!value.is_number_unsigned() && !value.is_number_integer()) return "?";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value.get<unsigned>());
    return buffer;
}

std::string EventLine(const json& event) {
    const std::string kind = Text(event, "event");
    if (kind == "window") return "window " + Quoted(event.value("title", json()));
    if (kind == "stepText") return "step text " + Quoted(event.value("text", json()));
    if (kind == "progress") return "progress bar at " + Number(event, "position");
    if (kind == "sleep") return "sleep " + Number(event, "ms") + " ms";
    if (kind == "wait") return "wait " + Number(event, "ms") + " ms: " + Text(event, "result");
    if (kind == "dialog")
        return "dialog " + Quoted(event.value("title", json())) + ": selection " + Number(event, "selection") + ", " +
               Text(event, "result");
    if (kind == "messageBox")
        return "message box [" + Text(event, "icon") + ", " + Text(event, "buttons") + "] " +
               Quoted(event.value("text", json())) + " -> " + Text(event, "answer");
    if (kind == "process") {
        std::string line = "process " + Text(event, "application") + ": " + Text(event, "commandLine");
        if (event.value("hidden", false)) line += " (hidden)";
        if (auto it = event.find("environment"); it != event.end() && it->is_array())
            for (const json& entry : *it) line += " [" + (entry.is_string() ? entry.get<std::string>() : "?") + "]";
        return line;
    }
    if (kind == "restart") return "restart requested, flags " + Number(event, "flags");
    if (kind == "exit") return "exit " + Number(event, "code");
    return event.dump();
}

const json& Array(const json& object, const char* field) {
    static const json empty = json::array();
    auto it = object.find(field);
    return it != object.end() && it->is_array() ? *it : empty;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsProductFile(const std::string& path) {
    namespace p = setup::product;
    static const std::array<std::string_view, 10> names = {
        p::DriverDll,   p::LanguageMonitorDll, p::PrintProcessorDll, p::UiPluginDll,           p::SecondDriverDll,
        p::GpdFile,     p::BudFile,            p::PluginIniFile,     p::UninstallerProgramFile, "KVT580duo_Config.NVX"};
    const std::string name = Lower(FileNameOf(path));
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return Lower(std::string(n)) == name; });
}

bool IsInside(const std::string& path, const std::string& directory) {
    if (directory.empty()) return false;
    const std::string lowerPath = Lower(path), lowerDirectory = Lower(directory) + "\\";
    return lowerPath.compare(0, lowerDirectory.size(), lowerDirectory) == 0;
}

std::string ValueText(const json& value) {
    const std::string type = Text(value, "type");
    auto data = value.find("data");
    if (data == value.end()) return type + " (raw)";
    return type + " " + (data->is_string() ? Quoted(*data) : data->dump());
}

void Section(std::string& out, const char* title, const std::vector<std::string>& lines) {
    out += std::string(title) + ":" + (lines.empty() ? " none\n" : "\n");
    for (const std::string& line : lines) out += "  " + line + "\n";
}

}  // namespace

std::string TranscriptText(const json& transcript) {
    std::string out;
    if (!transcript.is_array()) return out;
    for (const json& event : transcript) out += "  " + (event.is_object() ? EventLine(event) : event.dump()) + "\n";
    return out;
}

std::string SystemSummaryText(const json& image) {
    const json& spooler = image.contains("spooler") && image["spooler"].is_object() ? image["spooler"] : json::object();
    std::string out;

    std::vector<std::string> lines;
    for (const json& printer : Array(spooler, "printers"))
        lines.push_back(Quoted(printer.value("name", json())) + ": driver " + Quoted(printer.value("driver", json())) +
                        ", port " + Text(printer, "port") + ", processor " +
                        Quoted(printer.value("printProcessor", json())) + ", attributes " +
                        Hex(printer.value("attributes", json())));
    Section(out, "printers", lines);

    lines.clear();
    for (const json& driver : Array(spooler, "drivers"))
        lines.push_back(Text(driver, "environment") + ": " + Quoted(driver.value("name", json())) + " (version " +
                        Number(driver, "version") + ", monitor " + Quoted(driver.value("monitor", json())) + ")");
    Section(out, "printer drivers", lines);

    lines.clear();
    for (const json& monitor : Array(spooler, "monitors"))
        lines.push_back(Quoted(monitor.value("name", json())) + " (" + Text(monitor, "dll") + ")");
    Section(out, "monitors", lines);

    lines.clear();
    for (const json& processor : Array(spooler, "printProcessors"))
        lines.push_back(Text(processor, "environment") + ": " + Quoted(processor.value("name", json())) + " (" +
                        Text(processor, "dll") + ")");
    Section(out, "print processors", lines);

    const std::string uninstallKey = Lower(std::string(setup::product::UninstallKey));
    for (const json& key : Array(image, "registry")) {
        const std::string path = Text(key, "key");
        const std::string lower = Lower(path);
        if (lower.size() < uninstallKey.size() ||
            lower.compare(lower.size() - uninstallKey.size(), uninstallKey.size(), uninstallKey) != 0)
            continue;
        lines.clear();
        if (auto values = key.find("values"); values != key.end() && values->is_object())
            for (const auto& [name, value] : values->items()) lines.push_back(name + " = " + ValueText(value));
        Section(out, ("uninstall entry " + path).c_str(), lines);
    }

    const std::string windows = Text(image, "windowsDirectory");
    const std::string currentDirectory = Text(image, "currentDirectory");
    const std::string driverLine = "\"" + std::string(setup::product::DriverName) + "\"";
    std::vector<std::string> infCopies, files;
    for (const json& file : Array(image, "files")) {
        const std::string path = Text(file, "path");
        if (IsInside(path, windows + "\\inf") && Lower(FileNameOf(path)).rfind("oem", 0) == 0 &&
            Text(file, "text").find(driverLine) != std::string::npos)
            infCopies.push_back(path);
        else if (IsProductFile(path) && !IsInside(path, currentDirectory))
            files.push_back(path);
    }
    Section(out, "INF copies of the product", infCopies);
    Section(out, "product files", files);

    if (auto restart = image.find("restart"); restart != image.end() && restart->is_object())
        out += "restart: requested, flags " + Number(*restart, "flags") + "\n";
    else
        out += "restart: not requested\n";
    return out;
}

std::string ProgramRunText(const json& result) {
    std::string text = "program: " + Text(result, "program") + "\n";
    const json exitCode = result.value("exitCode", json());
    text += "exit code: " + (exitCode.is_null() ? std::string("(still running)") : exitCode.dump()) + "\n";
    text += "-- transcript --\n" + TranscriptText(result.value("transcript", json::array()));
    text += "-- log --\n";
    std::string log = Text(result, "log");
    for (std::size_t pos = 0; (pos = log.find("\r\n", pos)) != std::string::npos;) log.replace(pos, 2, "\n");
    text += log;
    text += "-- the system afterwards --\n" + SystemSummaryText(result.value("system", json::object()));
    text += "-- virtual time: " + result.value("elapsedMs", json(0)).dump() + " ms --\n";
    return text;
}

}  // namespace kvt::kvtsim
