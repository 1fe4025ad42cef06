#include "Installer/setup_common/ProductConfiguration.h"

#include <array>

namespace kvt::setup {
namespace {

constexpr std::array<ProductEntryRow, 27> kRows{{
    {1, 1, product::ModelName},
    {2, 2, product::DriverName},
    {3, 3, product::LanguageMonitorName},
    {4, 4, product::PrintProcessorName},
    {5, 5, product::DriverDll},
    {6, 6, product::LanguageMonitorDll},
    {7, 7, product::PrintProcessorDll},
    {8, 8, product::UiPluginDll},
    {9, 9, product::SecondDriverDll},
    {11, 11, product::InfFileName},
    {12, 12, product::UsbHardwareId},
    {13, 13, product::FirstPackageDirectory},
    {14, 14, product::SecondPackageDirectory},
    {15, 15, product::UsbDeviceKey},
    {16, 16, product::ParallelDeviceKey},
    {17, 17, product::InstallerProgramFile},
    {18, 18, product::UninstallerProgramFile},
    {20, 20, product::UninstallKey},
    {21, 0, product::MajorVersion},
    {22, 0, product::MinorVersion},
    {23, 0, product::BuildVersion},
    {24, 0, product::ExtraVersion},
    {25, 21, product::MakerName},
    {26, 22, product::GpdFile},
    {27, 23, product::BudFile},
    {28, 24, product::PluginIniFile},
    {29, 25, product::ModelTag},
}};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::span<const ProductEntryRow> ProductEntries() { return kRows; }

std::optional<std::string_view> ProductEntry(SetupProgram program, int number) {
    if (number <= 0) return std::nullopt;
    for (const ProductEntryRow& row : kRows) {
        const int rowNumber = program == SetupProgram::Installer ? row.installerEntry : row.uninstallerEntry;
        if (rowNumber == number) return row.value;
    }
    return std::nullopt;
}

unsigned LeadingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<unsigned>(text[i] - '0');
    return negative ? 0u - value : value;
}

ProductVersion InstallerProductVersion() {
    auto field = [](int number) {
        return LeadingDecimal(ProductEntry(SetupProgram::Installer, number).value_or(std::string_view()));
    };
    return ProductVersion{field(entry::MajorVersion), field(entry::MinorVersion), field(entry::BuildVersion),
                          field(entry::ExtraVersion)};
}

}  // namespace kvt::setup
