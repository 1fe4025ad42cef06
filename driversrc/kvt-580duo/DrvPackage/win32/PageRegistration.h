#pragma once
// The steps of the property-sheet methods that touch the host: the process's
// page state, one PROPSHEETPAGEW per page handed to the host's
// pfnComPropSheet, the info header's title and the result to set.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "driversrc/kvt-580duo/DrvPackage/PropertySheets.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"

namespace kvt::oemui {

// The page state of the process, created zero-filled by the first call and
// never freed; null when it cannot be allocated.
plugin::PageState* ProcessPageState();

class PageRegistrar final : public plugin::SheetSteps {
public:
    // `info` may be null (the host's record is then refused before any step).
    PageRegistrar(PropSheetUiInfo* info, LPARAM lParam, std::span<const plugin::PageDescription> pages)
        : info_(info), lParam_(lParam), pages_(pages) {}

    std::intptr_t registerPages() override;
    bool setHeaderTitle(std::u16string_view title) override;
    std::optional<std::intptr_t> resultToSet() override;

private:
    PropSheetUiInfo* info_;
    LPARAM lParam_;
    std::span<const plugin::PageDescription> pages_;
};

}  // namespace kvt::oemui
