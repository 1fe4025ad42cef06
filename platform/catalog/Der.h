#pragma once
// Distinguished Encoding Rules, as much as the catalog needs: writing
// definite-length elements from their parts, and reading them back without
// trusting a single length byte of the input.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::catalog::der {

// Tags of the universal class and the two context-specific forms used here.
inline constexpr std::uint8_t kInteger = 0x02, kBitString = 0x03, kOctetString = 0x04, kNull = 0x05,
                              kOid = 0x06, kBmpString = 0x1E, kUtcTime = 0x17, kSequence = 0x30, kSet = 0x31;
inline constexpr std::uint8_t ContextConstructed(unsigned number) { return static_cast<std::uint8_t>(0xA0 | number); }
inline constexpr std::uint8_t ContextPrimitive(unsigned number) { return static_cast<std::uint8_t>(0x80 | number); }

std::string Element(std::uint8_t tag, std::string_view content);
std::string Sequence(const std::vector<std::string>& parts);
// DER sorts the members of a SET OF by their encodings.
std::string SetOf(std::vector<std::string> parts);
std::string Oid(std::string_view dotted);
std::string Integer(std::uint64_t value);
std::string OctetString(std::string_view bytes);
std::string Null();
// UTF-16BE, the BMPString of the ASCII text given.
std::string BmpString(std::string_view ascii);
// UTF-16LE of the ASCII text with its terminating zero, as catalog values hold text.
std::string WideZ(std::string_view ascii);
// "YYMMDDHHMMSSZ" from seconds since 1970.
std::string UtcTime(std::int64_t unixSeconds);

struct Node {
    std::uint8_t tag = 0;
    std::string_view content;  // the value octets
    std::string_view whole;    // tag, length and value
};

// Reads one element at the start of `bytes`; nullopt when it is cut short, uses
// the indefinite form or a multi-byte tag.
std::optional<Node> Read(std::string_view bytes);
// The elements that follow one another in a constructed element's content;
// nullopt when any of them is malformed or bytes are left over.
std::optional<std::vector<Node>> Children(std::string_view content);
// The dotted text of an OBJECT IDENTIFIER's content octets.
std::string OidText(std::string_view content);

}  // namespace kvt::catalog::der
