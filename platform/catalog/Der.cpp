#include "platform/catalog/Der.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace kvt::catalog::der {

namespace {

std::string Length(std::size_t size) {
    if (size < 0x80) return std::string(1, static_cast<char>(size));
    std::string octets;
    for (; size != 0; size >>= 8) octets.insert(octets.begin(), static_cast<char>(size & 0xFF));
    return static_cast<char>(0x80 | octets.size()) + octets;
}

std::string Base128(std::uint64_t value) {
    std::string out(1, static_cast<char>(value & 0x7F));
    for (value >>= 7; value != 0; value >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
}

}  // namespace

std::string Element(std::uint8_t tag, std::string_view content) {
    return static_cast<char>(tag) + Length(content.size()) + std::string(content);
}

std::string Sequence(const std::vector<std::string>& parts) {
    std::string content;
    for (const auto& part : parts) content += part;
    return Element(kSequence, content);
}

std::string SetOf(std::vector<std::string> parts) {
    std::sort(parts.begin(), parts.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    });
    std::string content;
    for (const auto& part : parts) content += part;
    return Element(kSet, content);
}

std::string Oid(std::string_view dotted) {
    std::vector<std::uint64_t> arcs;
    std::uint64_t arc = 0;
    bool digits = false;
    for (char c : dotted) {
        if (c == '.') {
            if (!digits) throw std::invalid_argument("bad object identifier");
            arcs.push_back(arc);
            arc = 0;
            digits = false;
        } else if (c >= '0' && c <= '9') {
            arc = arc * 10 + static_cast<std::uint64_t>(c - '0');
            digits = true;
        } else {
            throw std::invalid_argument("bad object identifier");
        }
    }
    if (!digits) throw std::invalid_argument("bad object identifier");
    arcs.push_back(arc);
    if (arcs.size() < 2) throw std::invalid_argument("bad object identifier");
    std::string content = Base128(arcs[0] * 40 + arcs[1]);
    for (std::size_t i = 2; i < arcs.size(); ++i) content += Base128(arcs[i]);
    return Element(kOid, content);
}

std::string Integer(std::uint64_t value) {
    std::string content;
    do {
        content.insert(content.begin(), static_cast<char>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if (static_cast<unsigned char>(content.front()) & 0x80) content.insert(content.begin(), '\0');
    return Element(kInteger, content);
}

std::string OctetString(std::string_view bytes) { return Element(kOctetString, bytes); }

std::string Null() { return Element(kNull, {}); }

std::string BmpString(std::string_view ascii) {
    std::string content;
    for (char c : ascii) {
        content += '\0';
        content += c;
    }
    return Element(kBmpString, content);
}

std::string WideZ(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out + std::string(2, '\0');
}

std::string UtcTime(std::int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02dZ", parts.tm_year % 100, parts.tm_mon + 1, parts.tm_mday,
                  parts.tm_hour, parts.tm_min, parts.tm_sec);
    return Element(kUtcTime, text);
}

std::optional<Node> Read(std::string_view bytes) {
    if (bytes.size() < 2) return std::nullopt;
    const auto tag = static_cast<std::uint8_t>(bytes[0]);
    if ((tag & 0x1F) == 0x1F) return std::nullopt;
    std::size_t length = static_cast<unsigned char>(bytes[1]);
    std::size_t header = 2;
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > sizeof(std::size_t) || bytes.size() < 2 + count) return std::nullopt;
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | static_cast<unsigned char>(bytes[2 + i]);
        header += count;
    }
    if (length > bytes.size() - header) return std::nullopt;
    return Node{tag, bytes.substr(header, length), bytes.substr(0, header + length)};
}

std::optional<std::vector<Node>> Children(std::string_view content) {
    std::vector<Node> nodes;
    while (!content.empty()) {
        auto node = Read(content);
        if (!node) return std::nullopt;
        content.remove_prefix(node->whole.size());
        nodes.push_back(*node);
    }
    return nodes;
}

std::string OidText(std::string_view content) {
    std::string text;
    std::uint64_t arc = 0;
    bool first = true;
    for (char c : content) {
        arc = (arc << 7) | (static_cast<unsigned char>(c) & 0x7F);
        if (static_cast<unsigned char>(c) & 0x80) continue;
        if (first) {
            const std::uint64_t top = arc < 80 ? arc / 40 : 2;
            text = std::to_string(top) + "." + std::to_string(arc - top * 40);
            first = false;
        } else {
            text += "." + std::to_string(arc);
        }
        arc = 0;
    }
    return text;
}

}  // namespace kvt::catalog::der
