#include "platform/sim/RegistryStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kvt::sim {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Paths(const RegistryStore& store) {
    std::vector<std::string> paths;
    for (const auto& [key, record] : store.keys()) paths.push_back(record.path);
    return paths;
}

TEST(RegistryStore, EnsureCreatesAncestorsButNoHiveRecord) {
    RegistryStore store;
    store.ensure("HKLM\\SOFTWARE\\NORVEX\\KVT");
    EXPECT_THAT(Paths(store), ElementsAre("HKLM\\SOFTWARE", "HKLM\\SOFTWARE\\NORVEX", "HKLM\\SOFTWARE\\NORVEX\\KVT"));
    EXPECT_TRUE(store.exists("hklm"));
    EXPECT_FALSE(store.exists("HKLM\\SOFTWARE\\Other"));
}

TEST(RegistryStore, NewKeysTakeTheStoredCaseOfTheirAncestors) {
    RegistryStore store;
    store.ensure("HKLM\\Software\\Vendor");
    RegistryKeyRecord& key = store.ensure("hklm\\SOFTWARE\\vendor\\Product");
    EXPECT_EQ(key.path, "HKLM\\Software\\Vendor\\Product");
    EXPECT_EQ(&store.ensure("HKLM\\SOFTWARE\\VENDOR"), store.find("hklm\\software\\vendor"));
}

TEST(RegistryStore, ChildrenAreSortedAndIncludeKeysImpliedByDeeperOnes) {
    RegistryStore store;
    store.ensure("HKLM\\SOFTWARE\\beta");
    store.ensure("HKLM\\SOFTWARE\\A\\X");
    store.ensure("HKLM\\SOFTWARE\\AB");
    store.ensure("HKLM\\SOFTWARE\\Gamma\\Deep\\Deeper");
    store.erase("HKLM\\SOFTWARE\\Gamma");  // an image may list only the deep key
    EXPECT_THAT(store.children("HKLM\\software"), ElementsAre("HKLM\\SOFTWARE\\A", "HKLM\\SOFTWARE\\AB",
                                                              "HKLM\\SOFTWARE\\beta", "HKLM\\SOFTWARE\\Gamma"));
    EXPECT_TRUE(store.exists("HKLM\\SOFTWARE\\Gamma"));
    EXPECT_THAT(store.children("HKLM"), ElementsAre("HKLM\\SOFTWARE"));
    EXPECT_TRUE(store.children("HKLM\\SOFTWARE\\AB").empty());
}

TEST(RegistryStore, EraseTreeStopsAtTheSubtree) {
    RegistryStore store;
    store.ensure("HKLM\\SYSTEM\\Enum\\USBPRINT\\Dev\\1");
    store.ensure("HKLM\\SYSTEM\\Enum\\USBPRINTER");  // shares the name as a prefix only
    store.eraseTree("HKLM\\SYSTEM\\Enum\\usbprint");
    EXPECT_THAT(Paths(store), ElementsAre("HKLM\\SYSTEM", "HKLM\\SYSTEM\\Enum", "HKLM\\SYSTEM\\Enum\\USBPRINTER"));
    EXPECT_FALSE(store.hasChildren("HKLM\\SYSTEM\\Enum\\USBPRINTER"));
    EXPECT_TRUE(store.hasChildren("HKLM\\SYSTEM"));
}

}  // namespace
}  // namespace kvt::sim
