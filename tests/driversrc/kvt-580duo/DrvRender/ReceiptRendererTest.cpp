// The rendering plug-in's bytes for a job, from what the Document Settings
// page stored on a simulated printer: every combination of cut mode, drawers,
// line feeds and commands applied through the page, the raster filtering, and
// stored values that the page would not have written.
#include "driversrc/kvt-580duo/DrvRender/ReceiptRenderer.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/DocumentSettingsPage.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvRender/JobSettings.h"
#include "driversrc/kvt-580duo/DrvRender/RenderCallbacks.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::render {
namespace {

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The printer's commands, written out byte by byte.
const Bytes kInit{0x1B, 0x40};
const Bytes kCut{0x1D, 0x56, 0x01};
const Bytes kOneDotRow{0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x01, 0x00, 0x80};

// One drawer as the test ticks it: its box, its pulse edit and the text
// typed there, and the bytes that open it.
struct DrawerCase {
    int check, edit;
    const char16_t* pulseMs;
    Bytes pulse;
};
const std::array<DrawerCase, 4> kDrawerCases{{
    {IDC_DRAWER_A, IDC_DRAWER_A_PULSE, u"100", {0x1B, 0x70, 0x00, 0x32, 0x32}},
    {IDC_DRAWER_B, IDC_DRAWER_B_PULSE, u"150", {0x1B, 0x70, 0x01, 0x4B, 0x4B}},
    {IDC_DRAWER_C, IDC_DRAWER_C_PULSE, u"200", {0x1B, 0x70, 0x00, 0x64, 0x64}},
    {IDC_DRAWER_D, IDC_DRAWER_D_PULSE, u"251", {0x1B, 0x70, 0x01, 0x7D, 0x7D}},
}};

class ReceiptRendererTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override { ASSERT_TRUE(prepare()); }
    void TearDown() override { closeSheet(); }

    int callback(ReceiptRenderer& renderer, std::uint32_t id, std::vector<std::uint32_t> params, Bytes& out) {
        int result = -1;
        bool handled = false;
        const Bytes bytes = renderer.commandCallback(id, params, result, handled);
        EXPECT_TRUE(handled) << "callback " << id;
        out.insert(out.end(), bytes.begin(), bytes.end());
        return result;
    }

    // A job of `pages` pages, each one row with the leftmost dot printed.
    Bytes printJob(int pages) {
        ReceiptRenderer renderer(LoadJobSettings(sim.pluginSpooler(), printer));
        Bytes out;
        callback(renderer, callback::StartDoc, {}, out);
        for (int page = 0; page < pages; ++page) {
            callback(renderer, callback::StartPage, {}, out);
            callback(renderer, callback::SendBlockData, {1, 1, 1}, out);
            EXPECT_TRUE(renderer.filterGraphics(Bytes{0x80}, out));
            callback(renderer, callback::EndPage, {}, out);
        }
        callback(renderer, callback::EndDoc, {}, out);
        return out;
    }
};

TEST_F(ReceiptRendererTest, SendsWhatEveryDocumentSettingsCombinationStores) {
    struct CutCase {
        int radio;
        bool pageCut, jobCut;
    };
    const CutCase cuts[] = {{IDC_CUT_NONE, false, false}, {IDC_CUT_JOB, false, true}, {IDC_CUT_PAGE_AND_JOB, true, true}};
    for (const CutCase& cut : cuts) {
        for (int drawers = 0; drawers < 16; ++drawers) {
            for (const char16_t* feeds : {u"0", u"7"}) {
                for (bool commands : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "cut radio " << cut.radio << " drawers " << drawers
                                                    << " feeds " << (feeds[0] == u'0' ? 0 : 7) << " commands "
                                                    << commands);
                    auto dialog = openDialog(IDD_DOCUMENT_SETTINGS, "Document Settings");
                    plugin::DocumentSettingsPage page(*dialog, sim.pluginSpooler(), codePage, state);
                    dialog->attach(page);
                    ASSERT_TRUE(page.onInit());
                    // The page opens with the previous row's choices.
                    for (std::size_t d = 0; d < kDrawerCases.size(); ++d) {
                        const bool open = (drawers >> d & 1) != 0;
                        if (dialog->control(kDrawerCases[d].check)->checked != open) {
                            ASSERT_TRUE(dialog->click(kDrawerCases[d].check));
                        }
                        if (open) {
                            ASSERT_TRUE(dialog->type(kDrawerCases[d].edit, kDrawerCases[d].pulseMs));
                        }
                    }
                    ASSERT_TRUE(dialog->type(IDC_LINE_FEEDS, feeds));
                    ASSERT_TRUE(dialog->click(cut.radio));
                    ASSERT_TRUE(dialog->type(IDC_START_DOC, commands ? u"<1B>a<01>" : u""));
                    ASSERT_TRUE(dialog->type(IDC_START_PAGE, commands ? u"SP" : u""));
                    ASSERT_TRUE(dialog->type(IDC_END_PAGE, commands ? u"<0C>" : u""));
                    ASSERT_TRUE(dialog->type(IDC_END_DOC, commands ? u"ED" : u""));
                    dialog->focusOut();
                    page.onApply();

                    auto drawer = [&](std::size_t d) { return (drawers >> d & 1) ? kDrawerCases[d].pulse : Bytes{}; };
                    const Bytes startDoc = commands ? Bytes{0x1B, 0x61, 0x01} : Bytes{};
                    const Bytes startPage = commands ? Bytes{'S', 'P'} : Bytes{};
                    const Bytes endPage = commands ? Bytes{0x0C} : Bytes{};
                    const Bytes endDoc = commands ? Bytes{'E', 'D'} : Bytes{};
                    const Bytes lineFeeds = feeds[0] == u'7' ? Bytes{0x1B, 0x64, 0x07} : Bytes{};
                    const Bytes expected = Cat({kInit, drawer(0), drawer(1), startDoc,
                                                startPage, kOneDotRow, endPage, cut.pageCut ? kCut : Bytes{},
                                                startPage, kOneDotRow, endPage,
                                                endDoc, lineFeeds, cut.jobCut ? kCut : Bytes{}, drawer(2), drawer(3)});
                    EXPECT_EQ(printJob(2), expected);
                }
            }
        }
    }
}

// Values on the printer that the page itself would not store.
struct StoredRow {
    const char* name;
    std::optional<Bytes> misc;  // nothing: no "MISC" value
    Bytes start, end;           // the job's bytes before and after its one page
};

class StoredSettingsTest : public ReceiptRendererTest, public ::testing::WithParamInterface<StoredRow> {};

TEST_P(StoredSettingsTest, AreSentAsThePageWouldShowThem) {
    const StoredRow& row = GetParam();
    if (row.misc) setPrinterData("MISC", *row.misc);
    EXPECT_EQ(printJob(1), Cat({row.start, kOneDotRow, row.end}));
}

Bytes Misc(std::initializer_list<std::pair<std::size_t, std::uint8_t>> fields) {
    Bytes misc(20, 0);
    misc[10] = 1;
    misc[15] = 1;
    for (auto [offset, value] : fields) misc[offset] = value;
    return misc;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredSettingsTest,
    ::testing::Values(
        StoredRow{"NoMiscCutsTheJob", std::nullopt, kInit, kCut},
        StoredRow{"OverLongMiscIsMissing", Bytes(24, 1), kInit, kCut},
        StoredRow{"ShortMiscLeavesTheRestZero", Bytes{3, 1, 40}, Cat({kInit, {0x1B, 0x70, 0x00, 0x28, 0x28}}),
                  Bytes{0x1B, 0x64, 0x03}},
        StoredRow{"PulsesKeptWithinBounds", Misc({{1, 1}, {2, 0}, {7, 1}, {8, 200}}),
                  Cat({kInit, {0x1B, 0x70, 0x00, 0x19, 0x19}}), Cat({kCut, {0x1B, 0x70, 0x01, 0x7D, 0x7D}})},
        StoredRow{"FlagOtherThanOneIsOff", Misc({{1, 2}, {2, 50}}), kInit, kCut},
        StoredRow{"UnknownCutModeCutsTheJob", Misc({{10, 7}}), kInit, kCut},
        StoredRow{"LineFeedsCappedAt99", Misc({{0, 150}, {10, 0}}), kInit, Bytes{0x1B, 0x64, 0x63}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ReceiptRendererTest, CommandsThatDoNotFitThePageAreNotSent) {
    setPrinterData("StartDoc", Bytes(2049, 'x'));
    setPrinterData("EndDoc", Bytes(2048, 'y'));
    const Bytes job = printJob(1);
    EXPECT_EQ(Bytes(job.begin(), job.begin() + 2 + kOneDotRow.size()), Cat({kInit, kOneDotRow}));
    EXPECT_EQ(job.size(), kInit.size() + kOneDotRow.size() + 2048 + kCut.size());
}

// The raster between StartPage and EndPage: blocks of `rowBytes`-wide rows
// or downward moves.
struct RasterStep {
    std::uint32_t rowBytes = 0;  // 0: a move of `moveDots`
    Bytes rows;
    std::uint32_t moveDots = 0;
};
struct RasterRow {
    const char* name;
    std::vector<RasterStep> steps;
    Bytes expected;
};

Bytes Band(std::uint8_t rowBytes, std::uint16_t rows, Bytes data) {
    return Cat({{0x1D, 0x76, 0x30, 0x00, rowBytes, 0x00, static_cast<std::uint8_t>(rows & 0xFF),
                 static_cast<std::uint8_t>(rows >> 8)},
                data});
}

class RasterFilterTest : public ::testing::TestWithParam<RasterRow> {};

TEST_P(RasterFilterTest, HoldsBackBlankSpaceAndGathersBands) {
    JobSettings settings;
    settings.misc.bytes[plugin::misc::CutMode] = 0;
    ReceiptRenderer renderer(settings);
    Bytes out;
    int result = 0;
    bool handled = false;
    renderer.commandCallback(callback::StartPage, {}, result, handled);
    for (const RasterStep& step : GetParam().steps) {
        if (step.rowBytes == 0) {
            const std::uint32_t move[] = {step.moveDots};
            const Bytes bytes = renderer.commandCallback(callback::YMoveRelDown, move, result, handled);
            out.insert(out.end(), bytes.begin(), bytes.end());
            EXPECT_EQ(result, static_cast<int>(step.moveDots));
            continue;
        }
        const std::uint32_t block[] = {static_cast<std::uint32_t>(step.rows.size()), step.rowBytes,
                                       static_cast<std::uint32_t>(step.rows.size() / step.rowBytes)};
        EXPECT_TRUE(renderer.commandCallback(callback::SendBlockData, block, result, handled).empty());
        EXPECT_TRUE(renderer.filterGraphics(step.rows, out));
    }
    const Bytes end = renderer.commandCallback(callback::EndPage, {}, result, handled);
    out.insert(out.end(), end.begin(), end.end());
    EXPECT_EQ(out, GetParam().expected);
}

Bytes Rows(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

INSTANTIATE_TEST_SUITE_P(
    Rows, RasterFilterTest,
    ::testing::Values(
        RasterRow{"LeadingMoveBecomesAFeed", {{0, {}, 10}, {2, {0xF0, 0x0F}}}, Cat({{0x1B, 0x4A, 0x0A}, Band(2, 1, {0xF0, 0x0F})})},
        RasterRow{"BlankRowsSplitBands",
                  {{1, {0x01, 0x00, 0x00, 0x00, 0x02}}},
                  Cat({Band(1, 1, {0x01}), {0x1B, 0x4A, 0x03}, Band(1, 1, {0x02})})},
        RasterRow{"BlankEndOfPageDropped", {{1, {0x01, 0x00, 0x00}}, {0, {}, 40}}, Band(1, 1, {0x01})},
        RasterRow{"LongFeedsSplit", {{0, {}, 300}, {1, {0x01}}}, Cat({{0x1B, 0x4A, 0xFF, 0x1B, 0x4A, 0x2D}, Band(1, 1, {0x01})})},
        RasterRow{"TallBandsSplit", {{1, Rows(256, 0x11)}}, Cat({Band(1, 255, Rows(255, 0x11)), Band(1, 1, {0x11})})},
        RasterRow{"WidthChangeEndsTheBand", {{1, {0x01}}, {2, {0x02, 0x03}}}, Cat({Band(1, 1, {0x01}), Band(2, 1, {0x02, 0x03})})},
        RasterRow{"RowsCutToTheHead", {{73, Cat({Rows(72, 0xFF), {0xAA}})}}, Band(72, 1, Rows(72, 0xFF))}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ReceiptRendererRefusals, RefusesWhatItCannotPlace) {
    ReceiptRenderer renderer(JobSettings{});
    Bytes out;
    EXPECT_FALSE(renderer.filterGraphics(Bytes{0x01}, out)) << "no block announced";
    int result = 0;
    bool handled = true;
    const std::uint32_t block[] = {4, 2, 2};
    renderer.commandCallback(callback::SendBlockData, block, result, handled);
    EXPECT_FALSE(renderer.filterGraphics(Bytes{0x01, 0x02, 0x03}, out)) << "not whole rows";
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(renderer.commandCallback(99, {}, result, handled).empty());
    EXPECT_FALSE(handled);
    EXPECT_TRUE(renderer.commandCallback(callback::YMoveRelDown, {}, result, handled).empty());
    EXPECT_FALSE(handled) << "a move without its distance";
}

}  // namespace
}  // namespace kvt::render
