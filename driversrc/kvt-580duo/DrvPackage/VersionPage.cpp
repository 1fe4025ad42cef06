#include "driversrc/kvt-580duo/DrvPackage/VersionPage.h"

#include <cstdint>

#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PrinterSetup.h"
#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

// The text buffer of the page holds this many characters.
constexpr std::size_t kVersionTextChars = 1040;

void AppendLimited(std::u16string& text, std::u16string_view part) {
    if (text.size() >= kVersionTextChars) return;
    text += Leading(part, kVersionTextChars - text.size());
}

}  // namespace

bool VersionPage::onInit() {
    controls_.setText(IDC_VERSION_TEXT, VersionText());
    controls_.setText(IDC_LEGAL_NOTICE, kLegalNotice);
    return false;
}

std::u16string VersionPage::VersionText() {
    std::u16string text;
    AppendLimited(text, u"Windows driver for ");
    AppendLimited(text, kModelName);
    AppendLimited(text, u" \r\nVersion ");
    ports::PrinterHandle printer;
    // A user without full access to the printer sees the line without numbers.
    if (spooler_.openPrinter(PrinterName(state_), ports::spool::PrinterAllAccess, printer) != err::Success)
        return text;
    AppendLimited(text, recordedVersion(printer));
    spooler_.closePrinter(printer);
    return text;
}

// "%d." for major, minor and build, "%d" for extra; a value that cannot be
// read counts as 0.
std::u16string VersionPage::recordedVersion(ports::PrinterHandle printer) {
    std::u16string version;
    for (std::size_t i = 0; i < kDriverVersionValues.size(); ++i) {
        ports::PrinterDataValue value;
        std::uint32_t needed = 0;
        std::uint32_t number = 0;
        if (spooler_.getPrinterData(printer, kDriverVersionValues[i].name, 4, value, needed) == err::Success) {
            for (std::size_t b = 0; b < value.data.size() && b < 4; ++b)
                number |= static_cast<std::uint32_t>(value.data[b]) << (8 * b);
        }
        version += DecimalText(static_cast<std::int32_t>(number));
        if (i + 1 < kDriverVersionValues.size()) version += u'.';
    }
    return version;
}

}  // namespace kvt::plugin
