#pragma once
// DocumentPropertySheets and DevicePropertySheets: which pages each adds,
// and how both answer the host's reasons. The COM shell supplies the steps
// that touch the host's records and windows.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::plugin {

struct PageDescription {
    std::uint16_t dialogId;  // the page's dialog template in the plug-in's resources
    std::u16string_view title;
};

inline constexpr std::uint16_t kPaperDialog = 116;
inline constexpr std::uint16_t kDocumentSettingsDialog = 121;
inline constexpr std::uint16_t kVersionDialog = 133;

inline constexpr std::array<PageDescription, 2> kDocumentPages{{
    {kPaperDialog, u"Paper"},
    {kDocumentSettingsDialog, u"Document Settings"},
}};
inline constexpr std::array<PageDescription, 1> kDevicePages{{
    {kVersionDialog, u"Version"},
}};

inline constexpr std::u16string_view kSheetHeaderTitle = u"OEM UI Page";
inline constexpr std::uint16_t kSheetInfoVersion = 0x0100;  // PROPSHEETUI_INFO_VERSION

namespace reason {
inline constexpr std::uint16_t Init = 0;           // PROPSHEETUI_REASON_INIT
inline constexpr std::uint16_t GetInfoHeader = 1;  // PROPSHEETUI_REASON_GET_INFO_HEADER
inline constexpr std::uint16_t Destroy = 2;        // PROPSHEETUI_REASON_DESTROY
inline constexpr std::uint16_t SetResult = 3;      // PROPSHEETUI_REASON_SET_RESULT
inline constexpr std::uint16_t GetIcon = 4;        // PROPSHEETUI_REASON_GET_ICON
}  // namespace reason

// A Result the host reads as failure (ERR_CPSUI_GETLASTERROR).
inline constexpr std::intptr_t kSheetFailure = -1;

class SheetSteps {
public:
    virtual ~SheetSteps() = default;
    // Adds the method's pages; the value of the last page-adding call, or
    // kSheetFailure when none could be added.
    virtual std::intptr_t registerPages() = 0;
    // Sets the title of the info header the host passed; false without one.
    virtual bool setHeaderTitle(std::u16string_view title) = 0;
    // The Result of the SETRESULT_INFO the host passed; nothing without one.
    virtual std::optional<std::intptr_t> resultToSet() = 0;
};

// The members of PROPSHEETUI_INFO that decide the answer.
struct SheetRequest {
    std::uint16_t version = kSheetInfoVersion;
    std::uint16_t reason = reason::Init;
};

struct SheetAnswer {
    Answer answer;
    // What to store in the record's Result; nothing when the record is refused.
    std::optional<std::intptr_t> result;
    friend bool operator==(const SheetAnswer&, const SheetAnswer&) = default;
};

// `request` is null when the host passed no record.
SheetAnswer AnswerPropertySheet(const SheetRequest* request, SheetSteps& steps);

}  // namespace kvt::plugin
