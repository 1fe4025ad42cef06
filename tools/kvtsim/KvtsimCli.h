#pragma once
// The command line of kvtsim: a table of commands, each given the arguments
// after its name. Unusable input ends with status 2 and one line on standard
// error starting "kvtsim: ".
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::kvtsim {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct KvtsimIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

struct KvtsimCommand {
    std::string_view name;
    std::string_view usage;  // the synopsis after "kvtsim "
    int (*run)(const std::vector<std::string>& args, KvtsimIo& io);
};

// Every command kvtsim knows, in the order the usage text lists them.
const std::vector<KvtsimCommand>& KvtsimCommands();

// `args` are the arguments after the program's name.
int RunKvtsim(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// Writes "kvtsim: MESSAGE" as one line and gives kExitUsage.
int UsageError(std::ostream& err, std::string_view message);

// "--name VALUE" options and positional words of one command.
struct CommandLine {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // by name without "--"
};
// Every option takes a value; nothing (and `problem` says why) for an option
// not in `known`, a repeated one or one without its value.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            const std::vector<std::string_view>& known, std::string& problem);

// kvtsim image [--os NAME] [--package DIR]
int RunImageCommand(const std::vector<std::string>& args, KvtsimIo& io);
// kvtsim startup installer|uninstaller --system FILE [--out FILE] [--format json|text]
int RunStartupCommand(const std::vector<std::string>& args, KvtsimIo& io);
// kvtsim run installer|uninstaller --system FILE [--args TEXT] [--answers FILE] [--package DIR] [--out FILE] [--format json|text]
int RunRunCommand(const std::vector<std::string>& args, KvtsimIo& io);
// kvtsim plugin printer-event --system FILE --printer NAME [--event CODE] [--out FILE]
// kvtsim plugin sheet --system FILE --printer NAME --script FILE [--sheet document|device] [--out FILE]
// kvtsim plugin encode TEXT | decode HEX
int RunPluginCommand(const std::vector<std::string>& args, KvtsimIo& io);

}  // namespace kvt::kvtsim
