#include "tools/kvtsim/KvtsimCli.h"

#include <algorithm>
#include <exception>
#include <istream>
#include <ostream>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/ImageCompare.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "tools/kvtsim/ProgramRun.h"

namespace kvt::kvtsim {
namespace {

constexpr std::string_view kDefaultOs = "win10-x64";

std::string JoinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

int PrintUsage(KvtsimIo& io) {
    io.out << "usage:\n";
    for (const auto& command : KvtsimCommands()) io.out << "  kvtsim " << command.usage << "\n";
    return kExitOk;
}

int Dispatch(const std::vector<std::string>& args, KvtsimIo& io) {
    std::string commandNames;
    for (const auto& command : KvtsimCommands()) commandNames += (commandNames.empty() ? "" : ", ") + std::string(command.name);
    if (args.empty()) return UsageError(io.err, "no command given (commands: " + commandNames + ")");
    if (args[0] == "--help" || args[0] == "help") return PrintUsage(io);
    for (const auto& command : KvtsimCommands()) {
        if (args[0] == command.name) return command.run({args.begin() + 1, args.end()}, io);
    }
    return UsageError(io.err, "unknown command \"" + args[0] + "\" (commands: " + commandNames + ")");
}

}  // namespace

const std::vector<KvtsimCommand>& KvtsimCommands() {
    static const std::vector<KvtsimCommand> commands{
        {"image", "image [--os NAME] [--package DIR] [--untrusted]", RunImageCommand},
        {"startup", "startup installer|uninstaller --system FILE [--out FILE] [--format json|text]",
         RunStartupCommand},
        {"run",
         "run installer|uninstaller --system FILE [--args TEXT] [--answers FILE] [--package DIR] [--out FILE] "
         "[--format json|text]",
         RunRunCommand},
        {"compare", "compare BEFORE AFTER", RunCompareCommand},
        {"plugin", "plugin printer-event --system FILE --printer NAME [--event CODE] [--out FILE] | sheet --system FILE "
         "--printer NAME --script FILE [--sheet document|device] [--out FILE] | encode TEXT | decode HEX",
         RunPluginCommand},
    };
    return commands;
}

int UsageError(std::ostream& err, std::string_view message) {
    err << "kvtsim: " << message << "\n";
    return kExitUsage;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            const std::vector<std::string_view>& known, std::string& problem) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.size() < 2 || word.compare(0, 2, "--") != 0) {
            line.positional.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        bool isKnown = false;
        for (auto k : known) isKnown = isKnown || k == name;
        if (!isKnown) {
            problem = "unknown option \"" + word + "\"";
            return std::nullopt;
        }
        if (line.options.count(name)) {
            problem = "option \"" + word + "\" given twice";
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            problem = "option \"" + word + "\" needs a value";
            return std::nullopt;
        }
        line.options[name] = args[++i];
    }
    return line;
}

int RunImageCommand(const std::vector<std::string>& givenArgs, KvtsimIo& io) {
    std::string problem;
    std::vector<std::string> args = givenArgs;
    const auto untrustedFlag = std::find(args.begin(), args.end(), "--untrusted");
    const bool untrusted = untrustedFlag != args.end();
    if (untrusted) args.erase(untrustedFlag);
    auto line = ParseCommandLine(args, {"os", "package"}, problem);
    if (!line) return UsageError(io.err, "image: " + problem);
    if (!line->positional.empty())
        return UsageError(io.err, "image: unexpected argument \"" + line->positional.front() + "\"");
    auto os = line->options.count("os") ? line->options["os"] : std::string(kDefaultOs);
    auto world = sim::FreshImage(os);
    if (!world)
        return UsageError(io.err, "image: unknown os \"" + os + "\" (known: " + JoinNames(sim::KnownOsNames()) + ")");
    // The system as a user has it just before the installer starts: the
    // package already in the current directory, as `run` would place it.
    const std::string package =
        line->options.count("package") ? line->options["package"] : DefaultPackageDirectory().string();
    if (line->options.count("package") && !PlacePackage(*world, package, problem))
        return UsageError(io.err, "image: " + problem);
    // A company computer to which the maker's certificate was deployed, or
    // one that trusts nobody.
    if (untrusted)
        world->extra["trustedPublishers"] = nlohmann::json::array();
    else
        TrustPackagePublisher(*world, package);
    io.out << sim::SaveImage(*world).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    io.out.flush();
    return io.out ? kExitOk : kExitFailure;
}

int RunKvtsim(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    KvtsimIo io{in, out, err};
    try {
        return Dispatch(args, io);
    } catch (const std::exception& e) {
        err << "kvtsim: internal error: " << e.what() << "\n";
    } catch (...) {
        err << "kvtsim: internal error\n";
    }
    return kExitFailure;
}

}  // namespace kvt::kvtsim
