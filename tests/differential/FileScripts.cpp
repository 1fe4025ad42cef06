// File scripts: case-insensitive names, read-only and held-open files for
// delete, move and copy, CopyFile's fail-if-exists, removal of folders that
// are not empty, paths around MAX_PATH, listings.
#include <string>

#include "tests/differential/Scripts.h"

namespace kvt::diff {
namespace {

using nlohmann::json;

json Write(const std::string& path, const std::string& text) {
    return {{"op", "file.write"}, {"path", path}, {"hex", Hex(text)}};
}
json Op(const char* op, const std::string& path) { return {{"op", op}, {"path", path}}; }
json Copy(const std::string& from, const std::string& to, bool failIfExists) {
    return {{"op", "file.copy"}, {"from", from}, {"to", to}, {"failIfExists", failIfExists}};
}
json Move(const std::string& from, const std::string& to) { return {{"op", "file.move"}, {"from", from}, {"to", to}}; }
json List(const std::string& dir) { return {{"op", "file.list"}, {"pattern", dir + "\\*"}}; }

// What a file in each state answers to delete, move, copy onto and copy from.
void AddStateScripts(std::vector<Script>& scripts) {
    struct Row {
        const char* name;
        bool readOnly, held;
    };
    for (const Row& row : {Row{"plain", false, false}, Row{"readonly", true, false}, Row{"held", false, true},
                           Row{"readonly-held", true, true}}) {
        for (const char* action : {"delete", "move", "copy-onto", "copy-from", "copy-onto-fail"}) {
            Script s(std::string("file-") + row.name + "-" + action);
            const std::string d = s.dir(), f = d + "\\target.dll";
            s.add(Op("file.mkdir", d));
            s.add(Write(f, "old"));
            s.add(Write(d + "\\other.dll", "new"));
            if (row.readOnly) s.add({{"op", "file.setAttr"}, {"path", f}, {"attributes", 1}});
            if (row.held) s.add(Op("file.hold", f));
            const std::string a = action;
            if (a == "delete") s.add(Op("file.delete", f));
            if (a == "move") s.add(Move(f, d + "\\moved.dll"));
            if (a == "copy-onto") s.add(Copy(d + "\\other.dll", f, false));
            if (a == "copy-onto-fail") s.add(Copy(d + "\\other.dll", f, true));
            if (a == "copy-from") {
                s.add(Copy(f, d + "\\copy.dll", false));
                s.add(Op("file.attr", d + "\\copy.dll"));
            }
            s.add(List(d));
            scripts.push_back(std::move(s));
        }
    }
}

// Names are found without regard to case and stored as first written.
void AddCaseScripts(std::vector<Script>& scripts) {
    Script s("file-case");
    const std::string d = s.dir();
    s.add(Op("file.mkdir", d));
    s.add(Op("file.mkdir", d + "\\Sub"));
    s.add(Op("file.mkdir", d + "\\SUB"));
    s.add(Write(d + "\\sub\\Mixed.Txt", "one"));
    s.add(Op("file.read", d + "\\SUB\\MIXED.TXT"));
    s.add(Write(d + "\\Sub\\mixed.txt", "two"));
    s.add(List(d + "\\sub"));
    s.add(Move(d + "\\Sub\\MIXED.txt", d + "\\Sub\\mixed.TXT"));
    s.add(List(d + "\\Sub"));
    s.add(Copy(d + "\\sub\\mixed.txt", d + "\\SUB\\MIXED.TXT", false));
    s.add(Copy(d + "\\sub\\mixed.txt", d + "\\SUB\\MIXED.TXT", true));
    s.add(Op("file.delete", d + "\\SUB\\MIXED.TXT"));
    s.add(Op("file.rmdir", d + "\\sUb"));
    s.add(List(d));
    scripts.push_back(std::move(s));
}

void AddCopyMoveScripts(std::vector<Script>& scripts) {
    struct Row {
        const char* name;
        bool failIfExists;
        bool targetExists;
    };
    for (const Row& row : {Row{"copy-new", false, false}, Row{"copy-new-fail", true, false},
                           Row{"copy-over", false, true}, Row{"copy-over-fail", true, true}}) {
        Script s(std::string("file-") + row.name);
        const std::string d = s.dir();
        s.add(Op("file.mkdir", d));
        s.add(Write(d + "\\a", "source"));
        if (row.targetExists) s.add(Write(d + "\\b", "target"));
        s.add(Copy(d + "\\a", d + "\\b", row.failIfExists));
        s.add(Op("file.read", d + "\\b"));
        scripts.push_back(std::move(s));
    }
    Script s("file-copy-move-errors");
    const std::string d = s.dir();
    s.add(Op("file.mkdir", d));
    s.add(Write(d + "\\a", "x"));
    s.add(Op("file.mkdir", d + "\\dir"));
    s.add(Copy(d + "\\missing", d + "\\b", false));
    s.add(Copy(d + "\\a", d + "\\nodir\\b", false));
    s.add(Copy(d + "\\dir", d + "\\c", false));
    s.add(Copy(d + "\\a", d + "\\dir", false));
    s.add(Copy(d + "\\a", d + "\\a", false));
    s.add(Move(d + "\\missing", d + "\\b"));
    s.add(Move(d + "\\a", d + "\\nodir\\b"));
    s.add(Write(d + "\\b", "y"));
    s.add(Move(d + "\\a", d + "\\b"));
    s.add(Move(d + "\\a", d + "\\dir"));
    s.add(Move(d + "\\a", d + "\\dir\\a"));
    s.add(Move(d + "\\dir", d + "\\dir2"));
    s.add(Move(d + "\\dir2", d + "\\dir2\\inner"));
    s.add(List(d));
    s.add(List(d + "\\dir2"));
    scripts.push_back(std::move(s));
}

void AddDirectoryScripts(std::vector<Script>& scripts) {
    Script s("file-rmdir");
    const std::string d = s.dir();
    s.add(Op("file.mkdir", d));
    s.add(Op("file.mkdir", d));
    s.add(Op("file.mkdir", d + "\\a\\b"));
    s.add(Op("file.mkdir", d + "\\a"));
    s.add(Op("file.mkdir", d + "\\a\\b"));
    s.add(Write(d + "\\a\\b\\f", "x"));
    s.add(Op("file.rmdir", d + "\\a"));
    s.add(Op("file.rmdir", d + "\\a\\b"));
    s.add(Op("file.rmdir", d + "\\a\\b\\f"));
    s.add(Op("file.delete", d + "\\a\\b"));
    s.add(Op("file.delete", d + "\\a\\b\\f"));
    s.add(Op("file.rmdir", d + "\\a\\b"));
    s.add(Op("file.rmdir", d + "\\a\\missing"));
    s.add(Op("file.rmdir", d + "\\a"));
    s.add(Op("file.attr", d));
    s.add(Op("file.attr", d + "\\a"));
    s.add(Op("file.attr", d + "\\a\\b"));
    s.add(Op("file.delete", d + "\\nothing"));
    s.add(Op("file.delete", d + "\\no\\thing"));
    scripts.push_back(std::move(s));

    Script l("file-list");
    const std::string e = l.dir();
    l.add(Op("file.mkdir", e));
    for (const char* name : {"a1.txt", "B2.TXT", "c.inf", "ab.txt", "noext"}) l.add(Write(e + "\\" + name, name));
    l.add(Op("file.mkdir", e + "\\sub.dir"));
    for (const char* pattern : {"\\*", "\\*.*", "\\*.txt", "\\a?.txt", "\\*.none", "\\sub.dir\\*", "\\nodir\\*", "\\noext"})
        l.add({{"op", "file.list"}, {"pattern", e + pattern}});
    l.add(Op("file.attr", e + "\\noext"));
    l.add({{"op", "file.setAttr"}, {"path", e + "\\noext"}, {"attributes", 0x80}});
    l.add(Op("file.attr", e + "\\noext"));
    l.add({{"op", "file.setAttr"}, {"path", e + "\\noext"}, {"attributes", 3}});
    l.add(Op("file.attr", e + "\\noext"));
    scripts.push_back(std::move(l));
}

// Folders and files whose full path is just under, at and over MAX_PATH.
void AddLongPathScripts(std::vector<Script>& scripts) {
    for (std::size_t length : {200u, 246u, 247u, 248u, 249u, 258u, 259u, 260u, 261u, 300u}) {
        Script s("file-long-" + std::to_string(length));
        const std::string d = s.dir();
        s.add(Op("file.mkdir", d));
        std::string long_ = d + "\\";
        long_ += std::string(length - long_.size(), 'n');
        s.add(Op("file.mkdir", long_));
        s.add(Op("file.attr", long_));
        s.add(Write(long_ + "x", "data"));
        s.add(Op("file.attr", long_ + "x"));
        s.add(Op("file.read", long_ + "x"));
        s.add(Copy(long_ + "x", d + "\\short", false));
        s.add(List(d));
        scripts.push_back(std::move(s));
    }
}

}  // namespace

void AddFileScripts(std::vector<Script>& scripts) {
    AddStateScripts(scripts);
    AddCaseScripts(scripts);
    AddCopyMoveScripts(scripts);
    AddDirectoryScripts(scripts);
    AddLongPathScripts(scripts);
}

}  // namespace kvt::diff
