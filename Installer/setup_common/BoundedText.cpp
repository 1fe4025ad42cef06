#include "Installer/setup_common/BoundedText.h"

namespace kvt::setup {

std::string_view Prefix(std::string_view text, std::size_t count) { return text.substr(0, count); }

BoundedText::BoundedText(std::size_t capacity) : capacity_(capacity) { text_.reserve(maxLength()); }

void BoundedText::clear() {
    text_.clear();
    wasCut_ = false;
}

void BoundedText::assign(std::string_view text) {
    text_.clear();
    append(text);
}

void BoundedText::append(std::string_view text) {
    // A C string ends at its first zero byte; what follows it was never part
    // of the text that the buffer would have received.
    text = text.substr(0, text.find('\0'));
    const std::size_t room = maxLength() - text_.size();
    wasCut_ = text.size() > room;
    text_.append(Prefix(text, room));
}

}  // namespace kvt::setup
