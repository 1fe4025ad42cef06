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

TEST(RegistryStore, ImpliedChildrenMergeInOrderWithTheirSiblings) {
    RegistryStore store;
    store.ensure("HKLM\\S\\A\\X");
    store.ensure("HKLM\\S\\A\\Y");
    store.ensure("HKLM\\S\\AB");
    store.ensure("HKLM\\S\\A B");
    store.ensure("HKLM\\S\\Z\\Q");
    store.erase("HKLM\\S\\A");  // implied twice, its keys sorting between its siblings'
    store.erase("HKLM\\S\\Z");
    EXPECT_THAT(store.children("HKLM\\S"),
                ElementsAre("HKLM\\S\\A", "HKLM\\S\\A B", "HKLM\\S\\AB", "HKLM\\S\\Z"));
}

// The store finds keys through an index into its own map: a copy, a moved-to
// store and a store after erasures must each find exactly their own keys.
TEST(RegistryStore, CopiesAndMovesFindTheirOwnKeys) {
    RegistryStore original;
    original.ensure("HKLM\\SOFTWARE\\Vendor\\Product");
    RegistryStore copy = original;
    original.eraseTree("HKLM\\SOFTWARE\\Vendor");
    EXPECT_EQ(original.find("HKLM\\SOFTWARE\\Vendor\\Product"), nullptr);
    EXPECT_EQ(original.find("HKLM\\SOFTWARE\\Vendor"), nullptr);
    ASSERT_NE(copy.find("hklm\\software\\vendor\\product"), nullptr);
    EXPECT_EQ(copy.find("HKLM\\SOFTWARE\\Vendor\\Product")->path, "HKLM\\SOFTWARE\\Vendor\\Product");

    RegistryStore moved = std::move(copy);
    RegistryKeyRecord* found = moved.find("HKLM\\SOFTWARE\\Vendor");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &moved.ensure("HKLM\\SOFTWARE\\VENDOR")) << "ensure finds the record the index holds";

    original = moved;
    moved.erase("HKLM\\SOFTWARE\\Vendor\\Product");
    EXPECT_EQ(moved.find("HKLM\\SOFTWARE\\Vendor\\Product"), nullptr);
    EXPECT_NE(original.find("HKLM\\SOFTWARE\\Vendor\\Product"), nullptr);
    EXPECT_EQ(moved.ensure("HKLM\\SOFTWARE\\Vendor\\Product").path, "HKLM\\SOFTWARE\\Vendor\\Product");
    EXPECT_EQ(moved.keys().size(), original.keys().size());
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
