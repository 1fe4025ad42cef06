// The Version page driven through its model: the version the printer
// records, and what a user who cannot open the printer sees.
#include "driversrc/kvt-580duo/DrvPackage/VersionPage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "platform/ports/WinCodes.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::plugin {
namespace {

using Bytes = std::vector<std::uint8_t>;

class VersionPageTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override { ASSERT_TRUE(prepare()); }
    void TearDown() override { closeSheet(); }

    std::u16string open() {
        dialog = openDialog(IDD_VERSION, "Version");
        VersionPage page(*dialog, sim.pluginSpooler(), state);
        dialog->attach(page);
        EXPECT_FALSE(page.onInit()) << "the page sets no focus";
        EXPECT_EQ(dialog->strayCalls(), 0u);
        EXPECT_EQ(dialog->control(IDC_LEGAL_NOTICE)->text, kLegalNotice);
        EXPECT_FALSE(dialog->control(IDC_PICTURE_FRAME_1)->visible);
        return dialog->control(IDC_VERSION_TEXT)->text;
    }

    std::unique_ptr<sim::SimDialogControls> dialog;
};

TEST_F(VersionPageTest, ShowsTheModelAndTheRecordedVersion) {
    EXPECT_EQ(open(), u"Windows driver for NORVEX KVT-580duo \r\nVersion 3.4.3.0");
    EXPECT_EQ(sim.spooler().openHandleCount(), 1u) << "the page closes the printer it opened";
}

TEST_F(VersionPageTest, WithoutAccessToThePrinterTheNumbersAreMissing) {
    sim.faults().failCall("PluginSpooler.openPrinter", err::AccessDenied);
    EXPECT_EQ(open(), u"Windows driver for NORVEX KVT-580duo \r\nVersion ");
}

TEST_F(VersionPageTest, TheLegalNoticeHasTwoLines) {
    const std::u16string notice(kLegalNotice);
    const std::size_t lineEnd = notice.find(u"\r\n");
    ASSERT_NE(lineEnd, std::u16string::npos);
    EXPECT_EQ(notice.find(u"\r\n", lineEnd + 2), std::u16string::npos);
    EXPECT_GT(lineEnd, 0u);
    EXPECT_LT(lineEnd + 2, notice.size());
}

struct ValueRow {
    const char* name;
    const char* value;
    std::optional<Bytes> stored;  // nothing: the read fails as for a missing value
    const char16_t* version;
};

class VersionValueTest : public VersionPageTest, public ::testing::WithParamInterface<ValueRow> {};

TEST_P(VersionValueTest, AValueThatCannotBeReadCountsAsZero) {
    const ValueRow& row = GetParam();
    if (row.stored) {
        setPrinterData(row.value, *row.stored);
    } else {
        // The fourth read is ExtraVersion's, the first MajorVersion's.
        const std::uint32_t nth = std::string(row.value) == "ExtraVersion" ? 4 : 1;
        sim.faults().failCall("PluginSpooler.getPrinterData", err::FileNotFound, nth);
    }
    EXPECT_EQ(open(), std::u16string(u"Windows driver for NORVEX KVT-580duo \r\nVersion ") + row.version);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VersionValueTest,
    ::testing::Values(ValueRow{"ExtraMissing", "ExtraVersion", std::nullopt, u"3.4.3.0"},
                      ValueRow{"MajorMissing", "MajorVersion", std::nullopt, u"0.4.3.0"},
                      ValueRow{"MinorTooLong", "MinorVersion", Bytes{1, 0, 0, 0, 0}, u"3.0.3.0"},
                      ValueRow{"BuildShort", "BuildVersion", Bytes{7}, u"3.4.7.0"},
                      ValueRow{"ExtraSigned", "ExtraVersion", Bytes{0xFF, 0xFF, 0xFF, 0xFF}, u"3.4.3.-1"},
                      ValueRow{"MajorLarge", "MajorVersion", Bytes{0x10, 0x27, 0, 0}, u"10000.4.3.0"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::plugin
