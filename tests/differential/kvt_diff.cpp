// The native half of the differential test.
//   kvt_diff scripts INF...                    the scripts, on standard output
//   kvt_diff run SCRIPTS RESULT                runs them on the simulated Windows
//   kvt_diff compare SIM WINE DIVERGENCES      exit 0 when the two sides agree
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tests/differential/Comparer.h"
#include "tests/differential/Scripts.h"
#include "tests/differential/SimExecutor.h"

namespace {

using nlohmann::json;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

json ReadJson(const std::string& path) { return json::parse(ReadBytes(path)); }

int Usage() {
    std::cerr << "usage: kvt_diff scripts INF... | run SCRIPTS RESULT | compare SIM WINE DIVERGENCES\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "scripts") {
            std::vector<kvt::diff::InfSource> infs;
            for (std::size_t i = 1; i < args.size(); ++i)
                infs.push_back({std::filesystem::path(args[i]).filename().string(), ReadBytes(args[i])});
            std::sort(infs.begin(), infs.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
            std::cout << kvt::diff::BuildScripts(infs).dump(1) << "\n";
            return 0;
        }
        if (args.size() == 3 && args[0] == "run") {
            std::ofstream(args[2], std::ios::binary) << kvt::diff::RunOnSimulation(ReadJson(args[1])).dump(1);
            return 0;
        }
        if (args.size() == 4 && args[0] == "compare") {
            const kvt::diff::Comparison c =
                kvt::diff::Compare(ReadJson(args[1]), ReadJson(args[2]), ReadJson(args[3]), std::cout);
            return c.agreed() ? 0 : 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "kvt_diff: " << e.what() << "\n";
        return 2;
    }
    return Usage();
}
