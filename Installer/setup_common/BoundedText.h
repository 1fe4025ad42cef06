#pragma once
// Text composed into the fixed-size character buffers that the setup programs
// use for paths and work copies (256 or 512 bytes, terminator included). A copy
// or append that does not fit is cut at the capacity; the text always stays
// terminated, so nothing can run past the buffer.
#include <cstddef>
#include <string>
#include <string_view>

namespace kvt::setup {

// The first `count` characters of `text`, or all of it when it is shorter.
std::string_view Prefix(std::string_view text, std::size_t count);

class BoundedText {
public:
    // `capacity` counts the terminator, as the size of a C buffer does: the
    // text holds at most capacity - 1 characters.
    explicit BoundedText(std::size_t capacity);

    void clear();
    // Bounded copy: replaces the content with as much of `text` as fits.
    void assign(std::string_view text);
    // Bounded concatenation: appends as much of `text` as still fits.
    void append(std::string_view text);

    std::size_t capacity() const { return capacity_; }
    std::size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    // True when the last assign or append could not take all of its text.
    bool wasCut() const { return wasCut_; }

    const std::string& str() const { return text_; }
    std::string_view view() const { return text_; }
    const char* c_str() const { return text_.c_str(); }

private:
    std::size_t maxLength() const { return capacity_ == 0 ? 0 : capacity_ - 1; }

    std::size_t capacity_;
    std::string text_;
    bool wasCut_ = false;
};

}  // namespace kvt::setup
