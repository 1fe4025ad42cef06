#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/catalog/Catalog.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/DriverSigning.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/InfFile.h"
#include "platform/sim/SimDeviceSetup.h"
#include "platform/sim/Simulation.h"
#include "platform/ports/DeviceSetup.h"
#include "tests/support/ProductInfText.h"

namespace kvt::sim {
namespace {

constexpr const char* kSigningInf = "C:\\Setup\\kvt580d.inf";

void Untrust(World& world) { world.extra.erase("trustedPublishers"); }
void ChangeDriverFile(World& world) {
    const std::string folder = world.os.is64Bit ? "Driver64" : "Driver32";
    world.files.findFile("C:\\Setup\\" + folder + "\\KVT580D.GPD")->bytes += " ";
}
void ChangeOtherArchitecture(World& world) {
    const std::string folder = world.os.is64Bit ? "Driver32" : "Driver64";
    world.files.findFile("C:\\Setup\\" + folder + "\\KVT580D.GPD")->bytes += " ";
}
void RemoveCatalog(World& world) { world.files.eraseFile("C:\\Setup\\kvt580d.cat"); }
void UnsignedCatalog(World& world) {
    std::vector<catalog::CatalogEntry> files{{"kvt580d.inf", world.files.findFile(kSigningInf)->bytes}};
    world.files.putFile("C:\\Setup\\kvt580d.cat", catalog::MakeCatalog(files, "2:10.0", 0));
}
void Policy(World& world, const char* policy) { world.extra["driverSigningPolicy"] = policy; }

TEST(DriverSigning, EachReleaseAppliesItsPolicy) {
    using V = SigningVerdict;
    struct Row {
        const char* name;
        const char* os;
        std::function<void(World&)> change;
        SigningVerdict verdict;
        std::uint32_t code;
    };
    const auto none = [](World&) {};
    const std::vector<Row> rows = {
        {"win10 trusted", "win10-x64", none, V::Install, 0},
        {"win10 untrusted", "win10-x64", Untrust, V::Refuse, err::AuthenticodePublisherNotTrusted},
        {"win10 changed file", "win10-x64", ChangeDriverFile, V::Refuse, err::FileHashNotInCatalog},
        {"win10 other folder's file changed", "win10-x64", ChangeOtherArchitecture, V::Install, 0},
        {"win10 no catalog", "win10-x64", RemoveCatalog, V::Refuse, err::NoCatalogForOemInf},
        {"win10 unsigned catalog", "win10-x64", UnsignedCatalog, V::Refuse, err::NoCatalogForOemInf},
        {"win7 x64 trusted", "win7-x64", none, V::Install, 0},
        {"win7 x64 untrusted", "win7-x64", Untrust, V::Prompt, err::AuthenticodePublisherNotTrusted},
        {"vista changed file", "vista-x86", ChangeDriverFile, V::Prompt, err::FileHashNotInCatalog},
        {"win7 x86 no catalog", "win7-x86", RemoveCatalog, V::Prompt, err::NoCatalogForOemInf},
        {"xp warns by default", "xp-x86", Untrust, V::Prompt, err::AuthenticodePublisherNotTrusted},
        {"xp ignore", "xp-x86", [](World& w) { Untrust(w); Policy(w, "ignore"); }, V::Install, 0},
        {"xp block", "xp-x64", [](World& w) { RemoveCatalog(w); Policy(w, "block"); }, V::Refuse,
         err::NoCatalogForOemInf},
        {"xp block trusted", "xp-x86", [](World& w) { Policy(w, "block"); }, V::Install, 0},
    };
    for (const auto& row : rows) {
        World world = *FreshImage(row.os);
        test::PlaceProductPackage(world);
        row.change(world);
        const InfFile inf = InfFile::Parse(world.files.findFile(kSigningInf)->bytes);
        const SigningDecision decision = DecideDriverSigning(world, world.files.findFile(kSigningInf)->path, inf);
        EXPECT_EQ(decision.verdict, row.verdict) << row.name;
        EXPECT_EQ(decision.code, row.code) << row.name;
    }
}

TEST(DriverSigning, TheStoreTakesNoRefusedPackage) {
    for (const char* os : {"win10-x64", "win7-x64"}) {
        World world = *FreshImage(os);
        test::PlaceProductPackage(world);
        Untrust(world);
        Simulation sim(std::move(world));
        std::string destination;
        EXPECT_EQ(sim.deviceSetup().copyOEMInf(".\\kvt580d.inf", ports::devsetup::SpostPath,
                                               ports::devsetup::SpCopyNoOverwrite, destination),
                  err::AuthenticodePublisherNotTrusted)
            << os;
        EXPECT_EQ(sim.world().files.findFile("C:\\Windows\\inf\\oem0.inf"), nullptr) << os;
    }
}

}  // namespace
}  // namespace kvt::sim
