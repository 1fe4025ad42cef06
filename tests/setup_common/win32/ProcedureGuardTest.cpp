// No exception leaves a setup program's dialog or window procedure: the
// guard answers for the procedure and hands on what went wrong.
#include "Installer/setup_common/win32/ProcedureGuard.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace kvt::setup::shell {
namespace {

struct GuardRow {
    const char* name;
    std::function<long()> body;
    long answer;
    std::optional<std::string> reported;
};

TEST(ProcedureGuardTest, AnswersForTheProcedureAndReportsTheFault) {
    const GuardRow rows[] = {
        {"handled", [] { return 7L; }, 7, std::nullopt},
        {"standard exception", []() -> long { throw std::runtime_error("broken list"); }, 0, "broken list"},
        {"out of memory", []() -> long { throw std::bad_alloc(); }, 0, std::bad_alloc().what()},
        {"anything else", []() -> long { throw 42; }, 0, "unknown exception"},
    };
    for (const GuardRow& row : rows) {
        std::optional<std::string> reported;
        EXPECT_EQ(GuardedProcedure(0L, row.body, [&](const char* what) { reported = what; }), row.answer) << row.name;
        EXPECT_EQ(reported, row.reported) << row.name;
    }
    // A report that fails itself changes nothing of the answer.
    EXPECT_EQ(GuardedProcedure(0L, []() -> long { throw 1; }, [](const char*) { throw std::bad_alloc(); }), 0L);
}

}  // namespace
}  // namespace kvt::setup::shell
