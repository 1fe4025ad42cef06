// INF scripts: the Windows side's own INF files read by both INF readers,
// a corpus made from them (cut, joined, re-encoded, lines continued,
// sections decorated) and from a table of odd lines, string substitution,
// and SetupGetInfFileList over folders of files of each style.
#include <cctype>
#include <string>

#include "tests/differential/Scripts.h"

namespace kvt::diff {
namespace {

using nlohmann::json;
using namespace std::string_literals;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to && i < lines.size(); ++i) text += lines[i];
    return text;
}

std::string Utf16(const std::string& text) {
    std::string wide = "\xff\xfe";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Every line with a comma outside the first column carried on to a second
// physical line after its first comma.
std::string Continued(const std::string& text) {
    std::string out;
    for (const std::string& line : SplitLines(text)) {
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos || line.starts_with(';') || line.find('"') < comma) {
            out += line;
            continue;
        }
        out += line.substr(0, comma + 1) + " \\\r\n    " + line.substr(comma + 1);
    }
    return out;
}

// Every section header given a decoration and a trailing comment.
std::string Decorated(const std::string& text) {
    std::string out;
    for (const std::string& line : SplitLines(text)) {
        const std::size_t close = line.find(']');
        std::string name = line.substr(0, close == std::string::npos ? 0 : close);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (line.starts_with('[') && close != std::string::npos && name != "[version" && name != "[strings")
            out += line.substr(0, close) + ".NTamd64]   ; decorated" + line.substr(close + 1);
        else
            out += line;
    }
    return out;
}

void DumpScript(std::vector<Script>& scripts, const std::string& name, const std::string& file,
                const std::string& bytes) {
    Script s("inf-" + name);
    const std::string path = s.dir() + "\\" + file;
    s.add({{"op", "file.mkdir"}, {"path", s.dir()}});
    s.add({{"op", "file.write"}, {"path", path}, {"hex", Hex(bytes)}});
    s.add({{"op", "inf.dump"}, {"path", path}});
    s.add({{"op", "inf.open"}, {"path", path}, {"style", 3}, {"as", "i"}});
    s.add({{"op", "inf.find"}, {"h", "i"}, {"section", "Version"}, {"key", "signature"}});
    s.add({{"op", "inf.find"}, {"h", "i"}, {"section", "version"}, {"key", ""}});
    s.add({{"op", "inf.find"}, {"h", "i"}, {"section", "KvtDiffNoSection"}, {"key", ""}});
    scripts.push_back(std::move(s));
}

// Odd lines, each in a file of its own behind a Windows NT signature.
void AddOddLineScripts(std::vector<Script>& scripts) {
    const std::string version = "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n";
    struct Row {
        const char* name;
        std::string body;
    };
    const Row rows[] = {
        {"quotes-doubled", "[S]\r\nKey=\"a\"\"b\",\"\"\"\",c\r\n"},
        {"quotes-inner", "[S]\r\nKey=a\"b c\"d , \" e \"\r\n"},
        {"quotes-unclosed", "[S]\r\nKey=\"open, still\r\nNext=1\r\n"},
        {"quoted-key", "[S]\r\n\"Quoted Key\"=1\r\n\"a=b\"=2\r\n"},
        {"comment-in-quotes", "[S]\r\nKey=\"a;b\";c\r\n"},
        {"blanks", "[S]\r\n   Key   =   a   ,   b  ,  \r\n\t\tTab\t=\t1\t\r\n"},
        {"empty-fields", "[S]\r\nKey=,,\r\n,\r\n=\r\nKey2=\r\n"},
        {"no-key", "[S]\r\njust,fields,here\r\nsingle\r\n"},
        {"continuation", "[S]\r\nKey=a,\\\r\n b,\\\r\n c\r\nNext=1\r\n"},
        {"continuation-blank", "[S]\r\nKey=a \\  \r\n\r\nNext=1\r\n"},
        {"continuation-comment", "[S]\r\nKey=a \\ ; comment\r\n b\r\n"},
        {"continuation-last", "[S]\r\nKey=a\\"},
        {"backslash-inside", "[S]\r\nKey=C:\\dir\\file,a\\b\r\n"},
        {"section-spaces", "[ Spaced Name ]\r\nK=1\r\n[S2]junk after\r\nK=2\r\n"},
        {"section-repeated", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n[s]\r\nC=3\r\n"},
        {"section-empty", "[Empty]\r\n[S]\r\nA=1\r\n"},
        {"section-unclosed", "[Open\r\nA=1\r\n"},
        {"before-section", "Orphan=1\r\n[S]\r\nA=1\r\n"},
        {"strings", "[S]\r\nKey=%a%,%B%,x%a%y,%%,%missing%,%a\r\n[Strings]\r\na=alpha\r\nb=\"be ta\"\r\n"},
        {"strings-in-key", "[S]\r\n%a%=1\r\n[Strings]\r\na=KeyFromStrings\r\n"},
        {"strings-quoted", "[S]\r\nKey=\"%a%\"\r\n[Strings]\r\na=\"q,uo\"\"ted\"\r\n"},
        {"strings-decorated", "[S]\r\nKey=%a%\r\n[Strings.0409]\r\na=english\r\n[Strings]\r\na=neutral\r\n"},
        {"ctrl-z", "[S]\r\nA=1\r\n\x1a\r\nB=2\r\n"},
        {"zero-byte", "[S]\r\nA=1\0x\r\nB=2\r\n"s},
        {"lf-only", "[S]\nA=1\nB=2\n"},
        {"cr-only", "[S]\rA=1\rB=2\r"},
        {"high-bytes", "[S]\r\nKey=caf\xe9,\xa9\r\n"},
        {"long-field", "[S]\r\nKey=" + std::string(600, 'x') + "\r\n"},
        {"many-fields", "[S]\r\nKey=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20\r\n"},
        {"equals-in-field", "[S]\r\nKey=a=b,c=d\r\n"},
    };
    for (const Row& row : rows) DumpScript(scripts, "odd-" + std::string(row.name), "odd.inf", version + row.body);
    DumpScript(scripts, "odd-utf16", "odd.inf", Utf16(version + rows[18].body));
    DumpScript(scripts, "odd-utf8-bom", "odd.inf", "\xef\xbb\xbf" + version + rows[18].body);
}

// SetupGetInfFileList over folders of INF files of each style.
void AddListScripts(std::vector<Script>& scripts) {
    struct File {
        const char* name;
        const char* text;
    };
    const File files[] = {{"nt.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
                          {"chicago.inf", "[Version]\r\nSignature=\"$CHICAGO$\"\r\n"},
                          {"win95.inf", "[version]\r\nsignature=$Windows 95$\r\n"},
                          {"unquoted.inf", "[Version]\r\nSignature=$Windows NT$\r\n"},
                          {"other.inf", "[Version]\r\nSignature=\"$Something$\"\r\n"},
                          {"noversion.inf", "[S]\r\nA=1\r\n"},
                          {"empty.inf", ""},
                          {"upper.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
                          {"notinf.txt", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"}};
    for (std::uint32_t style : {1u, 2u, 3u}) {
        Script s("inf-list-style-" + std::to_string(style));
        s.add({{"op", "file.mkdir"}, {"path", s.dir()}});
        s.add({{"op", "inf.list"}, {"directory", s.dir()}, {"style", style}});
        for (const File& file : files)
            s.add({{"op", "file.write"}, {"path", s.dir() + "\\" + file.name}, {"hex", Hex(file.text)}});
        s.add({{"op", "inf.list"}, {"directory", s.dir()}, {"style", style}});
        s.add({{"op", "inf.list"}, {"directory", s.dir() + "\\"}, {"style", style}});
        s.add({{"op", "inf.list"}, {"directory", s.dir() + "\\missing"}, {"style", style}});
        scripts.push_back(std::move(s));
    }
}

}  // namespace

void AddInfScripts(const std::vector<InfSource>& infs, std::vector<Script>& scripts) {
    for (std::size_t i = 0; i < infs.size(); ++i) {
        const InfSource& inf = infs[i];
        const std::string base = inf.name.substr(0, inf.name.rfind('.'));
        DumpScript(scripts, "system-" + base, inf.name, inf.bytes);
        const std::vector<std::string> lines = SplitLines(inf.bytes);
        DumpScript(scripts, "cut-head-" + base, inf.name, JoinLines(lines, 0, lines.size() / 3));
        DumpScript(scripts, "cut-tail-" + base, inf.name, JoinLines(lines, lines.size() / 3, lines.size()));
        DumpScript(scripts, "cut-mid-line-" + base, inf.name, inf.bytes.substr(0, inf.bytes.size() / 2));
        DumpScript(scripts, "joined-" + base, inf.name, inf.bytes + infs[(i + 1) % infs.size()].bytes);
        DumpScript(scripts, "utf16-" + base, inf.name, Utf16(inf.bytes));
        DumpScript(scripts, "continued-" + base, inf.name, Continued(inf.bytes));
        DumpScript(scripts, "decorated-" + base, inf.name, Decorated(inf.bytes));
    }
    AddOddLineScripts(scripts);
    AddListScripts(scripts);
}

}  // namespace kvt::diff
