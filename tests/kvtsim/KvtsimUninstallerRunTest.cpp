// kvtsim's reading of the answers' "uninstall": the items to clear and the
// button to press.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/kvtsim/UninstallerRun.h"

namespace kvt::kvtsim {
namespace {

TEST(KvtsimUninstallAnswers, ReadsTheChoiceOrSaysWhereItIsWrong) {
    struct Row {
        const char* name;
        const char* json;
        bool usable;
        std::vector<std::string> uncheck;
        bool pressUninstall;
        std::string problem;
    } rows[] = {
        {"Absent", "null", true, {}, true, ""},
        {"Empty", "{}", true, {}, true, ""},
        {"ClearTwoAndUninstall", R"({"uncheck": ["Receipt A", "Till 2"], "action": "uninstall"})", true,
         {"Receipt A", "Till 2"}, true, ""},
        {"CancelOnly", R"({"action": "cancel", "extra": 1})", true, {}, false, ""},
        {"NonAsciiName", R"({"uncheck": ["Caf\u00e9"]})", true, {"Caf\xe9"}, true, ""},
        {"NotAnObject", R"(["Receipt A"])", false, {}, true, "$.uninstall: must be an object"},
        {"UncheckNotAList", R"({"uncheck": "Receipt A"})", false, {}, true,
         "$.uninstall.uncheck: must be an array of printer names"},
        {"UncheckNumber", R"({"uncheck": ["Receipt A", 7]})", false, {}, true,
         "$.uninstall.uncheck[1]: must be a string"},
        {"UnknownAction", R"({"action": "close"})", false, {}, true,
         "$.uninstall.action: must be \"uninstall\" or \"cancel\""},
        {"ActionNotText", R"({"action": true})", false, {}, true,
         "$.uninstall.action: must be \"uninstall\" or \"cancel\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string problem;
        const auto answers = ParseUninstallAnswers(nlohmann::json::parse(row.json), problem);
        ASSERT_EQ(answers.has_value(), row.usable) << problem;
        if (answers) {
            EXPECT_EQ(answers->uncheck, row.uncheck);
            EXPECT_EQ(answers->pressUninstall, row.pressUninstall);
        } else {
            EXPECT_EQ(problem, row.problem);
        }
    }
}

}  // namespace
}  // namespace kvt::kvtsim
