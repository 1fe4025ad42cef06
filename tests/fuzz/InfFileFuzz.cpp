// libFuzzer target of the INF reader behind the simulated SetupAPI, which
// reads every file of the INF store a system image brings: whatever the
// bytes, it must end, stay within them, and answer its lookups consistently
// with the sections it made.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ports/DeviceSetup.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/InfFile.h"

namespace {

using kvt::sim::InfFile;

// The lookups the setup programs make: the maker's models sections and the
// driver's line.
constexpr std::string_view kSections[] = {"NORVEX", "NORVEX.NTamd64", "Version", "Strings"};
constexpr std::string_view kKey = "NORVEX KVT-580duo";

void CheckLookups(const InfFile& inf) {
    for (std::string_view name : kSections) {
        const kvt::sim::InfSection* section = inf.section(name);
        bool listed = false;
        for (const kvt::sim::InfSection& candidate : inf.sections())
            listed = listed || kvt::sim::EqualsNoCase(candidate.name, name);
        if ((section != nullptr) != listed) std::abort();
        const kvt::sim::InfLine* line = inf.findLine(name, kKey);
        if (line != nullptr && (section == nullptr || !line->hasKey || !kvt::sim::EqualsNoCase(line->key, kKey)))
            std::abort();
    }
}

void CheckShape(const InfFile& inf, std::size_t size) {
    for (const kvt::sim::InfSection& section : inf.sections()) {
        for (const kvt::sim::InfLine& line : section.lines) {
            // Every line starts on a physical line of the input.
            if (line.lineNumber == 0 || line.lineNumber > size + 1) std::abort();
            if (!line.hasKey && !line.key.empty()) std::abort();
            if (line.values.empty()) std::abort();
        }
    }
    const std::uint32_t style = inf.style();
    if (style != kvt::ports::devsetup::InfStyleOldNt && style != kvt::ports::devsetup::InfStyleWin4) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const InfFile inf = InfFile::Parse(bytes);
    CheckShape(inf, size);
    CheckLookups(inf);
    return 0;
}
