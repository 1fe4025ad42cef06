#include "driversrc/kvt-580duo/DrvPackage/PropertySheets.h"

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

std::intptr_t ResultFor(std::uint16_t sheetReason, SheetSteps& steps) {
    switch (sheetReason) {
        case reason::Init:
            return steps.registerPages();
        case reason::GetInfoHeader:
            return steps.setHeaderTitle(kSheetHeaderTitle) ? 1 : kSheetFailure;
        case reason::Destroy:
            // The page state stays for the next sheet of the process.
            return 1;
        case reason::SetResult:
            return steps.resultToSet().value_or(kSheetFailure);
        case reason::GetIcon:
            return 0;
        default:
            return kSheetFailure;
    }
}

}  // namespace

SheetAnswer AnswerPropertySheet(const SheetRequest* request, SheetSteps& steps) {
    if (request == nullptr || request->version != kSheetInfoVersion)
        return {Refuse(err::InvalidParameter), std::nullopt};
    return {{hr::SOk, std::nullopt}, ResultFor(request->reason, steps)};
}

}  // namespace kvt::plugin
