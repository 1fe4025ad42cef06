// Symbolic links to files and junctions as somebody else plants them: the
// file API follows a link when it opens a file and stops at it when it
// deletes, lists or queries it; the append of the setup log never writes
// through a link, nor into a folder that is a junction.
#include <gtest/gtest.h>

#include <string>

#include "platform/ports/WinCodes.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

World WorldWithLinks() {
    World world;
    world.os.is64Bit = false;
    world.files.putFile("C:\\Windows\\win.ini", "[fonts]\r\n");
    world.files.putFile("C:\\Temp\\link.txt", "").linkTo = "C:\\Windows\\win.ini";
    world.files.putFile("C:\\Temp\\dangling.txt", "").linkTo = "C:\\Windows\\none.txt";
    world.files.putFile("C:\\Temp\\loop1.txt", "").linkTo = "C:\\Temp\\loop2.txt";
    world.files.putFile("C:\\Temp\\loop2.txt", "").linkTo = "C:\\Temp\\loop1.txt";
    world.files.putFile("C:\\Users\\Clerk\\notes.txt", "mine");
    world.files.ensureDirectory("C:\\Planted").junctionTo = "C:\\Users\\Clerk";
    return world;
}

class FileLinkTest : public ::testing::Test {
protected:
    Simulation sim{WorldWithLinks(), Bitness::x86};
    ports::FileSystem& fs = sim.files();
    const FileStore& store() { return sim.world().files; }
    const std::string& winIni() { return store().findFile("C:\\Windows\\win.ini")->bytes; }
};

TEST_F(FileLinkTest, OpeningFollowsTheLink) {
    std::string bytes;
    ASSERT_EQ(fs.readFile("C:\\Temp\\link.txt", bytes), 0u);
    EXPECT_EQ(bytes, "[fonts]\r\n");
    ASSERT_EQ(fs.writeFile("C:\\Temp\\link.txt", "replaced"), 0u);
    EXPECT_EQ(winIni(), "replaced");
    ASSERT_EQ(fs.copyFile("C:\\Users\\Clerk\\notes.txt", "C:\\Temp\\link.txt", false), 0u);
    EXPECT_EQ(winIni(), "mine");
    EXPECT_TRUE(store().findFile("C:\\Temp\\link.txt")->linkTo.has_value()) << "the link stays a link";
}

TEST_F(FileLinkTest, DanglingAndLoopingLinks) {
    std::string bytes;
    EXPECT_EQ(fs.readFile("C:\\Temp\\dangling.txt", bytes), err::FileNotFound);
    EXPECT_EQ(fs.readFile("C:\\Temp\\loop1.txt", bytes), 1921u);
    EXPECT_EQ(fs.writeFile("C:\\Temp\\loop2.txt", "x"), 1921u);
}

TEST_F(FileLinkTest, DeletingListingAndQueryingStopAtTheLink) {
    std::uint32_t attributes = 0;
    ASSERT_EQ(fs.getFileAttributes("C:\\Temp\\link.txt", attributes), 0u);
    EXPECT_EQ(attributes, fileattr::Archive | fileattr::ReparsePoint);
    std::vector<ports::DirEntry> entries;
    ASSERT_EQ(fs.findFiles("C:\\Temp\\link.txt", entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].attributes & fileattr::ReparsePoint, fileattr::ReparsePoint);

    ASSERT_EQ(fs.deleteFile("C:\\Temp\\link.txt"), 0u);
    EXPECT_EQ(store().findFile("C:\\Temp\\link.txt"), nullptr);
    EXPECT_EQ(winIni(), "[fonts]\r\n");
}

TEST_F(FileLinkTest, AppendNeverWritesThroughALink) {
    EXPECT_EQ(fs.appendToFile("C:\\Temp\\link.txt", "log line\r\n"), err::CantAccessFile);
    EXPECT_EQ(sim.lastError(), err::CantAccessFile);
    EXPECT_EQ(winIni(), "[fonts]\r\n");
    EXPECT_EQ(fs.appendToFile("C:\\Temp\\dangling.txt", "log line\r\n"), err::CantAccessFile);
    EXPECT_EQ(store().findFile("C:\\Windows\\none.txt"), nullptr);
}

TEST_F(FileLinkTest, AppendNeverWritesIntoAJunction) {
    EXPECT_EQ(fs.appendToFile("C:\\Planted\\notes.txt", "log line\r\n"), err::CantAccessFile);
    EXPECT_EQ(fs.appendToFile("C:\\\\Planted\\new.txt", "log line\r\n"), err::CantAccessFile);
    EXPECT_EQ(store().findFile("C:\\Users\\Clerk\\notes.txt")->bytes, "mine");
    EXPECT_EQ(store().findFile("C:\\Users\\Clerk\\new.txt"), nullptr);
    // Reading through the junction still works, as on Windows.
    std::string bytes;
    EXPECT_EQ(fs.readFile("C:\\Planted\\notes.txt", bytes), 0u);
    // A folder below a junction is the target's own folder, not a link.
    sim.world().files.ensureDirectory("C:\\Users\\Clerk\\Sub");
    EXPECT_EQ(fs.appendToFile("C:\\Planted\\Sub\\x.txt", "y"), 0u);
    EXPECT_NE(store().findFile("C:\\Users\\Clerk\\Sub\\x.txt"), nullptr);
}

TEST(FileLinkImageTest, LinksLoadAndSaveAsTheyCame) {
    World world;
    ASSERT_FALSE(ParseImageText(R"({"files":[
        {"path":"C:\\Temp\\KVT-580duo_Installer.txt","linkTo":"C:\\Windows\\win.ini"},
        {"path":"C:\\Windows\\win.ini","text":"[fonts]"}]})",
                                world));
    const FileRecord* link = world.files.findFile("C:\\Temp\\KVT-580duo_Installer.txt");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->linkTo, "C:\\Windows\\win.ini");
    const nlohmann::json saved = SaveImage(world);
    EXPECT_EQ(saved["files"][0]["linkTo"], "C:\\Windows\\win.ini");
    EXPECT_FALSE(saved["files"][0].contains("text"));
    EXPECT_FALSE(saved["files"][1].contains("linkTo")) << "plain files keep their old form";
    World again;
    ASSERT_FALSE(LoadImage(saved, again));
    EXPECT_EQ(SaveImage(again), saved);
}

TEST(FileLinkImageTest, ALinkHoldsNoContentOfItsOwn) {
    World world;
    const auto error = ParseImageText(
        R"({"files":[{"path":"C:\\Temp\\x.txt","text":"own","linkTo":"C:\\Windows\\win.ini"}]})", world);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->jsonPath, "$.files[0].linkTo");
    const auto relative = ParseImageText(R"({"files":[{"path":"C:\\Temp\\x.txt","linkTo":"win.ini"}]})", world);
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->jsonPath, "$.files[0].linkTo");
}

}  // namespace
}  // namespace kvt::sim
