#pragma once
// The names a PE image exports, as GetProcAddress finds them: the name
// table of the export directory, each entry an RVA of a NUL-terminated name,
// all mapped through the section table.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pe/PeImage.h"

namespace kvt::pe {

// Empty for an image without an export directory; nullopt when the
// directory, its name table or a name lies outside the file's sections.
std::optional<std::vector<std::string>> ReadExportNames(std::string_view image, const PeHeaders& headers);

}  // namespace kvt::pe
