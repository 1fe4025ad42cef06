#include "tests/reliability/SweepReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>

namespace kvt::test {

void ReportSummary(std::string_view kind, std::string_view scenarioId, const std::string& line) {
    std::cout << line << std::endl;
    ::testing::Test::RecordProperty("summary", line);
    const std::filesystem::path directory(KVT_RELIABILITY_SUMMARY_DIR);
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    std::ofstream out(directory / (std::string(scenarioId) + "." + std::string(kind) + ".txt"), std::ios::trunc);
    out << line << "\n";
}

}  // namespace kvt::test
