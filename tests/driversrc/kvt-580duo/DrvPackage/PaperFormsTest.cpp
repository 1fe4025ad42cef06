// Names and sizes of the model's paper forms.
#include "driversrc/kvt-580duo/DrvPackage/PaperForms.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"

namespace kvt::plugin {
namespace {

struct UnitsRow {
    const char* name;
    std::int32_t thousandths;
    const char16_t* shown;
};

class FormUnitsTest : public ::testing::TestWithParam<UnitsRow> {};

TEST_P(FormUnitsTest, ShowsMillimetresWithOneDecimal) {
    EXPECT_EQ(OneDecimalText(FormUnitsToMillimetres(GetParam().thousandths)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, FormUnitsTest,
                         ::testing::Values(UnitsRow{"Exact", 25400, u"25.4"}, UnitsRow{"HalfUp", 25450, u"25.5"},
                                           UnitsRow{"IntoTheNextMillimetre", 25950, u"26.0"},
                                           UnitsRow{"BelowATenthDropped", 25099, u"25.0"},
                                           UnitsRow{"HalfOfATenthDropped", 25050, u"25.0"},
                                           UnitsRow{"JustBelow", 32299, u"32.3"}, UnitsRow{"Width", 72000, u"72.0"},
                                           UnitsRow{"Longest", 3276000, u"3276.0"}, UnitsRow{"Zero", 0, u"0.0"},
                                           UnitsRow{"JustUnderHalf", 25149, u"25.1"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(MillimetresToFormUnitsTest, DropsTheFractionOfTheThousandths) {
    EXPECT_EQ(MillimetresToFormUnits(32.3), 32299);
    EXPECT_EQ(MillimetresToFormUnits(72.0), 72000);
    EXPECT_EQ(MillimetresToFormUnits(25.4), 25400);
    EXPECT_EQ(MillimetresToFormUnits(3276.0), 3276000);
    EXPECT_EQ(MillimetresToFormUnits(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(MillimetresToFormUnits(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(MillimetresToFormUnits(std::numeric_limits<double>::infinity()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(MillimetresToFormUnits(std::numeric_limits<double>::quiet_NaN()), 0);
}

struct NameRow {
    const char* name;
    const char16_t* formName;
    const char16_t* visible;
    bool model;
};

class VisibleFormNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(VisibleFormNameTest, VisibleNameAndTag) {
    EXPECT_EQ(VisibleFormName(GetParam().formName), GetParam().visible);
    EXPECT_EQ(IsModelForm(GetParam().formName), GetParam().model);
}

INSTANTIATE_TEST_SUITE_P(Rows, VisibleFormNameTest,
                         ::testing::Values(NameRow{"Tagged", u"80 x 297 mm[580duo]", u"80 x 297 mm", true},
                                           NameRow{"BracketInName", u"Ab[c[580duo]", u"Ab", true},
                                           NameRow{"LeadingBrackets", u"[[Lead[580duo]", u"Lead", true},
                                           NameRow{"TagAlone", u"[580duo]", u"580duo]", true},
                                           NameRow{"Untagged", u"A4", u"A4", false},
                                           NameRow{"OnlyBrackets", u"[[[", u"", false},
                                           NameRow{"Empty", u"", u"", false},
                                           NameRow{"TagInOtherCase", u"Slip[580DUO]", u"Slip", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FindFormNamedTest, LetterCaseCounts) {
    std::vector<ports::FormInfo1W> forms(3);
    forms[0].name = u"slip[580duo]";
    forms[1].name = u"Slip[580duo]";
    forms[2].name = u"Slip[580duo]";
    forms[2].flags = 2;
    EXPECT_EQ(FindFormNamed(forms, u"Slip[580duo]"), &forms[1]);
    EXPECT_EQ(FindFormNamed(forms, u"SLIP[580duo]"), nullptr);
}

}  // namespace
}  // namespace kvt::plugin
