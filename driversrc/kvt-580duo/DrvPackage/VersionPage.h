#pragma once
// The "Version" page (dialog 133) of the device sheet: the model and the
// driver version the printer records (see PrinterSetup.h), and the maker's
// legal notice.
#include <string>
#include <string_view>

#include "platform/ports/DialogModel.h"
#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/DialogControls.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

inline constexpr std::u16string_view kModelName = u"NORVEX KVT-580duo";
inline constexpr std::u16string_view kLegalNotice =
    u"Copyright (C) NORVEX. All rights reserved.\r\n"
    u"This driver may be used and copied only under the terms of the NORVEX licence.";

class VersionPage final : public ports::DialogModel {
public:
    VersionPage(ports::DialogControls& controls, ports::PluginSpooler& spooler, PageState& state)
        : controls_(controls), spooler_(spooler), state_(state) {}

    // Shows both texts; answers FALSE, as the page sets no focus.
    bool onInit() override;
    bool onCommand(int, int) override { return false; }
    bool onScroll(int, int) override { return false; }

    // "Windows driver for NORVEX KVT-580duo \r\nVersion " and, when the
    // printer can be opened, the four version values ("3.4.3.0").
    std::u16string VersionText();

private:
    std::u16string recordedVersion(ports::PrinterHandle printer);

    ports::DialogControls& controls_;
    ports::PluginSpooler& spooler_;
    PageState& state_;
};

}  // namespace kvt::plugin
