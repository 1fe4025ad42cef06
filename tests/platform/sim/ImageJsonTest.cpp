#include "platform/sim/ImageJson.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/SpoolerKeys.h"

namespace kvt::sim {
namespace {

using nlohmann::json;

World Load(const json& image) {
    World world;
    auto error = LoadImage(image, world);
    EXPECT_FALSE(error) << error->jsonPath << ": " << error->reason;
    return world;
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

json ImageWithValue(const json& value) {
    return {{"registry", {{{"key", "HKLM\\SOFTWARE\\Test"}, {"values", {{"V", value}}}}}}};
}

// ---------------------------------------------------------------- typed values

struct ValueCase {
    const char* name;
    json image;  // the value as an image writes it
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;  // as RegSetValueEx would have stored it
    json saved;                       // canonical form written back
};

class ImageValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ImageValueTest, LoadsBytesAndSavesCanonically) {
    const ValueCase& c = GetParam();
    World world = Load(ImageWithValue(c.image));
    const RegistryKeyRecord* key = world.registry.find("HKLM\\SOFTWARE\\Test");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].second.type, c.type);
    EXPECT_EQ(key->values[0].second.data, c.bytes);
    json saved = SaveImage(world);
    EXPECT_EQ(saved["registry"][0]["values"]["V"], c.saved);
}

const std::vector<std::uint8_t> kZero{0};

INSTANTIATE_TEST_SUITE_P(Types, ImageValueTest,
                         ::testing::Values(ValueCase{"sz_counts_its_terminator",
                                                     {{"type", "REG_SZ"}, {"data", "abc"}},
                                                     reg::TypeSz,
                                                     {'a', 'b', 'c', 0},
                                                     {{"type", "REG_SZ"}, {"data", "abc"}}},
                                           ValueCase{"sz_without_terminator",
                                                     {{"type", "REG_SZ"}, {"data", "abc"}, {"terminated", false}},
                                                     reg::TypeSz,
                                                     {'a', 'b', 'c'},
                                                     {{"type", "REG_SZ"}, {"data", "abc"}, {"terminated", false}}},
                                           ValueCase{"sz_empty_is_one_zero",
                                                     {{"type", "REG_SZ"}, {"data", ""}},
                                                     reg::TypeSz,
                                                     kZero,
                                                     {{"type", "REG_SZ"}, {"data", ""}}},
                                           ValueCase{"sz_latin1_to_ansi_byte",
                                                     {{"type", "REG_SZ"}, {"data", "Caf\xC3\xA9"}},
                                                     reg::TypeSz,
                                                     {'C', 'a', 'f', 0xE9, 0},
                                                     {{"type", "REG_SZ"}, {"data", "Caf\xC3\xA9"}}},
                                           ValueCase{"expand_sz",
                                                     {{"type", "REG_EXPAND_SZ"}, {"data", "%SystemRoot%"}},
                                                     reg::TypeExpandSz,
                                                     Bytes(std::string("%SystemRoot%") + '\0'),
                                                     {{"type", "REG_EXPAND_SZ"}, {"data", "%SystemRoot%"}}},
                                           ValueCase{"multi_sz",
                                                     {{"type", "REG_MULTI_SZ"}, {"data", {"a", "bc"}}},
                                                     reg::TypeMultiSz,
                                                     {'a', 0, 'b', 'c', 0, 0},
                                                     {{"type", "REG_MULTI_SZ"}, {"data", {"a", "bc"}}}},
                                           ValueCase{"multi_sz_empty",
                                                     {{"type", "REG_MULTI_SZ"}, {"data", json::array()}},
                                                     reg::TypeMultiSz,
                                                     kZero,
                                                     {{"type", "REG_MULTI_SZ"}, {"data", json::array()}}},
                                           ValueCase{"dword_little_endian",
                                                     {{"type", "REG_DWORD"}, {"data", 0x01020304}},
                                                     reg::TypeDword,
                                                     {4, 3, 2, 1},
                                                     {{"type", "REG_DWORD"}, {"data", 0x01020304}}},
                                           ValueCase{"dword_largest",
                                                     {{"type", "REG_DWORD"}, {"data", 4294967295u}},
                                                     reg::TypeDword,
                                                     {0xFF, 0xFF, 0xFF, 0xFF},
                                                     {{"type", "REG_DWORD"}, {"data", 4294967295u}}},
                                           ValueCase{"qword",
                                                     {{"type", "REG_QWORD"}, {"data", 0x0102030405060708ull}},
                                                     11,
                                                     {8, 7, 6, 5, 4, 3, 2, 1},
                                                     {{"type", "REG_QWORD"}, {"data", 0x0102030405060708ull}}},
                                           ValueCase{"binary_uppercase_read_lowercase_written",
                                                     {{"type", "REG_BINARY"}, {"data", "1B4a00"}},
                                                     reg::TypeBinary,
                                                     {0x1b, 0x4a, 0x00},
                                                     {{"type", "REG_BINARY"}, {"data", "1b4a00"}}},
                                           ValueCase{"binary_empty",
                                                     {{"type", "REG_BINARY"}, {"data", ""}},
                                                     reg::TypeBinary,
                                                     {},
                                                     {{"type", "REG_BINARY"}, {"data", ""}}},
                                           ValueCase{"unnamed_type_number",
                                                     {{"type", 5}, {"data", "00000001"}},
                                                     5,
                                                     {0, 0, 0, 1},
                                                     {{"type", 5}, {"data", "00000001"}}},
                                           ValueCase{"dword_of_odd_size_as_hex",
                                                     {{"type", "REG_DWORD"}, {"hex", "010203"}},
                                                     reg::TypeDword,
                                                     {1, 2, 3},
                                                     {{"type", "REG_DWORD"}, {"hex", "010203"}}},
                                           ValueCase{"multi_sz_without_final_zero_as_hex",
                                                     {{"type", "REG_MULTI_SZ"}, {"hex", "6100"}},
                                                     reg::TypeMultiSz,
                                                     {'a', 0},
                                                     {{"type", "REG_MULTI_SZ"}, {"hex", "6100"}}},
                                           ValueCase{"unknown_value_fields_kept",
                                                     {{"type", "REG_SZ"}, {"data", "x"}, {"note", {1, 2}}},
                                                     reg::TypeSz,
                                                     {'x', 0},
                                                     {{"type", "REG_SZ"}, {"data", "x"}, {"note", {1, 2}}}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ImageJsonTest, ValuesWrittenBySimulatedProgramsSaveWithoutLoss) {
    World world;
    RegistryKeyRecord& key = world.registry.ensure("HKLM\\SOFTWARE\\Odd");
    key.values.push_back({"EmbeddedZero", {reg::TypeSz, {'a', 0, 'b', 0}}});
    key.values.push_back({"ShortDword", {reg::TypeDword, {1, 2}}});
    key.values.push_back({"HalfMulti", {reg::TypeMultiSz, {'a', 0, 'b'}}});
    key.values.push_back({"NoType", {reg::TypeNone, {0xFF}}});
    World again = Load(SaveImage(world));
    const RegistryKeyRecord* reloaded = again.registry.find("HKLM\\SOFTWARE\\Odd");
    ASSERT_NE(reloaded, nullptr);
    for (const auto& [name, value] : key.values) {
        bool found = false;
        for (const auto& [otherName, other] : reloaded->values) {
            if (otherName == name) {
                found = true;
                EXPECT_EQ(other, value) << name;
            }
        }
        EXPECT_TRUE(found) << name;
    }
}

// ---------------------------------------------------------------- access lists

TEST(ImageJsonTest, AclRightsByNameDependOnTheObject) {
    json image = json::parse(R"({
      "directories": [ { "path": "C:\\D", "acl": [
          { "trustee": "Everyone", "rights": "full", "mode": "grant", "inherit": 3 },
          { "trustee": "Users", "rights": "read", "mode": "set" },
          { "trustee": "Users", "rights": "write", "mode": "deny" },
          { "trustee": "Users", "rights": "readExecute", "mode": "revoke" },
          { "trustee": "Guest", "rights": 1234, "mode": "grant" } ] } ],
      "registry": [ { "key": "HKLM\\K", "acl": [
          { "trustee": "Everyone", "rights": "full", "mode": "grant" },
          { "trustee": "Users", "rights": "read", "mode": "grant" },
          { "trustee": "Users", "rights": "write", "mode": "grant" },
          { "trustee": "Users", "rights": "readExecute", "mode": "grant" } ] } ] })");
    World world = Load(image);
    const DirectoryRecord* dir = world.files.findDirectory("C:\\D");
    ASSERT_NE(dir, nullptr);
    ASSERT_EQ(dir->acl.size(), 5u);
    EXPECT_EQ(dir->acl[0], (ports::ExplicitAccess{"Everyone", acl::GenericAll, ports::AccessMode::Grant, 3}));
    EXPECT_EQ(dir->acl[1].rights, acl::GenericRead);
    EXPECT_EQ(dir->acl[1].mode, ports::AccessMode::Set);
    EXPECT_EQ(dir->acl[2].rights, acl::GenericWrite);
    EXPECT_EQ(dir->acl[2].mode, ports::AccessMode::Deny);
    EXPECT_EQ(dir->acl[3].rights, acl::GenericRead | acl::GenericExecute);
    EXPECT_EQ(dir->acl[3].mode, ports::AccessMode::Revoke);
    EXPECT_EQ(dir->acl[4].rights, 1234u);
    const RegistryKeyRecord* key = world.registry.find("HKLM\\K");
    ASSERT_NE(key, nullptr);
    std::vector<std::uint32_t> keyRights;
    for (const auto& e : key->acl) keyRights.push_back(e.rights);
    EXPECT_EQ(keyRights, (std::vector<std::uint32_t>{0xF003F, 0x20019, 0x20026, 0x20019}));

    json saved = SaveImage(world);
    std::vector<json> dirRights, savedKeyRights;
    for (const auto& e : saved["directories"][0]["acl"]) dirRights.push_back(e["rights"]);
    for (const auto& e : saved["registry"][0]["acl"]) savedKeyRights.push_back(e["rights"]);
    EXPECT_EQ(dirRights, (std::vector<json>{"full", "read", "write", "readExecute", 1234}));
    EXPECT_EQ(savedKeyRights, (std::vector<json>{"full", "read", "write", "read"}));
    EXPECT_EQ(saved["directories"][0]["acl"][3]["mode"], "revoke");
    EXPECT_EQ(saved["directories"][0]["acl"][0]["inherit"], 3);
}

// ---------------------------------------------------------------- files

TEST(ImageJsonTest, FileContentTextAndBase64) {
    json image = json::parse(R"({ "files": [
        { "path": "C:\\a.txt", "text": "line\r\n\ttab", "readOnly": true },
        { "path": "C:\\b.bin", "base64": "AAH/", "inUse": true },
        { "path": "C:\\c.txt", "text": "caf\u00e9" },
        { "path": "C:\\empty" } ] })");
    World world = Load(image);
    EXPECT_EQ(world.files.findFile("C:\\a.txt")->bytes, "line\r\n\ttab");
    EXPECT_TRUE(world.files.findFile("C:\\a.txt")->readOnly);
    EXPECT_EQ(world.files.findFile("C:\\b.bin")->bytes, std::string("\x00\x01\xFF", 3));
    EXPECT_TRUE(world.files.findFile("C:\\b.bin")->inUse);
    EXPECT_EQ(world.files.findFile("C:\\c.txt")->bytes, "caf\xE9");
    EXPECT_EQ(world.files.findFile("C:\\empty")->bytes, "");

    json saved = SaveImage(world);
    ASSERT_EQ(saved["files"].size(), 4u);
    EXPECT_EQ(saved["files"][0]["text"], "line\r\n\ttab");
    EXPECT_EQ(saved["files"][1]["base64"], "AAH/");
    EXPECT_FALSE(saved["files"][1].contains("text"));
    EXPECT_EQ(saved["files"][2]["base64"], "Y2Fm6Q==");  // the ANSI byte is not printable ASCII
    EXPECT_EQ(saved["files"][3]["text"], "");
}

TEST(ImageJsonTest, Base64PaddingVariantsDecode) {
    for (const auto& [encoded, decoded] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"YQ==", "a"}, {"YWI=", "ab"}, {"YWJj", "abc"}, {"YWJjZA==", "abcd"}}) {
        World world = Load({{"files", {{{"path", "C:\\f"}, {"base64", encoded}}}}});
        EXPECT_EQ(world.files.findFile("C:\\f")->bytes, decoded) << encoded;
    }
}

// ---------------------------------------------------------------- canonical saving

TEST(ImageJsonTest, SavingSortsAndKeepsOnlyWhatCarriesInformation) {
    json image = json::parse(R"({
      "directories": [ { "path": "C:\\b\\Empty" }, { "path": "C:\\A" }, { "path": "C:\\b" },
                       { "path": "C:\\j", "junctionTo": "C:\\A" } ],
      "files": [ { "path": "C:\\b\\z.txt", "text": "z" }, { "path": "C:\\A\\y.txt", "text": "y" } ],
      "registry": [ { "key": "HKEY_LOCAL_MACHINE\\SOFTWARE\\Zeta\\Leaf" },
                    { "key": "HKLM\\SOFTWARE\\Zeta" },
                    { "key": "hkcu\\Software\\Alpha", "values": { "x": { "type": "REG_DWORD", "data": 1 } } },
                    { "key": "HKLM\\SYSTEM\\Locked", "protected": true } ] })");
    json saved = SaveImage(Load(image));
    std::vector<std::string> dirs, files, keys;
    for (const auto& d : saved["directories"]) dirs.push_back(d["path"]);
    for (const auto& f : saved["files"]) files.push_back(f["path"]);
    for (const auto& k : saved["registry"]) keys.push_back(k["key"]);
    // "C:\A" and "C:\b" are implied by what they hold; the empty ones and the junction remain.
    EXPECT_EQ(dirs, (std::vector<std::string>{"C:\\b\\Empty", "C:\\j"}));
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\A\\y.txt", "C:\\b\\z.txt"}));
    EXPECT_EQ(keys, (std::vector<std::string>{"HKCU\\Software\\Alpha", "HKLM\\SOFTWARE\\Zeta\\Leaf",
                                              "HKLM\\SYSTEM\\Locked"}));
    EXPECT_EQ(saved["directories"][1]["junctionTo"], "C:\\A");
    EXPECT_TRUE(saved["registry"][2]["protected"]);
}

TEST(ImageJsonTest, SaveLoadSaveIsByteIdenticalForAHandMadeImage) {
    json image = json::parse(R"({
      "os": { "major": 6, "minor": 1, "build": 7601, "is64Bit": false },
      "clock": "2027-01-02T03:04:05",
      "files": [ { "path": "C:\\Setup\\KVT580duo_Config.NVX", "text": "[KVT580D]\r\nPORTDLG=1\r\n" } ],
      "spooler": {
        "running": false,
        "printers": [ { "name": "Receipt A", "driver": "KVT", "port": "USB001", "jobs": [ 3, 4 ],
                        "data": { "MajorVersion": { "type": "REG_DWORD", "data": 3 } },
                        "devmode": { "copies": 2, "formName": "Roll" } },
                      { "name": "Receipt B", "devmode": null } ],
        "forms": [ { "name": "Roll", "width": 80000, "length": 297000, "imageable": [ 1, 2, 3, 4 ] } ] },
      "devices": [ { "enumerator": "USB", "instanceId": "USB\\VID_2E9C&PID_000B\\5&1",
                     "hardwareIds": [ "USB\\VID_2E9C&PID_000B&REV_0100" ] } ],
      "restart": { "flags": 6, "reason": 0 } })");
    World world = Load(image);
    const SpoolerObjects objects = ReadSpoolerObjects(world.registry, "Windows NT x86");
    ASSERT_EQ(objects.printers.size(), 2u);
    EXPECT_EQ(world.spooler.jobs["Receipt A"], (std::vector<std::uint32_t>{3, 4}));
    ASSERT_TRUE(objects.printers[0].devmode);
    EXPECT_EQ(objects.printers[0].devmode->copies, 2);
    EXPECT_EQ(objects.printers[0].devmode->paperSize, 9);  // omitted: the default
    EXPECT_FALSE(objects.printers[1].devmode);
    EXPECT_EQ(world.spooler.forms[0].imageable[3], 4);
    ASSERT_TRUE(world.restart);
    EXPECT_EQ(world.restart->flags, 6u);
    EXPECT_TRUE(world.shutdownPrivilege);  // omitted: the fresh-image default
    std::string first = SaveImage(world).dump(2);
    World again;
    ASSERT_FALSE(ParseImageText(first, again));
    EXPECT_EQ(SaveImage(again).dump(2), first);
}

TEST(ImageJsonTest, SysnativeAndTheCodePageAreSavedOnlyWhenTheImageStatesThem) {
    const json fresh = SaveImage(Load(json::object()))["os"];
    EXPECT_FALSE(fresh.contains("sysnative"));
    EXPECT_FALSE(fresh.contains("ansiCodePage"));
    const World world = Load(json::parse(R"({ "os": { "sysnative": false, "ansiCodePage": 54936 } })"));
    EXPECT_EQ(world.os.sysnative, std::optional<bool>(false));
    EXPECT_EQ(world.os.ansiCodePage, 54936u);
    EXPECT_EQ(SaveImage(world)["os"]["sysnative"], false);
    EXPECT_EQ(SaveImage(world)["os"]["ansiCodePage"], 54936);
}

TEST(ImageJsonTest, UnknownFieldsSurviveAtEveryLevel) {
    json image = json::parse(R"({
      "note": "top",
      "os": { "note": "os" },
      "files": [ { "path": "C:\\f", "note": "file" } ],
      "directories": [ { "path": "C:\\d", "note": "dir",
                         "acl": [ { "trustee": "Everyone", "rights": "full", "mode": "grant", "note": "dirAce" } ] } ],
      "registry": [ { "key": "HKLM\\K", "note": "key",
                      "values": { "V": { "type": "REG_SZ", "data": "", "note": "value" } },
                      "acl": [ { "trustee": "Everyone", "rights": "read", "mode": "grant", "note": "keyAce" } ] } ],
      "spooler": { "note": "spooler",
                   "monitors": [ { "name": "M", "note": "monitor" } ],
                   "printProcessors": [ { "name": "P", "note": "processor" } ],
                   "drivers": [ { "name": "D", "note": "driver" } ],
                   "printers": [ { "name": "R", "note": "printer",
                                   "data": { "X": { "type": "REG_BINARY", "data": "00", "note": "printerData" } },
                                   "devmode": { "note": "devmode" } } ],
                   "forms": [ { "name": "F", "note": "form" } ] },
      "devices": [ { "enumerator": "USB", "note": "device" } ],
      "restart": { "flags": 6, "note": "restart" } })");
    json saved = SaveImage(Load(image));
    const std::vector<std::pair<std::string, std::string>> expected{
        {"/note", "top"},
        {"/os/note", "os"},
        {"/files/0/note", "file"},
        {"/directories/0/note", "dir"},
        {"/directories/0/acl/0/note", "dirAce"},
        {"/registry/0/note", "key"},
        {"/registry/0/values/V/note", "value"},
        {"/registry/0/acl/0/note", "keyAce"},
        {"/spooler/note", "spooler"},
        {"/spooler/monitors/0/note", "monitor"},
        {"/spooler/printProcessors/0/note", "processor"},
        {"/spooler/drivers/0/note", "driver"},
        {"/spooler/printers/0/note", "printer"},
        {"/spooler/printers/0/data/X/note", "printerData"},
        {"/spooler/printers/0/devmode/note", "devmode"},
        {"/spooler/forms/0/note", "form"},
        {"/devices/0/note", "device"},
        {"/restart/note", "restart"},
    };
    for (const auto& [pointer, value] : expected) {
        json::json_pointer at(pointer);
        ASSERT_TRUE(saved.contains(at)) << pointer;
        EXPECT_EQ(saved[at], value) << pointer;
    }
    // The stash of value extras never shows up as a field of its own.
    EXPECT_EQ(saved["registry"][0]["values"].size(), 1u);
    EXPECT_EQ(saved["spooler"]["printers"][0]["data"].size(), 1u);
    EXPECT_TRUE(saved["registry"][0]["acl"].is_array());
    // And the saved text is stable.
    World again;
    ASSERT_FALSE(ParseImageText(saved.dump(), again));
    EXPECT_EQ(SaveImage(again), saved);
}

TEST(ImageJsonTest, FailedLoadLeavesTheWorldAlone) {
    World world;
    world.files.putFile("C:\\keep.txt", "keep");
    auto error = LoadImage(json::parse(R"({ "files": [ { "path": "C:\\new" } ], "os": 3 })"), world);
    ASSERT_TRUE(error);
    EXPECT_NE(world.files.findFile("C:\\keep.txt"), nullptr);
    EXPECT_EQ(world.files.findFile("C:\\new"), nullptr);
}

// ---------------------------------------------------------------- malformed images

struct MalformedCase {
    const char* name;
    const char* text;
    const char* path;
    const char* reasonPart;
};

class MalformedImageTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedImageTest, NamesThePath) {
    const MalformedCase& c = GetParam();
    World world;
    std::optional<ImageError> error;
    ASSERT_NO_THROW(error = ParseImageText(c.text, world));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->jsonPath, c.path);
    EXPECT_NE(error->reason.find(c.reasonPart), std::string::npos) << error->reason;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MalformedImageTest,
    ::testing::Values(
        MalformedCase{"not_an_object", "[]", "$", "expected an object"},
        MalformedCase{"syntax_error_offset", "{\"os\": }", "$", "at byte 7"},
        MalformedCase{"empty_text", "", "$", "at byte"},
        MalformedCase{"os_major_string", R"({"os": {"major": "10"}})", "$.os.major", "integer"},
        MalformedCase{"os_negative", R"({"os": {"build": -1}})", "$.os.build", "integer"},
        MalformedCase{"os_too_big", R"({"os": {"minor": 4294967296}})", "$.os.minor", "4294967295"},
        MalformedCase{"os_float", R"({"os": {"platform": 2.5}})", "$.os.platform", "integer"},
        MalformedCase{"bool_as_number", R"({"shutdownPrivilege": 1})", "$.shutdownPrivilege", "true or false"},
        MalformedCase{"sysnative_as_number", R"({"os": {"sysnative": 1}})", "$.os.sysnative", "true or false"},
        MalformedCase{"unknown_code_page", R"({"os": {"ansiCodePage": 437}})", "$.os.ansiCodePage", "54936"},
        MalformedCase{"bad_clock", R"({"clock": "2026-13-01T00:00:00"})", "$.clock", "YYYY"},
        MalformedCase{"relative_windows_directory", R"({"windowsDirectory": "Windows"})", "$.windowsDirectory",
                      "full Windows path"},
        MalformedCase{"files_not_array", R"({"files": {}})", "$.files", "expected an array"},
        MalformedCase{"file_without_path", R"({"files": [{"text": ""}]})", "$.files[0].path", "required"},
        MalformedCase{"file_path_empty_component", R"({"files": [{"path": "C:\\a\\\\b"}]})", "$.files[0].path",
                      "empty"},
        MalformedCase{"file_path_dotdot", R"({"files": [{"path": "C:\\a\\..\\b"}]})", "$.files[0].path", ".."},
        MalformedCase{"file_path_bad_char", R"({"files": [{"path": "C:\\a?b"}]})", "$.files[0].path", "not allowed"},
        MalformedCase{"file_not_ansi", R"({"files": [{"path": "C:\\f", "text": "\u20ac"}]})", "$.files[0].text",
                      "U+20AC"},
        MalformedCase{"file_bad_base64", R"({"files": [{"path": "C:\\f", "base64": "YQ=A"}]})", "$.files[0].base64",
                      "base64"},
        MalformedCase{"file_base64_length", R"({"files": [{"path": "C:\\f", "base64": "YQ"}]})", "$.files[0].base64",
                      "multiple of 4"},
        MalformedCase{"file_text_and_base64", R"({"files": [{"path": "C:\\f", "text": "", "base64": ""}]})",
                      "$.files[0].base64", "not both"},
        MalformedCase{"file_read_only_string", R"({"files": [{"path": "C:\\f", "readOnly": "yes"}]})",
                      "$.files[0].readOnly", "true or false"},
        MalformedCase{"duplicate_file_case", R"({"files": [{"path": "C:\\F.txt"}, {"path": "c:\\f.TXT"}]})",
                      "$.files[1].path", "duplicate"},
        MalformedCase{"file_is_directory", R"({"directories": [{"path": "C:\\x"}], "files": [{"path": "C:\\X"}]})",
                      "$.files[0].path", "directory"},
        MalformedCase{"file_below_file", R"({"files": [{"path": "C:\\x"}, {"path": "C:\\x\\y"}]})", "$.files[1].path",
                      "is a file"},
        MalformedCase{"duplicate_directory", R"({"directories": [{"path": "C:\\d"}, {"path": "C:\\D"}]})",
                      "$.directories[1].path", "duplicate"},
        MalformedCase{"junction_number", R"({"directories": [{"path": "C:\\d", "junctionTo": 1}]})",
                      "$.directories[0].junctionTo", "string"},
        MalformedCase{"junction_with_entries",
                      R"({"directories": [{"path": "C:\\t"}, {"path": "C:\\j", "junctionTo": "C:\\t"}],
                          "files": [{"path": "C:\\j\\f"}]})",
                      "$.directories[1].junctionTo", "junction"},
        MalformedCase{"acl_bad_rights", R"({"directories": [{"path": "C:\\d", "acl": [{"rights": "all"}]}]})",
                      "$.directories[0].acl[0].rights", "readExecute"},
        MalformedCase{"acl_bad_mode", R"({"registry": [{"key": "HKLM\\K", "acl": [{"mode": "allow"}]}]})",
                      "$.registry[0].acl[0].mode", "grant"},
        MalformedCase{"acl_entry_not_object", R"({"registry": [{"key": "HKLM\\K", "acl": ["full"]}]})",
                      "$.registry[0].acl[0]", "object"},
        MalformedCase{"key_unknown_hive", R"({"registry": [{"key": "HKXX\\Software"}]})", "$.registry[0].key", "HKLM"},
        MalformedCase{"key_empty_component", R"({"registry": [{"key": "HKLM\\A\\\\B"}]})", "$.registry[0].key",
                      "empty"},
        MalformedCase{"key_trailing_separator", R"({"registry": [{"key": "HKLM\\A\\"}]})", "$.registry[0].key",
                      "empty"},
        MalformedCase{"duplicate_key_long_hive",
                      R"({"registry": [{"key": "HKLM\\Software\\X"}, {"key": "HKEY_LOCAL_MACHINE\\SOFTWARE\\x"}]})",
                      "$.registry[1].key", "duplicate"},
        MalformedCase{"value_without_type", R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"data": 1}}}]})",
                      "$.registry[0].values.V.type", "type"},
        MalformedCase{"value_unknown_type",
                      R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"type": "REG_TEXT"}}}]})",
                      "$.registry[0].values.V.type", "REG_TEXT"},
        MalformedCase{
            "dword_too_big",
            R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"type": "REG_DWORD", "data": 4294967296}}}]})",
            "$.registry[0].values.V.data", "4294967295"},
        MalformedCase{"dword_as_string",
                      R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"type": "REG_DWORD", "data": "1"}}}]})",
                      "$.registry[0].values.V.data", "integer"},
        MalformedCase{"binary_odd_length",
                      R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"type": "REG_BINARY", "data": "abc"}}}]})",
                      "$.registry[0].values.V.data", "odd"},
        MalformedCase{"binary_not_hex",
                      R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"type": "REG_BINARY", "data": "zz"}}}]})",
                      "$.registry[0].values.V.data", "hex digit"},
        MalformedCase{
            "multi_sz_item_number",
            R"({"registry": [{"key": "HKLM\\K", "values": {"V": {"type": "REG_MULTI_SZ", "data": ["a", 2]}}}]})",
            "$.registry[0].values.V.data[1]", "string"},
        MalformedCase{"value_name_with_space_quoted",
                      R"({"registry": [{"key": "HKLM\\K", "values": {"My Value": {"type": "REG_SZ", "data": 1}}}]})",
                      "$.registry[0].values[\"My Value\"].data", "string"},
        MalformedCase{
            "duplicate_value_name_case",
            R"({"registry": [{"key": "HKLM\\K", "values": {"a": {"type": "REG_SZ"}, "A": {"type": "REG_SZ"}}}]})",
            "$.registry[0].values.a", "duplicate"},
        MalformedCase{"spooler_ports_not_strings", R"({"spooler": {"ports": ["COM1:", 2]}})", "$.spooler.ports[1]",
                      "string"},
        MalformedCase{"monitor_dll_number", R"({"spooler": {"monitors": [{"name": "M", "dll": 7}]}})",
                      "$.spooler.monitors[0].dll", "string"},
        MalformedCase{"driver_version_negative", R"({"spooler": {"drivers": [{"version": -3}]}})",
                      "$.spooler.drivers[0].version", "integer"},
        MalformedCase{"driver_dependent_files", R"({"spooler": {"drivers": [{"dependentFiles": "a.dll"}]}})",
                      "$.spooler.drivers[0].dependentFiles", "array"},
        MalformedCase{"printer_jobs_item", R"({"spooler": {"printers": [{"jobs": [1, "2"]}]}})",
                      "$.spooler.printers[0].jobs[1]", "integer"},
        MalformedCase{"printer_data_value",
                      R"({"spooler": {"printers": [{"data": {"MISC": {"type": "REG_BINARY", "data": 5}}}]}})",
                      "$.spooler.printers[0].data.MISC.data", "hex"},
        MalformedCase{"devmode_copies_string", R"({"spooler": {"printers": [{"devmode": {"copies": "1"}}]}})",
                      "$.spooler.printers[0].devmode.copies", "integer"},
        MalformedCase{"devmode_out_of_int32", R"({"spooler": {"printers": [{"devmode": {"paperWidth": 2147483648}}]}})",
                      "$.spooler.printers[0].devmode.paperWidth", "2147483647"},
        MalformedCase{"devmode_beyond_a_short",
                      R"({"spooler": {"printers": [{"name": "P", "devmode": {"copies": 40000}}]}})",
                      "$.spooler.printers[0].devmode.copies", "32767"},
        MalformedCase{"devmode_form_name_too_long",
                      R"({"spooler": {"printers": [{"name": "P",
                          "devmode": {"formName": "0123456789012345678901234567890123"}}]}})",
                      "$.spooler.printers[0].devmode.formName", "31 characters"},
        MalformedCase{"printer_without_name", R"({"spooler": {"printers": [{"driver": "D"}]}})",
                      "$.spooler.printers[0].name", "required"},
        MalformedCase{"printer_name_with_backslash", R"({"spooler": {"printers": [{"name": "a\\b"}]}})",
                      "$.spooler.printers[0].name", "cannot hold"},
        MalformedCase{"duplicate_printer_case",
                      R"({"spooler": {"printers": [{"name": "Receipt"}, {"name": "RECEIPT"}]}})",
                      "$.spooler.printers[1].name", "duplicate printer"},
        MalformedCase{"duplicate_driver_same_environment",
                      R"({"os": {"is64Bit": false}, "spooler": {"drivers": [{"name": "D"},
                          {"name": "d", "environment": "Windows NT x86"}]}})",
                      "$.spooler.drivers[1].name", "duplicate driver"},
        MalformedCase{"monitor_of_another_environment",
                      R"({"os": {"is64Bit": true},
                          "spooler": {"monitors": [{"name": "M", "environment": "Windows NT x86"}]}})",
                      "$.spooler.monitors[0].environment", "Windows x64"},
        MalformedCase{"processor_environment_with_backslash",
                      R"({"spooler": {"printProcessors": [{"name": "P", "environment": "a\\b"}]}})",
                      "$.spooler.printProcessors[0].environment", "cannot hold"},
        MalformedCase{"form_imageable_three", R"({"spooler": {"forms": [{"imageable": [0, 0, 1]}]}})",
                      "$.spooler.forms[0].imageable", "4 integers"},
        MalformedCase{"form_imageable_item", R"({"spooler": {"forms": [{"imageable": [0, 0, 1, true]}]}})",
                      "$.spooler.forms[0].imageable[3]", "integer"},
        MalformedCase{"device_hardware_ids", R"({"devices": [{"hardwareIds": [null]}]})", "$.devices[0].hardwareIds[0]",
                      "string"},
        MalformedCase{"restart_not_object", R"({"restart": 6})", "$.restart", "object"},
        MalformedCase{"restart_flags", R"({"restart": {"flags": "6"}})", "$.restart.flags", "integer"}),
    [](const auto& row) { return std::string(row.param.name); });

// A fresh image with every kind of record filled in.
json RichImage() {
    World world = *FreshImage("xp-x86");
    DirectoryRecord& dir = world.files.ensureDirectory("C:\\Setup\\Driver64");
    dir.junctionTo = "C:\\Elsewhere";
    dir.acl.push_back({"Everyone", acl::GenericAll, ports::AccessMode::Grant, 3});
    world.registry.ensure("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT")
        .acl.push_back({"Everyone", reg::AllAccess, ports::AccessMode::Set, 0});
    DriverRecord driver;
    driver.name = "KVT";
    driver.environment = "Windows NT x86";
    driver.dependentFiles = {"UI580D.dll"};
    WriteDriverKey(world.registry, driver);
    PrinterRecord printer;
    printer.name = "Receipt";
    printer.data.push_back({"MajorVersion", {reg::TypeDword, {3, 0, 0, 0}}});
    printer.devmode = DevModeRecord{};
    WritePrinterKey(world.registry, printer);
    world.spooler.jobs["Receipt"] = {7};
    world.restart = RestartRecord{6, 0};
    return SaveImage(world);
}

// "/spooler/printers/0/data/MajorVersion" as "$.spooler.printers[0].data.MajorVersion".
std::string DollarPath(const json& document, const std::string& pointer) {
    std::string out = "$";
    const json* at = &document;
    std::size_t start = 1;
    while (start <= pointer.size()) {
        std::size_t end = pointer.find('/', start);
        std::string token = pointer.substr(start, end == std::string::npos ? std::string::npos : end - start);
        for (std::size_t i; (i = token.find("~1")) != std::string::npos;) token.replace(i, 2, "/");
        for (std::size_t i; (i = token.find("~0")) != std::string::npos;) token.replace(i, 2, "~");
        if (at->is_array()) {
            out += "[" + token + "]";
            at = &(*at)[std::stoul(token)];
        } else {
            bool identifier =
                !token.empty() && !std::isdigit(static_cast<unsigned char>(token[0])) &&
                token.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") ==
                    std::string::npos;
            out += identifier ? "." + token : "[" + json(token).dump() + "]";
            at = &(*at)[token];
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

TEST(ImageJsonTest, EveryMistypedFieldIsReportedAtItsOwnPath) {
    const json image = RichImage();
    const json replacements[] = {json::object(), "text", -1, 1.5, nullptr};
    std::size_t leaves = 0;
    const json flat = image.flatten();
    for (const auto& [pointer, original] : flat.items()) {
        ++leaves;
        const std::string expectedPath = DollarPath(image, pointer);
        for (const json& replacement : replacements) {
            json changed = image;
            changed[json::json_pointer(pointer)] = replacement;
            World world;
            std::optional<ImageError> error;
            ASSERT_NO_THROW(error = LoadImage(changed, world)) << pointer;
            if (error) {
                EXPECT_EQ(error->jsonPath.rfind(expectedPath, 0), 0u)
                    << pointer << " = " << replacement.dump() << ": " << error->jsonPath << ": " << error->reason;
            }
            // An object stands where no known field takes one (devmode and
            // restart are null in this image, and may hold one).
            if (replacement.is_object() && !original.is_null()) {
                EXPECT_TRUE(error) << pointer << " accepted an object";
            }
        }
    }
    EXPECT_GT(leaves, 200u);
}

TEST(ImageJsonTest, EveryTruncationOfARealImageIsAnError) {
    const std::string text = SaveImage(*FreshImage("win7-x64")).dump(2);
    const std::size_t end = text.rfind('}');
    std::size_t errors = 0, tried = 0;
    for (std::size_t length = 0; length < end; length += (length < 64 ? 1 : 29)) {
        World world;
        std::optional<ImageError> error;
        ASSERT_NO_THROW(error = ParseImageText(std::string_view(text).substr(0, length), world)) << length;
        ++tried;
        if (error && error->jsonPath == "$" && error->reason.find("byte") != std::string::npos) ++errors;
    }
    EXPECT_EQ(errors, tried);
}

TEST(ImageJsonTest, DeepNestingIsRefusedWithoutRecursion) {
    std::string text = "{\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}";
    World world;
    auto error = ParseImageText(text, world);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->jsonPath, "$");
    EXPECT_NE(error->reason.find("nesting"), std::string::npos);
    // Brackets inside strings do not count.
    EXPECT_FALSE(ParseImageText("{\"x\": \"" + std::string(1000, '[') + "\"}", world));
}

// ---------------------------------------------------------------- --system FILE

TEST(ImageJsonTest, SystemImageFromStandardInputAndFiles) {
    World world;
    std::string errorLine;
    std::istringstream good(R"({"os": {"major": 5, "minor": 1}})");
    ASSERT_TRUE(LoadSystemImageFile("-", good, world, errorLine)) << errorLine;
    EXPECT_EQ(world.os.major, 5u);

    std::istringstream bad(R"({"os": {"major": true}})");
    EXPECT_FALSE(LoadSystemImageFile("-", bad, world, errorLine));
    EXPECT_EQ(errorLine, "-: $.os.major: expected an integer from 0 to 4294967295");

    std::istringstream unused;
    EXPECT_FALSE(LoadSystemImageFile("/nonexistent/image.json", unused, world, errorLine));
    EXPECT_EQ(errorLine.rfind("/nonexistent/image.json: $: ", 0), 0u) << errorLine;
    EXPECT_EQ(errorLine.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace kvt::sim
