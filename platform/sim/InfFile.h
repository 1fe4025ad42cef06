#pragma once
// A setup information (INF) file as the device-installation services read
// it: sections by name (decorated names such as "NORVEX.NTamd64" are names
// like any other), lines with or without a key, values split at commas,
// quoted strings, comments, line continuations and %strkey% substitution
// from the [Strings] section.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::sim {

struct InfLine {
    bool hasKey = false;              // also for a line of one value without "=": that value is its key
    std::string key;                  // substituted, unquoted, trimmed; empty without a key
    std::vector<std::string> values;  // the fields after "=", or the whole line's fields without a key
    std::size_t lineNumber = 0;       // 1-based number of the physical line the line starts on
};

struct InfSection {
    std::string name;  // as first written
    std::vector<InfLine> lines;
};

class InfFile {
public:
    // Never fails: like the system's reader it passes over what it cannot
    // make sense of. ANSI and UTF-8 text, and UTF-16LE with its byte-order mark.
    static InfFile Parse(std::string_view bytes);

    // INF_STYLE_WIN4 (2) when [Version] carries a Windows 95 or Windows NT
    // signature, otherwise INF_STYLE_OLDNT (1).
    std::uint32_t style() const;
    // The signature as written in [Version], unquoted; empty without one.
    const std::string& signature() const { return signature_; }

    // Sections named alike (without regard to case) are one section.
    const InfSection* section(std::string_view name) const;
    // The first line of `section` whose key is `key`, without regard to case.
    const InfLine* findLine(std::string_view section, std::string_view key) const;
    // The first value of that line.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    const std::vector<InfSection>& sections() const { return sections_; }

    // The number of the first physical line that opens a section header
    // without closing it ("[Name" with no "]"), which SetupOpenInfFile
    // refuses with ERROR_BAD_SECTION_NAME_LINE; 0 when there is none.
    std::size_t badSectionLine() const { return badSectionLine_; }

private:
    std::vector<InfSection> sections_;
    std::string signature_;
    std::size_t badSectionLine_ = 0;
};

}  // namespace kvt::sim
