#pragma once
// The dialog procedures of the plug-in's pages, by dialog template.
#include <windows.h>

#include <cstdint>

namespace kvt::oemui {

DLGPROC PageProcedure(std::uint16_t dialogId);

}  // namespace kvt::oemui
