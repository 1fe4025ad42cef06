// GetPrivateProfileString on odd files: no section, duplicate keys and
// sections, long values, a zero byte, quotes, blanks, small buffers.
#include <string>

#include "tests/differential/Scripts.h"

namespace kvt::diff {
namespace {

using namespace std::string_literals;

struct Row {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::uint32_t size;
};

}  // namespace

void AddProfileScripts(std::vector<Script>& scripts) {
    const std::string longValue(300, 'v');
    const Row rows[] = {
        {"plain", "[S]\r\nKey=Value\r\n", "S", "Key", 256},
        {"no-section", "Key=Value\r\n", "S", "Key", 256},
        {"no-section-empty-name", "Key=Value\r\n[S]\r\n", "", "Key", 256},
        {"duplicate-key", "[S]\r\nKey=first\r\nKey=second\r\n", "S", "Key", 256},
        {"duplicate-section", "[S]\r\nA=1\r\n[T]\r\n[S]\r\nKey=later\r\n", "S", "Key", 256},
        {"case", "[sEcTiOn]\r\nkEy=v\r\n", "SECTION", "KEY", 256},
        {"long-value", "[S]\r\nKey=" + longValue + "\r\n", "S", "Key", 256},
        {"long-value-big-buffer", "[S]\r\nKey=" + longValue + "\r\n", "S", "Key", 1024},
        {"zero-byte", "[S]\r\nKey=ab\0cd\r\nNext=n\r\n"s, "S", "Next", 256},
        {"zero-byte-value", "[S]\r\nKey=ab\0cd\r\n"s, "S", "Key", 256},
        {"quoted", "[S]\r\nKey=\"quoted value\"\r\n", "S", "Key", 256},
        {"quote-one-side", "[S]\r\nKey=\"open\r\n", "S", "Key", 256},
        {"blanks", "[ S ]\r\n  Key  =  spaced value  \r\n", "S", "Key", 256},
        {"tabs", "[S]\r\n\tKey\t=\tv\t\r\n", "S", "Key", 256},
        {"comment", "[S]\r\n;Key=commented\r\nKey=v ; not a comment\r\n", "S", "Key", 256},
        {"no-equals", "[S]\r\nKey\r\n", "S", "Key", 256},
        {"empty-value", "[S]\r\nKey=\r\n", "S", "Key", 256},
        {"lf-only", "[S]\nKey=v\nOther=w\n", "S", "Other", 256},
        {"missing-key", "[S]\r\nKey=v\r\n", "S", "Other", 256},
        {"missing-section", "[S]\r\nKey=v\r\n", "T", "Key", 256},
        {"buffer-1", "[S]\r\nKey=Value\r\n", "S", "Key", 1},
        {"buffer-2", "[S]\r\nKey=Value\r\n", "S", "Key", 2},
        {"buffer-exact", "[S]\r\nKey=Value\r\n", "S", "Key", 6},
        {"section-unclosed", "[S\r\nKey=v\r\n", "S", "Key", 256},
        {"utf16", "\xff\xfe[\0S\0]\0\r\0\n\0K\0e\0y\0=\0v\0\r\0\n\0"s, "S", "Key", 256},
        {"utf8-bom", "\xef\xbb\xbf[S]\r\nKey=v\r\n", "S", "Key", 256},
        {"empty-file", "", "S", "Key", 256},
    };
    for (const Row& row : rows) {
        Script s(std::string("profile-") + row.name);
        const std::string file = s.dir() + "\\p.ini";
        s.add({{"op", "file.mkdir"}, {"path", s.dir()}});
        s.add({{"op", "file.write"}, {"path", file}, {"hex", Hex(row.text)}});
        s.add({{"op", "file.profile"}, {"path", file}, {"section", row.section}, {"key", row.key},
               {"default", "dflt"}, {"size", row.size}});
        s.add({{"op", "file.profile"}, {"path", file}, {"section", row.section}, {"key", row.key},
               {"default", ""}, {"size", row.size}});
        scripts.push_back(std::move(s));
    }
    Script s("profile-missing-file");
    s.add({{"op", "file.profile"}, {"path", s.dir() + "\\none.ini"}, {"section", "S"}, {"key", "Key"},
           {"default", "dflt"}, {"size", 256}});
    s.add({{"op", "file.profile"}, {"path", s.dir() + "\\none.ini"}, {"section", "S"}, {"key", "Key"},
           {"default", "long default"}, {"size", 4}});
    scripts.push_back(std::move(s));
}

}  // namespace kvt::diff
