#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"

namespace kvt::plugin {
namespace {

// The value of a hexadecimal digit, or -1.
int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Printable and not the bracket that opens a hexadecimal group.
bool ShownAsItself(std::uint8_t b) { return b >= 0x21 && b <= 0x7E && b != '<'; }

char UpperDigit(unsigned value) { return "0123456789ABCDEF"[value & 0xF]; }

}  // namespace

int EncodeCommandText(std::string_view text, CommandBytes& bytes, bool highNibbleFirst, std::uint32_t& count) {
    bool inHex = false;
    bool expectHigh = highNibbleFirst;
    count = 0;
    const std::size_t length = text.size() < kCommandTextMax ? text.size() : kCommandTextMax;
    for (std::size_t i = 0; i < length && text[i] != '\0'; ++i) {
        const char c = text[i];
        if (inHex) {
            const int value = DigitValue(c);
            if (value >= 0) {
                // A half byte is kept at `count` until its partner comes; a
                // plain character that follows first overwrites it.
                if (count >= kCommandBytesMax) return 0;
                if (expectHigh) {
                    bytes[count] = static_cast<std::uint8_t>(value << 4);
                } else {
                    bytes[count] = static_cast<std::uint8_t>(bytes[count] | value);
                    ++count;
                }
                expectHigh = !expectHigh;
            } else if (c == '>') {
                inHex = false;
            }
            continue;
        }
        if (c == '<') {
            inHex = true;
            expectHigh = true;
            continue;
        }
        if (count >= kCommandBytesMax) return 0;
        bytes[count++] = static_cast<std::uint8_t>(c);
    }
    return 1;
}

int DecodeCommandBytes(std::span<const std::uint8_t> bytes, CommandText& text) {
    bool inHex = false;
    std::size_t p = 0;
    // Every path below leaves room for the terminator at kCommandTextMax.
    auto finish = [&text, &p](int result) {
        text[p] = '\0';
        return result;
    };
    for (std::uint8_t b : bytes) {
        if (ShownAsItself(b)) {
            if (inHex) {
                text[p++] = '>';
                inHex = false;
            }
            if (p > kCommandTextMax - 1) return finish(0);
            text[p++] = static_cast<char>(b);
            continue;
        }
        if (!inHex) {
            if (p > kCommandTextMax - 4) return finish(0);
            text[p++] = '<';
            inHex = true;
        } else if (p > kCommandTextMax - 3) {
            return finish(0);
        }
        text[p++] = UpperDigit(b >> 4);
        text[p++] = UpperDigit(b);
    }
    if (inHex) text[p++] = '>';
    return finish(1);
}

}  // namespace kvt::plugin
