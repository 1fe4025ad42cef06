#include "driversrc/kvt-580duo/DrvPackage/PaperForms.h"

#include <cmath>
#include <limits>

namespace kvt::plugin {

bool IsModelForm(std::u16string_view formName) { return formName.find(kModelTag) != std::u16string_view::npos; }

std::u16string_view VisibleFormName(std::u16string_view formName) {
    const std::size_t start = formName.find_first_not_of(u'[');
    if (start == std::u16string_view::npos) return {};
    const std::size_t end = formName.find(u'[', start);
    return formName.substr(start, end == std::u16string_view::npos ? end : end - start);
}

std::u16string FullFormName(std::u16string_view visibleName) {
    std::u16string name(visibleName);
    name += kModelTag;
    return name;
}

const ports::FormInfo1W* FindFormNamed(const std::vector<ports::FormInfo1W>& forms, std::u16string_view name) {
    for (const ports::FormInfo1W& form : forms)
        if (form.name == name) return &form;
    return nullptr;
}

double FormUnitsToMillimetres(std::int32_t thousandths) {
    const std::int32_t whole = thousandths / 1000;
    const std::int32_t rest = thousandths - whole * 1000;
    if (rest < 100) return whole;
    const double tenths = rest / 100.0;
    double digit = std::floor(tenths);
    if (tenths - digit >= 0.5) digit += 1;
    return whole + digit * 0.1;
}

std::int32_t MillimetresToFormUnits(double millimetres) {
    // The conversion of a value outside the int range would be undefined; a
    // size that large is refused by the spooler anyway.
    const double units = std::trunc(millimetres * 1000);
    if (std::isnan(units)) return 0;
    if (units >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (units <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(units);
}

}  // namespace kvt::plugin
