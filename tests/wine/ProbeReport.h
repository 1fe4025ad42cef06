#pragma once
// The probe's report: one "OK name" or "FAIL name: detail" line per check on
// standard output. Texts go out with fputs, never through a format.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kvt::probe {

class ProbeReport {
public:
    // Records one check; returns `held` so a group can stop when later
    // checks would only repeat a failure.
    bool check(bool held, std::string_view name, std::string_view detail = {}) {
        std::string line = held ? "OK " : "FAIL ";
        line += name;
        if (!detail.empty()) {
            line += held ? " (" : ": ";
            line += detail;
            if (held) line += ")";
        }
        line += "\n";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        if (!held) ++failures_;
        return held;
    }

    // A Windows call expected to give `expected`.
    bool code(std::uint32_t actual, std::uint32_t expected, std::string_view name) {
        return check(actual == expected, name,
                     actual == expected ? std::string{} : "code " + std::to_string(actual) + ", expected " +
                                                              std::to_string(expected));
    }

    int failures() const { return failures_; }

private:
    int failures_ = 0;
};

}  // namespace kvt::probe
