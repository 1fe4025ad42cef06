#pragma once
// The differential scripts, generated from tables. Every script works on
// names of its own (a folder "C:\KvtDiff-<script>", a key
// "Software\KvtDiff-<script>", printers and drivers "KvtDiff-<script>...")
// because the Windows side runs them one after another in one system while
// the simulated side starts each on a fresh image.
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace kvt::diff {

// An INF file of the Windows side's fresh system, by its name.
struct InfSource {
    std::string name;
    std::string bytes;
};

class Script {
public:
    explicit Script(std::string name) : name_(std::move(name)) {}
    const std::string& name() const { return name_; }
    // The script's own folder and key, and its own names for spooler objects.
    std::string dir() const { return "C:\\KvtDiff-" + name_; }
    std::string key() const { return "Software\\KvtDiff-" + name_; }
    std::string own(const std::string& suffix) const { return "KvtDiff-" + name_ + suffix; }

    Script& add(nlohmann::json step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    nlohmann::json json() const { return {{"name", name_}, {"steps", steps_}}; }

private:
    std::string name_;
    nlohmann::json steps_ = nlohmann::json::array();
};

std::string Hex(const std::string& bytes);

void AddRegistryScripts(std::vector<Script>& scripts);
void AddFileScripts(std::vector<Script>& scripts);
void AddProfileScripts(std::vector<Script>& scripts);
void AddSpoolerScripts(std::vector<Script>& scripts);
void AddInfScripts(const std::vector<InfSource>& infs, std::vector<Script>& scripts);

nlohmann::json BuildScripts(const std::vector<InfSource>& infs);

}  // namespace kvt::diff
