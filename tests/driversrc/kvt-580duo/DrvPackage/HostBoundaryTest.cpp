// What the plug-in's entry points answer when their work throws.
#include "driversrc/kvt-580duo/DrvPackage/HostBoundary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

namespace kvt::plugin {
namespace {

TEST(HostBoundaryGuard, ComCallsAnswerWithAResultInsteadOfThrowing) {
    EXPECT_EQ(GuardedComCall([] { return hr::SFalse; }), hr::SFalse);
    EXPECT_EQ(GuardedComCall([]() -> HResult { throw std::bad_alloc(); }), hr::EOutOfMemory);
    EXPECT_EQ(GuardedComCall([]() -> HResult {
                  std::vector<std::uint8_t> bytes;
                  return static_cast<HResult>(bytes.at(1));
              }),
              hr::EFail);
    EXPECT_EQ(GuardedComCall([]() -> long { throw 7; }), static_cast<long>(hr::EFail)) << "any type of exception";
}

TEST(HostBoundaryGuard, DialogProceduresAnswerNotHandled) {
    EXPECT_EQ(GuardedOr<std::intptr_t>(0, [] { return std::intptr_t{1}; }), 1);
    EXPECT_EQ(GuardedOr<std::intptr_t>(0, []() -> std::intptr_t { throw std::runtime_error("page"); }), 0);
    EXPECT_EQ(GuardedOr<std::intptr_t>(0, []() -> std::intptr_t { throw std::bad_alloc(); }), 0);
}

}  // namespace
}  // namespace kvt::plugin
