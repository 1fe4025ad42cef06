#pragma once
// The model's paper forms in the spooler. Every form of the model carries
// the tag "[580duo]" at the end of its name (the removal of the driver
// finds them by it); the user sees and types the name without it. Sizes are
// in thousandths of a millimetre in the spooler and in millimetres with one
// decimal on the screen.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

inline constexpr std::u16string_view kModelTag = u"[580duo]";
// The characters the pages' form-name buffers hold without the terminator.
inline constexpr std::size_t kFormNameChars = 31;

bool IsModelForm(std::u16string_view formName);

// The first run of characters other than '[' (leading '[' are skipped, the
// run ends at the next '['): "80 x 297 mm" for "80 x 297 mm[580duo]".
std::u16string_view VisibleFormName(std::u16string_view formName);

// `visibleName` with the tag appended.
std::u16string FullFormName(std::u16string_view visibleName);

// The first form named exactly `name` (letter case counts); null if none.
const ports::FormInfo1W* FindFormNamed(const std::vector<ports::FormInfo1W>& forms, std::u16string_view name);

// A spooler size as the dialog shows it: whole millimetres and tenths, the
// hundredths rounded half up into the tenths (25450 gives 25.5, 25950 gives
// 26.0) and dropped when the part below a millimetre is under 100 (25099
// gives 25.0).
double FormUnitsToMillimetres(std::int32_t thousandths);

// Millimetres typed by the user as a spooler size: times 1000 with the
// fraction dropped (32.3 gives 32299, since 32.3 is held as 32.29999...),
// kept within the range of the size fields.
std::int32_t MillimetresToFormUnits(double millimetres);

}  // namespace kvt::plugin
