// libFuzzer target of the command codec. Any input is tried both ways:
// decoded as stored bytes (whose text, when it fits, must encode back to the
// same bytes) and encoded as typed text (which must stay within its buffer
// and decode again when short enough).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"

namespace {

using kvt::plugin::CommandBytes;
using kvt::plugin::CommandText;

void CheckBytes(std::span<const std::uint8_t> bytes) {
    CommandText text;
    if (kvt::plugin::DecodeCommandBytes(bytes, text) != 1) return;
    const std::size_t length = std::strlen(text.data());
    if (length > kvt::plugin::kCommandTextMax) std::abort();
    CommandBytes again{};
    std::uint32_t count = 0;
    if (kvt::plugin::EncodeCommandText(std::string_view(text.data(), length), again, true, count) != 1) std::abort();
    if (count != bytes.size() || std::memcmp(again.data(), bytes.data(), count) != 0) std::abort();
}

void CheckText(std::string_view text) {
    CommandBytes bytes{};
    std::uint32_t count = 0;
    kvt::plugin::EncodeCommandText(text, bytes, true, count);
    if (count > kvt::plugin::kCommandBytesMax || count > text.size()) std::abort();
    CommandText decoded;
    kvt::plugin::DecodeCommandBytes(std::span<const std::uint8_t>(bytes.data(), count), decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t kept = size < kvt::plugin::kCommandBytesMax ? size : kvt::plugin::kCommandBytesMax;
    CheckBytes(std::span<const std::uint8_t>(data, kept));
    CheckText(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
