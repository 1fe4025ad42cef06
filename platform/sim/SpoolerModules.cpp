#include "platform/sim/SpoolerModules.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/pe/PeExports.h"
#include "platform/pe/PeImage.h"

namespace kvt::sim {
namespace {

// The image's headers, when the loader would take them at all: a known
// machine whose optional header is the one its bitness carries.
std::optional<pe::PeHeaders> ImageHeaders(std::string_view bytes) {
    auto headers = pe::ReadPeHeaders(bytes);
    if (!headers || pe::MagicOfMachine(headers->machine) != headers->magic) return std::nullopt;
    return headers;
}

std::vector<std::string> ExportNames(std::string_view bytes) {
    const auto headers = ImageHeaders(bytes);
    if (!headers) return {};
    auto names = pe::ReadExportNames(bytes, *headers);
    return names ? std::move(*names) : std::vector<std::string>{};
}

bool Has(const std::vector<std::string>& exported, std::string_view name) {
    return std::find(exported.begin(), exported.end(), name) != exported.end();
}

}  // namespace

std::uint32_t LoadDll(std::string_view bytes, std::uint16_t machine) {
    const auto headers = ImageHeaders(bytes);
    if (!headers || !headers->isDll() || headers->machine != machine) return err::BadExeFormat;
    // A loader that cannot read the export directory refuses the image.
    if (!pe::ReadExportNames(bytes, *headers)) return err::BadExeFormat;
    return err::Success;
}

bool ExportsAll(std::string_view bytes, std::initializer_list<std::string_view> names) {
    const std::vector<std::string> exported = ExportNames(bytes);
    return std::all_of(names.begin(), names.end(), [&](std::string_view n) { return Has(exported, n); });
}

bool ExportsAny(std::string_view bytes, std::initializer_list<std::string_view> names) {
    const std::vector<std::string> exported = ExportNames(bytes);
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return Has(exported, n); });
}

std::uint32_t CheckProgramMachine(std::string_view bytes, std::uint16_t machine) {
    const auto headers = ImageHeaders(bytes);
    if (!headers) return err::BadExeFormat;
    return headers->machine == machine ? err::Success : err::ExeMachineTypeMismatch;
}

}  // namespace kvt::sim
