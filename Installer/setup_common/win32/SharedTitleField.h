#pragma once
// Fills a title field of a setup program's shared instance record at compile
// time. The record is constant-initialised, so the image carries it and a
// starting copy never writes it (a dynamic initialiser would reset the count
// of starts at every start).
#include <cstddef>
#include <string_view>

namespace kvt::setup::shell {

template <std::size_t N>
constexpr void CopyTitle(std::string_view title, char (&field)[N]) {
    // The terminator must fit too; a title too long stops the compilation.
    if (title.size() >= N) throw "title longer than its field";
    for (std::size_t i = 0; i < title.size(); ++i) field[i] = title[i];
}

}  // namespace kvt::setup::shell
