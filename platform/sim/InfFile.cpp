#include "platform/sim/InfFile.h"

#include <map>
#include <utility>

#include "platform/ports/DeviceSetup.h"
#include "platform/sim/CaseInsensitive.h"

namespace kvt::sim {
namespace {

constexpr char kEndOfFile = '\x1A';  // old editors ended text files with Ctrl-Z

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text as single bytes: UTF-16LE (the form many shipped INF files take)
// is narrowed, characters outside Latin-1 becoming "?"; a UTF-8 mark is dropped.
std::string DecodeText(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::string text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned unit = static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
            text += unit < 0x100 ? static_cast<char>(unit) : '?';
        }
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return std::string(bytes);
}

std::vector<std::string_view> PhysicalLines(std::string_view text) {
    text = text.substr(0, text.find(kEndOfFile));
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// One field while it is read: blanks around it are dropped unless they came
// from inside quotes.
class FieldBuilder {
public:
    void addQuoted(char c) {
        text_ += c;
        kept_ = text_.size();
    }
    // An empty pair of quotes still makes the field a (quoted) empty one.
    void markQuoted() { kept_ = text_.size(); }
    void addPlain(char c) {
        if (IsBlank(c) && text_.empty()) return;
        text_ += c;
    }
    // A line carried on by "\" joins the next one without the blanks
    // around the break.
    void dropTrailingBlanks() {
        while (text_.size() > kept_ && IsBlank(text_.back())) text_.pop_back();
    }
    std::string finish() {
        while (text_.size() > kept_ && IsBlank(text_.back())) text_.pop_back();
        std::string done = std::move(text_);
        text_.clear();
        kept_ = 0;
        return done;
    }

private:
    std::string text_;
    std::size_t kept_ = 0;  // length up to the end of the last quoted character
};

struct RawLine {
    bool hasKey = false;
    std::string key;
    std::vector<std::string> fields;
    std::size_t lineNumber = 0;
};

struct RawSection {
    std::string name;
    std::vector<RawLine> lines;
};

// A comment may follow the "\" that continues a line.
bool OnlyBlanksOrCommentFrom(std::string_view line, std::size_t from) {
    for (std::size_t i = from; i < line.size(); ++i) {
        if (line[i] == ';') return true;
        if (!IsBlank(line[i])) return false;
    }
    return true;
}

// Reads one logical line starting at physical line `index`, which it moves
// past the lines it used. A "\" that ends a physical line (blanks aside),
// outside quotes, carries the logical line on to the next one.
RawLine ReadLogicalLine(const std::vector<std::string_view>& lines, std::size_t& index) {
    RawLine raw;
    raw.lineNumber = index + 1;
    FieldBuilder field;
    bool inQuotes = false;
    while (index < lines.size()) {
        const std::string_view line = lines[index++];
        bool continued = false;
        std::size_t i = 0;
        if (index - 1 > raw.lineNumber - 1)
            while (i < line.size() && IsBlank(line[i])) ++i;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (inQuotes) {
                if (c != '"') {
                    field.addQuoted(c);
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    field.addQuoted('"');
                    ++i;
                } else {
                    inQuotes = false;
                }
                continue;
            }
            if (c == ';') break;
            if (c == '"') {
                inQuotes = true;
                field.markQuoted();
            } else if (c == '\\' && OnlyBlanksOrCommentFrom(line, i + 1)) {
                continued = true;
                field.dropTrailingBlanks();
                break;
            } else if (c == '=' && !raw.hasKey && raw.fields.empty()) {
                raw.hasKey = true;
                raw.key = field.finish();
            } else if (c == ',') {
                raw.fields.push_back(field.finish());
            } else {
                field.addPlain(c);
            }
        }
        inQuotes = false;  // a quote never spans lines
        if (!continued) break;
    }
    raw.fields.push_back(field.finish());
    return raw;
}

bool IsBlankLine(const RawLine& line) {
    return !line.hasKey && line.fields.size() == 1 && line.fields[0].empty();
}

// "[Name]" with anything after the bracket ignored; nothing when the line is
// not a section header.
std::optional<std::string> SectionHeader(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] != '[') return std::nullopt;
    std::string_view name = line.substr(first + 1);
    name = name.substr(0, name.find(']'));
    const std::size_t begin = name.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return std::string();
    return std::string(name.substr(begin, name.find_last_not_of(" \t") - begin + 1));
}

// A line that starts a section header ("[" after blanks) but has no "]".
bool IsUnclosedHeader(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '[' && line.find(']', first) == std::string_view::npos;
}

std::vector<RawSection> ReadSections(std::string_view text, std::size_t& badSectionLine) {
    const std::vector<std::string_view> lines = PhysicalLines(text);
    badSectionLine = 0;
    for (std::size_t i = 0; i < lines.size() && badSectionLine == 0; ++i)
        if (IsUnclosedHeader(lines[i])) badSectionLine = i + 1;
    std::vector<RawSection> sections;
    std::map<std::string, std::size_t, CaseInsensitiveLess> byName;
    RawSection* current = nullptr;  // lines before the first header belong nowhere
    for (std::size_t index = 0; index < lines.size();) {
        if (std::optional<std::string> header = SectionHeader(lines[index])) {
            ++index;
            auto [it, added] = byName.emplace(*header, sections.size());
            if (added) sections.push_back(RawSection{*header, {}});
            current = &sections[it->second];
            continue;
        }
        RawLine line = ReadLogicalLine(lines, index);
        if (current != nullptr && !IsBlankLine(line)) current->lines.push_back(std::move(line));
    }
    return sections;
}

using StringTable = std::map<std::string, std::string, CaseInsensitiveLess>;

// [Strings], with the US English [Strings.0409] taking precedence, as on an
// English system.
StringTable CollectStrings(const std::vector<RawSection>& sections) {
    StringTable strings;
    for (const char* name : {"Strings", "Strings.0409"}) {
        for (const RawSection& section : sections) {
            if (!EqualsNoCase(section.name, name)) continue;
            for (const RawLine& line : section.lines)
                if (line.hasKey) strings[line.key] = line.fields.front();
        }
    }
    return strings;
}

// Replaces each %strkey% by its string; "%%" is one "%", and a token that
// names no string (such as the directory id in "%12%") stays as written.
std::string Substitute(std::string_view text, const StringTable& strings) {
    std::string out;
    while (!text.empty()) {
        const std::size_t open = text.find('%');
        out += text.substr(0, open);
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(open);
            break;
        }
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty()) {
            out += '%';
        } else if (auto it = strings.find(name); it != strings.end()) {
            out += it->second;
        } else {
            out += text.substr(open, close - open + 1);
        }
        text.remove_prefix(close + 1);
    }
    return out;
}

bool IsWin4Signature(std::string_view signature) {
    return EqualsNoCase(signature, "$Windows NT$") || EqualsNoCase(signature, "$Chicago$") ||
           EqualsNoCase(signature, "$Windows 95$");
}

}  // namespace

InfFile InfFile::Parse(std::string_view bytes) {
    InfFile inf;
    const std::vector<RawSection> raw = ReadSections(DecodeText(bytes), inf.badSectionLine_);
    const StringTable strings = CollectStrings(raw);
    for (const RawSection& rawSection : raw) {
        InfSection section{rawSection.name, {}};
        for (const RawLine& rawLine : rawSection.lines) {
            InfLine line;
            // A line of one value without "=" is found by that value as
            // its key too, as in a list of file names.
            line.hasKey = rawLine.hasKey || rawLine.fields.size() == 1;
            if (line.hasKey) line.key = Substitute(rawLine.hasKey ? rawLine.key : rawLine.fields.front(), strings);
            line.lineNumber = rawLine.lineNumber;
            for (const std::string& field : rawLine.fields) line.values.push_back(Substitute(field, strings));
            section.lines.push_back(std::move(line));
        }
        inf.sections_.push_back(std::move(section));
    }
    inf.signature_ = inf.value("Version", "Signature").value_or("");
    return inf;
}

std::uint32_t InfFile::style() const {
    return IsWin4Signature(signature_) ? ports::devsetup::InfStyleWin4 : ports::devsetup::InfStyleOldNt;
}

const InfSection* InfFile::section(std::string_view name) const {
    for (const InfSection& candidate : sections_)
        if (EqualsNoCase(candidate.name, name)) return &candidate;
    return nullptr;
}

const InfLine* InfFile::findLine(std::string_view sectionName, std::string_view key) const {
    const InfSection* found = section(sectionName);
    if (found == nullptr) return nullptr;
    for (const InfLine& line : found->lines)
        if (line.hasKey && EqualsNoCase(line.key, key)) return &line;
    return nullptr;
}

std::optional<std::string> InfFile::value(std::string_view sectionName, std::string_view key) const {
    const InfLine* line = findLine(sectionName, key);
    if (line == nullptr || line->values.empty()) return std::nullopt;
    return line->values.front();
}

}  // namespace kvt::sim
