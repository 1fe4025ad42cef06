#include "Installer/setup_common/ProductConfiguration.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt::setup {
namespace {

struct EntryRow {
    const char* name;
    SetupProgram program;
    int number;
    const char* value;  // nullptr: the program has no such entry
};

class ProductEntryTest : public ::testing::TestWithParam<EntryRow> {};

TEST_P(ProductEntryTest, YieldsTheValueOfTheProgramsNumbering) {
    const EntryRow& r = GetParam();
    const std::optional<std::string_view> value = ProductEntry(r.program, r.number);
    if (r.value == nullptr) {
        EXPECT_FALSE(value.has_value()) << *value;
    } else {
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, r.value);
    }
}

constexpr SetupProgram Ins = SetupProgram::Installer;
constexpr SetupProgram Uns = SetupProgram::Uninstaller;

INSTANTIATE_TEST_SUITE_P(
    Rows, ProductEntryTest,
    ::testing::Values(
        EntryRow{"I02_driver", Ins, 2, "NORVEX KVT-580duo"}, EntryRow{"I10_does_not_exist", Ins, 10, nullptr},
        EntryRow{"I19_does_not_exist", Ins, 19, nullptr},
        EntryRow{"I20_uninstall_key", Ins, 20, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo"},
        EntryRow{"I21_major", Ins, 21, "3"}, EntryRow{"I25_maker", Ins, 25, "NORVEX"},
        EntryRow{"I29_tag", Ins, 29, "[580duo]"}, EntryRow{"I30_unknown", Ins, 30, nullptr},
        EntryRow{"I00_unknown", Ins, 0, nullptr}, EntryRow{"U10_does_not_exist", Uns, 10, nullptr},
        EntryRow{"U20_same_as_installer", Uns, 20,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo"},
        EntryRow{"U21_maker_not_major", Uns, 21, "NORVEX"}, EntryRow{"U25_tag", Uns, 25, "[580duo]"},
        EntryRow{"U26_unknown", Uns, 26, nullptr}),
    [](const ::testing::TestParamInfo<EntryRow>& row) { return std::string(row.param.name); });

TEST(ProductConfigurationTest, EveryRowIsReachableByBothNumberings) {
    for (const ProductEntryRow& row : ProductEntries()) {
        EXPECT_EQ(ProductEntry(SetupProgram::Installer, row.installerEntry), row.value);
        if (row.uninstallerEntry != 0) {
            EXPECT_EQ(ProductEntry(SetupProgram::Uninstaller, row.uninstallerEntry), row.value);
        }
    }
}

TEST(ProductConfigurationTest, VersionComesFromEntries21To24) {
    EXPECT_EQ(InstallerProductVersion(), (ProductVersion{3, 4, 3, 0}));
}

struct DecimalRow {
    const char* name;
    const char* text;
    unsigned value;
};

class LeadingDecimalTest : public ::testing::TestWithParam<DecimalRow> {};

TEST_P(LeadingDecimalTest, ReadsLeadingDigits) {
    EXPECT_EQ(LeadingDecimal(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Rows, LeadingDecimalTest,
                         ::testing::Values(DecimalRow{"trailing_text", "12abc", 12}, DecimalRow{"leading_blanks", "  7", 7},
                                           DecimalRow{"no_digits", "abc", 0}, DecimalRow{"empty", "", 0},
                                           DecimalRow{"negative_wraps_as_unsigned", "-1", 4294967295u}),
                         [](const ::testing::TestParamInfo<DecimalRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::setup
