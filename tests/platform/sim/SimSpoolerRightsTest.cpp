// Access rights of the simulated spooler's handles: what OpenPrinter grants
// an elevated and a plain caller, and which changes the handle then allows.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

constexpr std::uint32_t kNoDefaults = 0xFFFFFFFF;  // a null PRINTER_DEFAULTS

struct RightsRow {
    const char* name;
    bool elevated;
    bool server;
    std::uint32_t desiredAccess;
    std::uint32_t open;        // OpenPrinter's result
    std::uint32_t setData;     // SetPrinterData on the handle (printers only)
    std::uint32_t setPrinter;  // SetPrinter level 2 (printers only)
    std::uint32_t addForm;     // AddForm on the handle
};

void PrintTo(const RightsRow& row, std::ostream* out) { *out << row.name; }

class SimSpoolerRightsTest : public ::testing::TestWithParam<RightsRow> {};

TEST_P(SimSpoolerRightsTest, HandlesAllowWhatTheirRightsAllow) {
    const RightsRow& row = GetParam();
    World world = *FreshImage("win10-x64");
    test::StageProductFiles(world, "Windows x64");
    Simulation sim(std::move(world), Bitness::x64);
    SimSpooler& spooler = sim.spooler();
    spooler.setPrinterInitialization(nullptr);
    ASSERT_TRUE(test::RegisterProduct(spooler, "Windows x64"));
    ports::PrinterHandle added;
    ASSERT_EQ(spooler.addPrinter(test::ProductPrinter("Receipt", "COM1:"), added), err::Success);
    spooler.closePrinter(added);
    sim.world().elevated = row.elevated;

    const ports::PrinterDefaults defaults{std::nullopt, row.desiredAccess};
    const std::optional<std::string> name = row.server ? std::nullopt : std::optional<std::string>("Receipt");
    ports::PrinterHandle handle;
    ASSERT_EQ(spooler.openPrinter(name, row.desiredAccess == kNoDefaults ? nullptr : &defaults, handle), row.open);
    if (row.open != err::Success) return;

    if (!row.server) {
        EXPECT_EQ(spooler.setPrinterData(handle, "MISC", {reg::TypeBinary, {1, 2}}), row.setData);
        ports::PrinterInfo2 info;
        ASSERT_EQ(spooler.getPrinter(handle, info), err::Success);
        info.comment = "changed";
        EXPECT_EQ(spooler.setPrinter(handle, info), row.setPrinter);
        ASSERT_EQ(spooler.getPrinter(handle, info), err::Success);
        EXPECT_EQ(info.comment == "changed", row.setPrinter == err::Success);
    }
    const ports::FormInfo1 form{ports::spool::FormUser, "Ticket 80", 80000, 120000, 0, 0, 80000, 120000};
    EXPECT_EQ(spooler.addForm(handle, form), row.addForm);
    EXPECT_EQ(spooler.deleteForm(handle, "Ticket 80"), row.addForm == err::Success ? err::Success : row.addForm);
    spooler.closePrinter(handle);
}

constexpr std::uint32_t kOk = err::Success;
constexpr std::uint32_t kDenied = err::AccessDenied;
constexpr std::uint32_t kAll = ports::spool::PrinterAllAccess;
constexpr std::uint32_t kUse = ports::spool::PrinterAccessUse;
constexpr std::uint32_t kAdminister = ports::spool::PrinterAccessAdminister;

INSTANTIATE_TEST_SUITE_P(
    Rows, SimSpoolerRightsTest,
    ::testing::Values(
        RightsRow{"AdminAllAccess", true, false, kAll, kOk, kOk, kOk, kOk},
        RightsRow{"AdminAdminister", true, false, kAdminister, kOk, kOk, kOk, kOk},
        // Granted is what was asked for, not what the caller could have had.
        RightsRow{"AdminUseOnly", true, false, kUse, kOk, kDenied, kDenied, kOk},
        RightsRow{"AdminNoDefaults", true, false, kNoDefaults, kOk, kDenied, kDenied, kOk},
        RightsRow{"AdminNoRights", true, false, 0, kOk, kDenied, kDenied, kOk},
        RightsRow{"AdminGenericAll", true, false, acl::GenericAll, kOk, kOk, kOk, kOk},
        RightsRow{"AdminGenericRead", true, false, acl::GenericRead, kOk, kDenied, kDenied, kOk},
        RightsRow{"AdminMaximum", true, false, acl::MaximumAllowed, kOk, kOk, kOk, kOk},
        RightsRow{"UserAllAccessRefused", false, false, kAll, kDenied, 0, 0, 0},
        RightsRow{"UserAdministerRefused", false, false, kAdminister, kDenied, 0, 0, 0},
        RightsRow{"UserGenericAllRefused", false, false, acl::GenericAll, kDenied, 0, 0, 0},
        RightsRow{"UserUse", false, false, kUse, kOk, kDenied, kDenied, kDenied},
        RightsRow{"UserMaximumIsUse", false, false, acl::MaximumAllowed, kOk, kDenied, kDenied, kDenied},
        RightsRow{"AdminServer", true, true, kNoDefaults, kOk, 0, 0, kOk},
        RightsRow{"AdminServerAdminister", true, true, ports::spool::ServerAccessAdminister, kOk, 0, 0, kOk},
        RightsRow{"UserServer", false, true, kNoDefaults, kOk, 0, 0, kDenied},
        RightsRow{"UserServerAdministerRefused", false, true, ports::spool::ServerAccessAdminister, kDenied, 0, 0,
                  0}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::sim
