#pragma once
// Whole installer runs for the flow and scenario tests, through kvtsim's own
// runner: a fresh system of a release with the built package in C:\Setup,
// scripted answers, and readers for what the run showed, logged and left.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "tools/kvtsim/ProgramRun.h"

namespace kvt::test {

inline constexpr std::string_view kInstallerLogPath = "C:\\Temp\\KVT-580duo_Installer.txt";
inline constexpr std::string_view kRestartAnswerPrefix = "Restarting your computer";

// A fresh image of `os` with the package as the build assembles it, on a
// computer that trusts its publisher.
inline sim::World SystemWithPackage(std::string_view os) {
    sim::World world = *sim::FreshImage(os);
    std::string problem;
    EXPECT_TRUE(kvtsim::PlacePackage(world, kvtsim::DefaultPackageDirectory(), problem)) << problem;
    EXPECT_EQ(kvtsim::TrustPackagePublisher(world, kvtsim::DefaultPackageDirectory()), 1);
    return world;
}

// "Next" on `port` (nothing: on the preselection), then `restart` to the
// restart question.
inline kvtsim::RunAnswers Answers(std::optional<std::string> port, ports::MessageAnswer restart = ports::MessageAnswer::No) {
    kvtsim::RunAnswers answers;
    answers.portDialog = std::move(port);
    answers.messageBoxes.push_back({std::string(kRestartAnswerPrefix), restart});
    return answers;
}

inline kvtsim::ProgramRun Install(sim::World world, const kvtsim::RunAnswers& answers,
                                  const kvtsim::RunPreparation& prepare = {}) {
    return kvtsim::RunInstaller(std::move(world), answers, prepare);
}

// The image after a run, as the next run loads it from the saved result.
inline sim::World Reloaded(const kvtsim::ProgramRun& run) {
    sim::World world;
    const auto error = sim::LoadImage(run.result["system"], world);
    EXPECT_FALSE(error) << error->jsonPath << ": " << error->reason;
    return world;
}

inline std::vector<nlohmann::json> Events(const kvtsim::ProgramRun& run, std::string_view kind) {
    std::vector<nlohmann::json> events;
    for (const auto& event : run.result["transcript"])
        if (event["event"] == kind) events.push_back(event);
    return events;
}

// A field of every event of one kind, in order.
template <typename T>
std::vector<T> EventField(const kvtsim::ProgramRun& run, std::string_view kind, const char* field) {
    std::vector<T> values;
    for (const auto& event : Events(run, kind)) values.push_back(event[field].get<T>());
    return values;
}

inline bool IsStampAt(const std::string& log, std::size_t pos) {
    auto digit = [&](std::size_t i) { return i < log.size() && log[i] >= '0' && log[i] <= '9'; };
    return pos + 10 <= log.size() && digit(pos) && digit(pos + 1) && log[pos + 2] == ':' && digit(pos + 3) &&
           digit(pos + 4) && log[pos + 5] == ':' && digit(pos + 6) && digit(pos + 7) && log[pos + 8] == ':' &&
           log[pos + 9] == ' ';
}

// The log's messages as written, without time stamps and line ends: each
// message is "HH:MM:SS: " + message + "\r\n", so "\r\n" alone stays "\r\n"
// and "\r\nCOMMAND LINE : ..." stays whole.
inline std::vector<std::string> LogMessages(const kvtsim::ProgramRun& run) {
    const std::string log = run.result["log"];
    std::vector<std::size_t> starts;
    for (std::size_t pos = 0; pos < log.size(); pos = log.find("\r\n", pos) + 2) {
        if (IsStampAt(log, pos)) starts.push_back(pos);
        if (log.find("\r\n", pos) == std::string::npos) break;
    }
    if (!log.empty() && (starts.empty() || starts.front() != 0))
        ADD_FAILURE() << "the log does not start with an \"HH:MM:SS: \" stamp; found " << starts.size()
                      << " stamped lines; it begins: " << ::testing::PrintToString(log.substr(0, 40));
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : log.size();
        if (end < starts[i] + 12 || log.compare(end - 2, 2, "\r\n") != 0) {
            ADD_FAILURE() << "log message without line end: "
                          << ::testing::PrintToString(log.substr(starts[i], end - starts[i]));
            continue;
        }
        messages.push_back(log.substr(starts[i] + 10, end - 2 - starts[i] - 10));
    }
    return messages;
}

// The last `count` messages of the log, or all of them when there are fewer:
// compared with the expected ones, a short log fails with what it holds.
inline std::vector<std::string> LastLogMessages(const kvtsim::ProgramRun& run, std::size_t count) {
    std::vector<std::string> messages = LogMessages(run);
    if (messages.size() > count) messages.erase(messages.begin(), messages.end() - static_cast<std::ptrdiff_t>(count));
    return messages;
}

// The messages that end in " BEGIN", in order, without the suffix.
inline std::vector<std::string> StepsBegun(const kvtsim::ProgramRun& run) {
    std::vector<std::string> steps;
    for (const std::string& message : LogMessages(run))
        if (message.size() > 6 && message.compare(message.size() - 6, 6, " BEGIN") == 0)
            steps.push_back(message.substr(0, message.size() - 6));
    return steps;
}

inline bool Logged(const kvtsim::ProgramRun& run, std::string_view message) {
    for (const std::string& m : LogMessages(run))
        if (m == message) return true;
    return false;
}

inline const nlohmann::json* FindNamed(const nlohmann::json& list, std::string_view name) {
    for (const auto& item : list)
        if (item.value("name", std::string()) == name) return &item;
    return nullptr;
}

// Paths and keys compare without regard to case, as on Windows.
inline const nlohmann::json* FindKey(const kvtsim::ProgramRun& run, std::string_view key) {
    for (const auto& entry : run.result["system"]["registry"])
        if (sim::EqualsNoCase(entry["key"].get<std::string>(), key)) return &entry;
    return nullptr;
}

inline const nlohmann::json* FindFile(const kvtsim::ProgramRun& run, std::string_view path) {
    for (const auto& file : run.result["system"]["files"])
        if (sim::EqualsNoCase(file["path"].get<std::string>(), path)) return &file;
    return nullptr;
}

inline std::vector<std::string> PrinterNames(const kvtsim::ProgramRun& run) {
    std::vector<std::string> names;
    for (const auto& printer : run.result["system"]["spooler"]["printers"]) names.push_back(printer["name"]);
    return names;
}

}  // namespace kvt::test
