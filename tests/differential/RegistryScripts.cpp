// Registry scripts: the two views and the KEY_WOW64_* flags, deletion of
// keys with and without subkeys, value types and terminators, enumeration
// order, odd names.
#include <string>

#include "tests/differential/Scripts.h"

namespace kvt::diff {
namespace {

using nlohmann::json;

constexpr std::uint32_t kAllAccess = 0xF003F;

struct View {
    const char* name;
    std::uint32_t flag;
};
constexpr View kViews[] = {{"own", 0}, {"64", 0x100}, {"32", 0x200}};

struct Root {
    const char* name;
    const char* hive;
    const char* parent;  // where the script's key is made
};
constexpr Root kRoots[] = {{"lmsoft", "HKLM", "Software"}, {"cusoft", "HKCU", "Software"},
                           {"lmsys", "HKLM", "System"}};

// Written in one view, looked for in another: redirection applies to
// HKLM\Software only, and a 64-bit caller's own view is the 64-bit one.
void AddViewScripts(std::vector<Script>& scripts) {
    for (const Root& root : kRoots)
        for (const View& written : kViews)
            for (const View& read : kViews) {
                Script s(std::string("reg-view-") + root.name + "-" + written.name + "-" + read.name);
                const std::string key = std::string(root.parent) + "\\KvtDiff-" + s.name();
                s.add({{"op", "reg.create"}, {"root", root.hive}, {"key", key + "\\Sub"},
                       {"access", kAllAccess | written.flag}, {"as", "w"}});
                s.add({{"op", "reg.set"}, {"h", "w"}, {"name", "V"}, {"type", 1}, {"hex", Hex(std::string("x\0", 2))}});
                s.add({{"op", "reg.close"}, {"h", "w"}});
                s.add({{"op", "reg.open"}, {"root", root.hive}, {"key", key + "\\Sub"},
                       {"access", 0x20019u | read.flag}, {"as", "r"}});
                s.add({{"op", "reg.query"}, {"h", "r"}, {"name", "V"}});
                s.add({{"op", "reg.open"}, {"root", root.hive}, {"key", key}, {"access", 0x20019u | read.flag},
                       {"as", "p"}});
                s.add({{"op", "reg.enum"}, {"h", "p"}});
                s.add({{"op", "reg.close"}, {"h", "p"}});
                s.add({{"op", "reg.deleteEx"}, {"root", root.hive}, {"key", key + "\\Sub"}, {"access", read.flag}});
                s.add({{"op", "reg.deleteEx"}, {"root", root.hive}, {"key", key + "\\Sub"}, {"access", written.flag}});
                s.add({{"op", "reg.deleteEx"}, {"root", root.hive}, {"key", key}, {"access", written.flag}});
                scripts.push_back(std::move(s));
            }
}

// RegDeleteKeyEx refuses a key that has subkeys; SHDeleteKey takes the tree.
void AddDeleteScripts(std::vector<Script>& scripts) {
    for (const View& view : kViews) {
        Script s(std::string("reg-delete-tree-") + view.name);
        const std::string key = s.key();
        for (const char* sub : {"\\A\\B\\C", "\\A\\D", "\\E"}) {
            s.add({{"op", "reg.create"}, {"root", "HKLM"}, {"key", key + sub}, {"access", kAllAccess | view.flag},
                   {"as", "k"}});
            s.add({{"op", "reg.set"}, {"h", "k"}, {"name", "N"}, {"type", 4}, {"hex", "01000000"}});
            s.add({{"op", "reg.close"}, {"h", "k"}});
        }
        s.add({{"op", "reg.deleteEx"}, {"root", "HKLM"}, {"key", key + "\\A"}, {"access", view.flag}});
        s.add({{"op", "reg.deleteEx"}, {"root", "HKLM"}, {"key", key + "\\A\\B\\C"}, {"access", view.flag}});
        s.add({{"op", "reg.deleteEx"}, {"root", "HKLM"}, {"key", key + "\\A\\B"}, {"access", view.flag}});
        s.add({{"op", "reg.deleteEx"}, {"root", "HKLM"}, {"key", key + "\\A\\B"}, {"access", view.flag}});
        s.add({{"op", "reg.shDelete"}, {"root", "HKLM"}, {"key", key}});
        s.add({{"op", "reg.open"}, {"root", "HKLM"}, {"key", key}, {"access", 0x20019u | view.flag}});
        s.add({{"op", "reg.deleteEx"}, {"root", "HKLM"}, {"key", key}, {"access", view.flag}});
        s.add({{"op", "reg.open"}, {"root", "HKLM"}, {"key", key}, {"access", 0x20019u | view.flag}});
        s.add({{"op", "reg.shDelete"}, {"root", "HKLM"}, {"key", key}});
        scripts.push_back(std::move(s));
    }
    {
        Script s("reg-delete-open-handle");
        s.add({{"op", "reg.create"}, {"root", "HKCU"}, {"key", s.key() + "\\X"}, {"as", "x"}});
        s.add({{"op", "reg.deleteEx"}, {"root", "HKCU"}, {"key", s.key() + "\\X"}});
        s.add({{"op", "reg.set"}, {"h", "x"}, {"name", "late"}, {"type", 1}, {"hex", "6100"}});
        s.add({{"op", "reg.create"}, {"root", "x"}, {"key", "Y"}});
        s.add({{"op", "reg.enum"}, {"h", "x"}});
        s.add({{"op", "reg.shDelete"}, {"root", "HKCU"}, {"key", s.key()}});
        scripts.push_back(std::move(s));
    }
}

struct ValueRow {
    const char* name;
    std::uint32_t type;
    std::string bytes;
};

// Values come back as they were written, terminators or not, whatever the
// type claims.
void AddValueScripts(std::vector<Script>& scripts) {
    using namespace std::string_literals;
    const ValueRow rows[] = {
        {"sz", 1, "text\0"s},
        {"sz-unterminated", 1, "text"s},
        {"sz-empty", 1, ""s},
        {"sz-only-zero", 1, "\0"s},
        {"sz-two-zeros", 1, "ab\0\0"s},
        {"sz-inner-zero", 1, "a\0b\0"s},
        {"sz-high-bytes", 1, "caf\xe9\0"s},
        {"expand", 2, "%SystemRoot%\\x\0"s},
        {"binary", 3, "\x01\x02\x00\xff"s},
        {"binary-empty", 3, ""s},
        {"dword", 4, "\x78\x56\x34\x12"s},
        {"dword-short", 4, "\x01\x02"s},
        {"dword-long", 4, "\x01\x02\x03\x04\x05"s},
        {"dword-be", 5, "\x12\x34\x56\x78"s},
        {"multi", 7, "a\0bc\0\0"s},
        {"multi-one-zero", 7, "a\0bc\0"s},
        {"multi-empty", 7, "\0"s},
        {"qword", 11, "\x01\x02\x03\x04\x05\x06\x07\x08"s},
        {"none", 0, "\x05"s},
        {"unknown-type", 0x1234, "zz"s},
    };
    for (const ValueRow& row : rows) {
        Script s(std::string("reg-value-") + row.name);
        s.add({{"op", "reg.create"}, {"root", "HKCU"}, {"key", s.key()}, {"as", "k"}});
        s.add({{"op", "reg.set"}, {"h", "k"}, {"name", "Value"}, {"type", row.type}, {"hex", Hex(row.bytes)}});
        s.add({{"op", "reg.query"}, {"h", "k"}, {"name", "Value"}});
        s.add({{"op", "reg.query"}, {"h", "k"}, {"name", "VALUE"}});
        s.add({{"op", "reg.set"}, {"h", "k"}, {"name", ""}, {"type", row.type}, {"hex", Hex(row.bytes)}});
        s.add({{"op", "reg.query"}, {"h", "k"}, {"name", ""}});
        s.add({{"op", "reg.query"}, {"h", "k"}, {"name", "missing"}});
        s.add({{"op", "reg.shDelete"}, {"root", "HKCU"}, {"key", s.key()}});
        scripts.push_back(std::move(s));
    }
}

// Subkeys come back sorted without regard to case, whatever the order of
// their creation.
void AddEnumerationScripts(std::vector<Script>& scripts) {
    const std::vector<std::vector<std::string>> rows = {
        {"b", "a", "c"},
        {"Zeta", "alpha", "Beta", "gamma"},
        {"10", "9", "1", "100", "09"},
        {"a_b", "a-b", "a.b", "a b", "aB", "a~"},
        {"Printers", "Print", "Printer", "PRINT2"},
    };
    int n = 0;
    for (const std::vector<std::string>& names : rows) {
        Script s("reg-enum-order-" + std::to_string(++n));
        s.add({{"op", "reg.create"}, {"root", "HKCU"}, {"key", s.key()}, {"as", "p"}});
        for (const std::string& name : names) s.add({{"op", "reg.create"}, {"root", "p"}, {"key", name}});
        s.add({{"op", "reg.enum"}, {"h", "p"}});
        s.add({{"op", "reg.shDelete"}, {"root", "HKCU"}, {"key", s.key()}});
        scripts.push_back(std::move(s));
    }
}

// Odd key names and missing keys.
void AddNameScripts(std::vector<Script>& scripts) {
    const std::string longName(255, 'k');
    struct Row {
        const char* name;
        std::string sub;
    };
    const Row rows[] = {
        {"trailing-backslash", "A\\"},
        {"double-backslash", "A\\\\B"},
        {"leading-backslash", "\\A"},
        {"name-255", longName},
        {"name-256", longName + "k"},
        {"dots", "..\\A"},
        {"spaces", " A \\ B "},
        {"forward-slash", "A/B"},
    };
    for (const Row& row : rows) {
        Script s(std::string("reg-name-") + row.name);
        s.add({{"op", "reg.create"}, {"root", "HKCU"}, {"key", s.key()}, {"as", "p"}});
        s.add({{"op", "reg.create"}, {"root", "p"}, {"key", row.sub}, {"as", "c"}});
        s.add({{"op", "reg.open"}, {"root", "p"}, {"key", row.sub}});
        s.add({{"op", "reg.enum"}, {"h", "p"}});
        s.add({{"op", "reg.close"}, {"h", "p"}});
        s.add({{"op", "reg.shDelete"}, {"root", "HKCU"}, {"key", s.key()}});
        scripts.push_back(std::move(s));
    }
    Script s("reg-missing");
    s.add({{"op", "reg.open"}, {"root", "HKLM"}, {"key", s.key()}});
    s.add({{"op", "reg.deleteEx"}, {"root", "HKLM"}, {"key", s.key()}, {"access", 0x100}});
    s.add({{"op", "reg.shDelete"}, {"root", "HKLM"}, {"key", s.key()}});
    s.add({{"op", "reg.open"}, {"root", "HKLM"}, {"key", "Software"}, {"access", 0x20019}, {"as", "s"}});
    s.add({{"op", "reg.query"}, {"h", "s"}, {"name", "KvtDiffNoSuchValue"}});
    scripts.push_back(std::move(s));
}

}  // namespace

void AddRegistryScripts(std::vector<Script>& scripts) {
    AddViewScripts(scripts);
    AddDeleteScripts(scripts);
    AddValueScripts(scripts);
    AddEnumerationScripts(scripts);
    AddNameScripts(scripts);
}

}  // namespace kvt::diff
