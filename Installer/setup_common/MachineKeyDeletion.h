#pragma once
// Deleting a key of HKEY_LOCAL_MACHINE the way the removal steps do it on
// each kind of system: on 64-bit Windows the one key in the 64-bit view (the
// view in which the driver and the uninstall entry live, although the setup
// program is 32-bit), on 32-bit Windows the key with its whole subtree.
#include <string_view>

#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// True when the key was deleted. A failure is logged with the key and the
// thread's last error ("MyRegDeleteKeyEx failed : %s (%d) " or
// "SHDeleteKey failed : %s (%d) ").
bool DeleteMachineKey(const RemovalContext& context, std::string_view subKey);

}  // namespace kvt::setup
