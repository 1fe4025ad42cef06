#include "platform/sim/ImageJson.h"

#include <array>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/DevModeBlob.h"
#include "platform/sim/SimAnsiCodePage.h"
#include "platform/sim/SpoolerKeys.h"
#include "platform/sim/VirtualClock.h"

// Unknown members of entries that the World keeps in plain structs (registry
// values, printer data values, access entries, the restart record) are kept
// in the owning record's `extra`, under the known field's own name: a known
// name can never arrive there as an unknown field.

namespace kvt::sim {
namespace {

using nlohmann::json;
using PathSet = std::set<std::string, CaseInsensitiveLess>;

// ---------------------------------------------------------------- encodings

constexpr char kHexDigits[] = "0123456789abcdef";

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0xF];
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text, std::string& reason) {
    if (text.size() % 2 != 0) {
        reason = "hex data has an odd number of digits";
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = HexValue(text[i]), low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            reason =
                "hex data has a character that is not a hex digit at offset " + std::to_string(high < 0 ? i : i + 1);
            return std::nullopt;
        }
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return out;
}

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ToBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<std::uint8_t>(bytes[i]) << 16;
        std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        if (n > 1) chunk |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        if (n > 2) chunk |= static_cast<std::uint8_t>(bytes[i + 2]);
        out += kBase64Alphabet[(chunk >> 18) & 63];
        out += kBase64Alphabet[(chunk >> 12) & 63];
        out += n > 1 ? kBase64Alphabet[(chunk >> 6) & 63] : '=';
        out += n > 2 ? kBase64Alphabet[chunk & 63] : '=';
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::optional<std::string> FromBase64(std::string_view text, std::string& reason) {
    if (text.size() % 4 != 0) {
        reason = "base64 text length is not a multiple of 4";
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        std::size_t padding = 0;
        if (last && text[i + 3] == '=') padding = text[i + 2] == '=' ? 2 : 1;
        std::uint32_t chunk = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            int v = j >= 4 - padding ? 0 : Base64Value(text[i + j]);
            if (v < 0) {
                reason = "invalid base64 character at offset " + std::to_string(i + j);
                return std::nullopt;
            }
            chunk = (chunk << 6) | static_cast<std::uint32_t>(v);
        }
        out += static_cast<char>((chunk >> 16) & 0xFF);
        if (padding < 2) out += static_cast<char>((chunk >> 8) & 0xFF);
        if (padding < 1) out += static_cast<char>(chunk & 0xFF);
    }
    return out;
}

bool IsPlainText(std::string_view bytes) {
    for (char c : bytes) {
        bool printable = c >= 0x20 && c <= 0x7E;
        if (!printable && c != '\r' && c != '\n' && c != '\t') return false;
    }
    return true;
}

std::string CodePointName(std::uint32_t cp) {
    std::ostringstream s;
    s << "U+" << std::uppercase << std::hex;
    s.width(4);
    s.fill('0');
    s << cp;
    return s.str();
}

// ---------------------------------------------------------------- JSON paths

bool IsIdentifier(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

std::string Quoted(std::string_view text) {
    return json(std::string(text)).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string MemberPath(const std::string& parent, std::string_view name) {
    if (IsIdentifier(name)) return parent + "." + std::string(name);
    return parent + "[" + Quoted(name) + "]";
}

std::string IndexPath(const std::string& parent, std::size_t index) {
    return parent + "[" + std::to_string(index) + "]";
}

// ---------------------------------------------------------------- reading

// The first error of a load; every reader returns false once it is set.
class Failure {
public:
    bool operator()(std::string path, std::string reason) {
        if (!error_) error_ = ImageError{std::move(path), std::move(reason)};
        return false;
    }
    std::optional<ImageError> take() { return std::move(error_); }

private:
    std::optional<ImageError> error_;
};

bool ExpectObject(Failure& fail, const json& v, const std::string& path) {
    return v.is_object() || fail(path, "expected an object");
}

bool ExpectArray(Failure& fail, const json& v, const std::string& path) {
    return v.is_array() || fail(path, "expected an array");
}

bool ReadUint64(Failure& fail, const json& v, const std::string& path, std::uint64_t max, std::uint64_t& out) {
    // Parsed text gives unsigned numbers; an image built in code may hold
    // signed ones.
    if (v.is_number_unsigned() || (v.is_number_integer() && v.get<std::int64_t>() >= 0)) {
        auto n = v.get<std::uint64_t>();
        if (n <= max) {
            out = n;
            return true;
        }
    }
    return fail(path, "expected an integer from 0 to " + std::to_string(max));
}

bool ReadUint32(Failure& fail, const json& v, const std::string& path, std::uint32_t& out) {
    std::uint64_t n = 0;
    if (!ReadUint64(fail, v, path, std::numeric_limits<std::uint32_t>::max(), n)) return false;
    out = static_cast<std::uint32_t>(n);
    return true;
}

bool ReadInt32(Failure& fail, const json& v, const std::string& path, std::int32_t& out) {
    constexpr auto lo = std::numeric_limits<std::int32_t>::min();
    constexpr auto hi = std::numeric_limits<std::int32_t>::max();
    if (v.is_number_integer()) {
        bool inRange = v.is_number_unsigned() ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(hi)
                                              : v.get<std::int64_t>() >= lo && v.get<std::int64_t>() <= hi;
        if (inRange) {
            out = static_cast<std::int32_t>(v.get<std::int64_t>());
            return true;
        }
    }
    return fail(path, "expected an integer from " + std::to_string(lo) + " to " + std::to_string(hi));
}

bool ReadBool(Failure& fail, const json& v, const std::string& path, bool& out) {
    if (!v.is_boolean()) return fail(path, "expected true or false");
    out = v.get<bool>();
    return true;
}

bool ReadText(Failure& fail, const json& v, const std::string& path, std::string& out) {
    if (!v.is_string()) return fail(path, "expected a string");
    std::string reason;
    auto ansi = Utf8ToAnsi(v.get_ref<const std::string&>(), reason);
    if (!ansi) return fail(path, reason);
    out = std::move(*ansi);
    return true;
}

bool ReadTextList(Failure& fail, const json& v, const std::string& path, std::vector<std::string>& out) {
    if (!ExpectArray(fail, v, path)) return false;
    out.clear();
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string item;
        if (!ReadText(fail, v[i], IndexPath(path, i), item)) return false;
        out.push_back(std::move(item));
    }
    return true;
}

// The members of one JSON object: known ones are read (absent ones leave the
// target at its default), the rest is collected for `extra`.
class Fields {
public:
    Fields(Failure& fail, const json& object, std::string path)
        : fail_(fail), object_(object), path_(std::move(path)) {}

    Failure& fail() { return fail_; }
    std::string at(std::string_view name) const { return MemberPath(path_, name); }

    const json* take(std::string_view name) {
        known_.emplace_back(name);
        auto it = object_.find(std::string(name));
        return it == object_.end() ? nullptr : &*it;
    }
    // Also treats null as absent.
    const json* takeNonNull(std::string_view name) {
        const json* v = take(name);
        return v && !v->is_null() ? v : nullptr;
    }

    bool uint32(std::string_view name, std::uint32_t& out) {
        const json* v = take(name);
        return !v || ReadUint32(fail_, *v, at(name), out);
    }
    bool int32(std::string_view name, std::int32_t& out) {
        const json* v = take(name);
        return !v || ReadInt32(fail_, *v, at(name), out);
    }
    bool boolean(std::string_view name, bool& out) {
        const json* v = take(name);
        return !v || ReadBool(fail_, *v, at(name), out);
    }
    bool text(std::string_view name, std::string& out) {
        const json* v = take(name);
        return !v || ReadText(fail_, *v, at(name), out);
    }
    bool textList(std::string_view name, std::vector<std::string>& out) {
        const json* v = take(name);
        return !v || ReadTextList(fail_, *v, at(name), out);
    }

    json rest() const {
        json out = json::object();
        for (const auto& [key, value] : object_.items()) {
            bool known = false;
            for (const auto& k : known_) known = known || k == key;
            if (!known) out[key] = value;
        }
        return out;
    }

private:
    Failure& fail_;
    const json& object_;
    std::string path_;
    std::vector<std::string> known_;
};

// ---------------------------------------------------------------- typed values

struct ValueTypeName {
    std::uint32_t type;
    const char* name;
};
constexpr std::array<ValueTypeName, 7> kValueTypes{{{reg::TypeNone, "REG_NONE"},
                                                    {reg::TypeSz, "REG_SZ"},
                                                    {reg::TypeExpandSz, "REG_EXPAND_SZ"},
                                                    {reg::TypeBinary, "REG_BINARY"},
                                                    {reg::TypeDword, "REG_DWORD"},
                                                    {reg::TypeMultiSz, "REG_MULTI_SZ"},
                                                    {11, "REG_QWORD"}}};
constexpr std::uint32_t kTypeQword = 11;

bool IsStringType(std::uint32_t type) { return type == reg::TypeSz || type == reg::TypeExpandSz; }

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> EncodeMultiSz(const std::vector<std::string>& items) {
    std::vector<std::uint8_t> out;
    for (const auto& item : items) {
        out.insert(out.end(), item.begin(), item.end());
        out.push_back(0);
    }
    out.push_back(0);
    return out;
}

// Nothing when the bytes are not a list that encodes back to themselves.
std::optional<std::vector<std::string>> DecodeMultiSz(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return std::nullopt;
    std::vector<std::string> items;
    std::string current;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0) {
            items.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty()) return std::nullopt;
    if (EncodeMultiSz(items) != data) return std::nullopt;
    return items;
}

std::vector<std::uint8_t> LittleEndian(std::uint64_t value, std::size_t size) {
    std::vector<std::uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return out;
}

std::uint64_t FromLittleEndian(const std::vector<std::uint8_t>& data) {
    std::uint64_t value = 0;
    for (std::size_t i = data.size(); i-- > 0;) value = (value << 8) | data[i];
    return value;
}

bool ReadValueType(Failure& fail, const json* v, const std::string& path, std::uint32_t& type) {
    if (!v) return fail(path, "a value needs a type");
    if (v->is_number()) return ReadUint32(fail, *v, path, type);
    if (!v->is_string()) return fail(path, "expected a value type name such as \"REG_SZ\"");
    const auto& name = v->get_ref<const std::string&>();
    for (const auto& t : kValueTypes) {
        if (name == t.name) {
            type = t.type;
            return true;
        }
    }
    return fail(path, "unknown value type " + Quoted(name));
}

bool ReadHexBytes(Failure& fail, const json& v, const std::string& path, std::vector<std::uint8_t>& out) {
    if (!v.is_string()) return fail(path, "expected a hex string");
    std::string reason;
    auto bytes = FromHex(v.get_ref<const std::string&>(), reason);
    if (!bytes) return fail(path, reason);
    out = std::move(*bytes);
    return true;
}

bool ReadValueData(Fields& f, std::uint32_t type, std::vector<std::uint8_t>& out) {
    Failure& fail = f.fail();
    if (IsStringType(type)) {
        std::string text;
        bool terminated = true;
        if (!f.text("data", text) || !f.boolean("terminated", terminated)) return false;
        out = Bytes(text);
        if (terminated) out.push_back(0);
        return true;
    }
    const json* data = f.take("data");
    if (type == reg::TypeMultiSz) {
        std::vector<std::string> items;
        if (data && !ReadTextList(fail, *data, f.at("data"), items)) return false;
        out = EncodeMultiSz(items);
        return true;
    }
    if (type == reg::TypeDword || type == kTypeQword) {
        std::uint64_t n = 0;
        auto max = type == reg::TypeDword ? std::numeric_limits<std::uint32_t>::max()
                                          : std::numeric_limits<std::uint64_t>::max();
        if (data && !ReadUint64(fail, *data, f.at("data"), max, n)) return false;
        out = LittleEndian(n, type == reg::TypeDword ? 4 : 8);
        return true;
    }
    out.clear();
    return !data || ReadHexBytes(fail, *data, f.at("data"), out);
}

// {"type": ..., "data": ...}; "hex" carries raw bytes that the type's own
// form cannot express (a REG_DWORD of 3 bytes, say).
bool ReadTypedValue(Failure& fail, const json& v, const std::string& path, ports::RegValue& value, json& unknown) {
    if (!ExpectObject(fail, v, path)) return false;
    Fields f(fail, v, path);
    if (!ReadValueType(fail, f.take("type"), f.at("type"), value.type)) return false;
    if (const json* hex = f.take("hex")) {
        if (v.contains("data")) return fail(f.at("hex"), "a value has either \"data\" or \"hex\", not both");
        if (!ReadHexBytes(fail, *hex, f.at("hex"), value.data)) return false;
    } else if (!ReadValueData(f, value.type, value.data)) {
        return false;
    }
    unknown = f.rest();
    return true;
}

// A JSON object of named values; value names compare case-insensitively.
bool ReadValueMap(Failure& fail, const json& v, const std::string& path,
                  std::vector<std::pair<std::string, ports::RegValue>>& values, json& unknownByName) {
    if (!ExpectObject(fail, v, path)) return false;
    values.clear();
    unknownByName = json::object();
    PathSet names;
    for (const auto& [name, item] : v.items()) {
        std::string at = MemberPath(path, name);
        std::string reason;
        auto ansiName = Utf8ToAnsi(name, reason);
        if (!ansiName) return fail(at, "value name: " + reason);
        if (!names.insert(*ansiName).second) return fail(at, "duplicate value name " + Quoted(name));
        ports::RegValue value;
        json unknown;
        if (!ReadTypedValue(fail, item, at, value, unknown)) return false;
        if (!unknown.empty()) unknownByName[name] = std::move(unknown);
        values.emplace_back(std::move(*ansiName), std::move(value));
    }
    return true;
}

json WriteTypedValue(const ports::RegValue& value) {
    json out = json::object();
    const ValueTypeName* named = nullptr;
    for (const auto& t : kValueTypes) {
        if (t.type == value.type) named = &t;
    }
    if (named) {
        out["type"] = named->name;
    } else {
        out["type"] = value.type;
    }
    const auto& data = value.data;
    std::string_view asText(reinterpret_cast<const char*>(data.data()), data.size());
    if (IsStringType(value.type)) {
        bool terminated = !data.empty() && data.back() == 0;
        out["data"] = AnsiToUtf8(terminated ? asText.substr(0, asText.size() - 1) : asText);
        if (!terminated) out["terminated"] = false;
    } else if (value.type == reg::TypeMultiSz) {
        auto items = DecodeMultiSz(data);
        if (items) {
            json list = json::array();
            for (const auto& item : *items) list.push_back(AnsiToUtf8(item));
            out["data"] = std::move(list);
        } else {
            out["hex"] = ToHex(data);
        }
    } else if (value.type == reg::TypeDword || value.type == kTypeQword) {
        if (data.size() == (value.type == reg::TypeDword ? 4u : 8u)) {
            out["data"] = FromLittleEndian(data);
        } else {
            out["hex"] = ToHex(data);
        }
    } else {
        out["data"] = ToHex(data);
    }
    return out;
}

void MergeUnknown(json& target, const json& unknown) {
    if (!unknown.is_object()) return;
    for (const auto& [key, item] : unknown.items()) {
        if (!target.contains(key)) target[key] = item;
    }
}

json WriteValueMap(const std::vector<std::pair<std::string, ports::RegValue>>& values, const json& unknownByName) {
    json out = json::object();
    for (const auto& [name, value] : values) {
        json item = WriteTypedValue(value);
        std::string utf8Name = AnsiToUtf8(name);
        if (unknownByName.is_object() && unknownByName.contains(utf8Name)) MergeUnknown(item, unknownByName[utf8Name]);
        out[utf8Name] = std::move(item);
    }
    return out;
}

// ---------------------------------------------------------------- access lists

enum class AclObject { RegistryKey, Directory };

struct RightsName {
    const char* name;
    std::uint32_t keyRights;
    std::uint32_t directoryRights;
};
// "readExecute" on a key is the same mask as "read"; saving names it "read".
constexpr std::array<RightsName, 4> kRightsNames{{
    {"full", reg::AllAccess, acl::GenericAll},
    {"read", reg::Read, acl::GenericRead},
    {"write", reg::WriteRights, acl::GenericWrite},
    {"readExecute", reg::Read, acl::GenericRead | acl::GenericExecute},
}};

std::uint32_t RightsOf(const RightsName& r, AclObject object) {
    return object == AclObject::RegistryKey ? r.keyRights : r.directoryRights;
}

struct ModeName {
    const char* name;
    ports::AccessMode mode;
};
constexpr std::array<ModeName, 5> kModeNames{{{"grant", ports::AccessMode::Grant},
                                              {"set", ports::AccessMode::Set},
                                              {"deny", ports::AccessMode::Deny},
                                              {"revoke", ports::AccessMode::Revoke},
                                              {"notUsed", ports::AccessMode::NotUsed}}};

bool ReadRights(Failure& fail, const json& v, const std::string& path, AclObject object, std::uint32_t& rights) {
    if (v.is_number()) return ReadUint32(fail, v, path, rights);
    if (v.is_string()) {
        for (const auto& r : kRightsNames) {
            if (v.get_ref<const std::string&>() == r.name) {
                rights = RightsOf(r, object);
                return true;
            }
        }
    }
    return fail(path, "expected \"full\", \"read\", \"write\", \"readExecute\" or a number");
}

bool ReadMode(Failure& fail, const json& v, const std::string& path, ports::AccessMode& mode) {
    if (v.is_string()) {
        for (const auto& m : kModeNames) {
            if (v.get_ref<const std::string&>() == m.name) {
                mode = m.mode;
                return true;
            }
        }
    }
    return fail(path, "expected \"grant\", \"set\", \"deny\" or \"revoke\"");
}

// Unknown members of the entries land in `unknownByIndex` (null for none).
bool ReadAcl(Failure& fail, const json& v, const std::string& path, AclObject object,
             std::vector<ports::ExplicitAccess>& entries, json& unknownByIndex) {
    if (!ExpectArray(fail, v, path)) return false;
    entries.clear();
    unknownByIndex = json::array();
    bool anyUnknown = false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string at = IndexPath(path, i);
        if (!ExpectObject(fail, v[i], at)) return false;
        Fields f(fail, v[i], at);
        ports::ExplicitAccess entry;
        if (!f.text("trustee", entry.trustee) || !f.uint32("inherit", entry.inheritance)) return false;
        if (const json* rights = f.take("rights");
            rights && !ReadRights(fail, *rights, f.at("rights"), object, entry.rights))
            return false;
        if (const json* mode = f.take("mode"); mode && !ReadMode(fail, *mode, f.at("mode"), entry.mode)) return false;
        json unknown = f.rest();
        anyUnknown = anyUnknown || !unknown.empty();
        unknownByIndex.push_back(unknown.empty() ? json(nullptr) : std::move(unknown));
        entries.push_back(std::move(entry));
    }
    if (!anyUnknown) unknownByIndex = nullptr;
    return true;
}

json WriteAcl(const std::vector<ports::ExplicitAccess>& entries, AclObject object, const json& unknownByIndex) {
    bool haveUnknown = unknownByIndex.is_array() && unknownByIndex.size() == entries.size();
    json out = json::array();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        json entry = {{"trustee", AnsiToUtf8(e.trustee)}, {"inherit", e.inheritance}};
        entry["rights"] = e.rights;
        for (const auto& r : kRightsNames) {
            if (RightsOf(r, object) == e.rights) {
                entry["rights"] = r.name;
                break;
            }
        }
        entry["mode"] = static_cast<std::uint32_t>(e.mode);
        for (const auto& m : kModeNames) {
            if (m.mode == e.mode) entry["mode"] = m.name;
        }
        if (haveUnknown) MergeUnknown(entry, unknownByIndex[i]);
        out.push_back(std::move(entry));
    }
    return out;
}

// Stores the unknown members of a known field's entries in `extra`.
void Stash(json& extra, std::string_view field, json unknown) {
    bool empty = unknown.is_null() || (unknown.is_object() && unknown.empty());
    if (!empty) extra[std::string(field)] = std::move(unknown);
}

const json& Stashed(const json& extra, std::string_view field) {
    static const json none;
    if (!extra.is_object()) return none;
    auto it = extra.find(std::string(field));
    return it == extra.end() ? none : *it;
}

// `extra` without the stashed members.
json OwnExtra(const json& extra, std::initializer_list<std::string_view> stashFields) {
    json out = extra.is_object() ? extra : json::object();
    for (auto field : stashFields) out.erase(std::string(field));
    return out;
}

// ---------------------------------------------------------------- paths of the image

bool ValidComponent(std::string_view part, std::string_view forbidden, std::string& reason) {
    if (part.empty()) {
        reason = "empty path component";
        return false;
    }
    if (part == "." || part == "..") {
        reason = "\".\" and \"..\" are not allowed in a path";
        return false;
    }
    for (char c : part) {
        if (static_cast<unsigned char>(c) < 0x20 || forbidden.find(c) != std::string_view::npos) {
            reason = "character " + Quoted(std::string(1, c)) + " is not allowed in a name";
            return false;
        }
    }
    return true;
}

bool ValidComponents(std::string_view rest, std::string_view forbidden, std::string& reason) {
    std::size_t start = 0;
    while (true) {
        std::size_t end = rest.find('\\', start);
        if (!ValidComponent(rest.substr(start, end - start), forbidden, reason)) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

// "C:\" or "C:\dir\name": drive letter, no empty, "." or ".." components, no
// trailing separator.
bool ValidFilePath(std::string_view path, std::string& reason) {
    bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                 path[1] == ':' && path[2] == '\\';
    if (!drive) {
        reason = "expected a full Windows path such as \"C:\\\\Windows\"";
        return false;
    }
    if (path.size() == 3) return true;
    if (path.back() == ' ' || path.back() == '.') {
        reason = "a path cannot end with a space or a dot";
        return false;
    }
    return ValidComponents(path.substr(3), "<>:\"/|?*", reason);
}

struct Hive {
    const char* shortName;
    const char* longName;
};
constexpr std::array<Hive, 4> kHives{{{"HKLM", "HKEY_LOCAL_MACHINE"},
                                      {"HKCU", "HKEY_CURRENT_USER"},
                                      {"HKCR", "HKEY_CLASSES_ROOT"},
                                      {"HKU", "HKEY_USERS"}}};

std::optional<std::string> CanonicalKeyPath(std::string_view path, std::string& reason) {
    std::string_view hive = path.substr(0, path.find('\\'));
    std::string_view rest = path.substr(hive.size());
    for (const auto& h : kHives) {
        if (!EqualsNoCase(hive, h.shortName) && !EqualsNoCase(hive, h.longName)) continue;
        if (!rest.empty() && !ValidComponents(rest.substr(1), "", reason)) return std::nullopt;
        return std::string(h.shortName) + std::string(rest);
    }
    reason = "a key starts with HKLM, HKCU, HKCR or HKU";
    return std::nullopt;
}

// Whether anything in `map` lies below `path`.
template <typename Map>
bool HasDescendant(const Map& map, const std::string& path) {
    std::string prefix = !path.empty() && path.back() == '\\' ? path : path + "\\";
    auto it = map.lower_bound(prefix);
    if (it != map.end() && it->first.size() == prefix.size()) ++it;
    return it != map.end() && StartsWithNoCase(it->first, prefix);
}

// ---------------------------------------------------------------- sections

bool LoadOs(Failure& fail, const json& v, const std::string& path, OsImage& os) {
    if (!ExpectObject(fail, v, path)) return false;
    Fields f(fail, v, path);
    if (!f.uint32("platform", os.platform) || !f.uint32("major", os.major) || !f.uint32("minor", os.minor) ||
        !f.uint32("build", os.build) || !f.uint32("productType", os.productType) || !f.boolean("is64Bit", os.is64Bit) ||
        !f.uint32("ansiCodePage", os.ansiCodePage) || !f.uint32("uiLanguage", os.uiLanguage))
        return false;
    if (const json* sysnative = f.take("sysnative")) {
        bool present = false;
        if (!ReadBool(fail, *sysnative, f.at("sysnative"), present)) return false;
        os.sysnative = present;
    }
    if (!IsKnownAnsiCodePage(os.ansiCodePage))
        return fail(f.at("ansiCodePage"), "the ANSI code page is one of 1252, 932, 936, 54936 and 65001");
    if (os.uiLanguage == 0 || os.uiLanguage > 0xFFFF)
        return fail(f.at("uiLanguage"), "the user-interface language is a language identifier from 1 to 65535");
    os.extra = f.rest();
    return true;
}

json SaveOs(const OsImage& os) {
    json out = {{"platform", os.platform},       {"major", os.major},    {"minor", os.minor}, {"build", os.build},
                {"productType", os.productType}, {"is64Bit", os.is64Bit}};
    if (os.sysnative) out["sysnative"] = *os.sysnative;
    if (os.ansiCodePage != 1252) out["ansiCodePage"] = os.ansiCodePage;
    if (os.uiLanguage != 0x409) out["uiLanguage"] = os.uiLanguage;
    MergeUnknown(out, os.extra);
    return out;
}

bool ReadPathField(Fields& f, std::string_view name, std::string& out) {
    const json* v = f.take(name);
    if (!v) return f.fail()(f.at(name), "a path is required");
    if (!ReadText(f.fail(), *v, f.at(name), out)) return false;
    std::string reason;
    return ValidFilePath(out, reason) || f.fail()(f.at(name), reason);
}

bool ReadOptionalPath(Fields& f, std::string_view name, std::string& out) {
    if (!f.text(name, out)) return false;
    std::string reason;
    return ValidFilePath(out, reason) || f.fail()(f.at(name), reason);
}

bool LoadDirectories(Failure& fail, const json& v, const std::string& path, FileStore& store) {
    if (!ExpectArray(fail, v, path)) return false;
    PathSet seen;
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string at = IndexPath(path, i);
        if (!ExpectObject(fail, v[i], at)) return false;
        Fields f(fail, v[i], at);
        std::string dirPath;
        if (!ReadPathField(f, "path", dirPath)) return false;
        if (!seen.insert(dirPath).second) return fail(f.at("path"), "duplicate directory " + Quoted(dirPath));
        std::optional<std::string> junction;
        if (const json* target = f.takeNonNull("junctionTo")) {
            std::string text;
            if (!ReadText(fail, *target, f.at("junctionTo"), text)) return false;
            junction = std::move(text);
        }
        std::vector<ports::ExplicitAccess> acl;
        json aclUnknown;
        if (const json* a = f.take("acl"); a && !ReadAcl(fail, *a, f.at("acl"), AclObject::Directory, acl, aclUnknown))
            return false;
        DirectoryRecord& dir = store.ensureDirectory(dirPath);
        dir.junctionTo = std::move(junction);
        dir.acl = std::move(acl);
        dir.extra = f.rest();
        Stash(dir.extra, "acl", std::move(aclUnknown));
    }
    return true;
}

// A junction only points elsewhere; what it shows belongs to its target.
bool JunctionsHoldNothing(Failure& fail, const json& v, const std::string& path, const FileStore& store) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string reason;
        auto dirPath = Utf8ToAnsi(v[i]["path"].get_ref<const std::string&>(), reason);
        const DirectoryRecord* dir = dirPath ? store.findDirectory(*dirPath) : nullptr;
        if (!dir || !dir->junctionTo) continue;
        if (HasDescendant(store.directories(), dir->path) || HasDescendant(store.files(), dir->path))
            return fail(MemberPath(IndexPath(path, i), "junctionTo"),
                        "a junction holds no entries of its own; list them under its target");
    }
    return true;
}

bool FileConflict(const FileStore& store, const std::string& filePath, std::string& reason) {
    if (store.findDirectory(filePath)) {
        reason = Quoted(filePath) + " is also a directory";
        return true;
    }
    for (std::size_t sep = filePath.find('\\', 3); sep != std::string::npos; sep = filePath.find('\\', sep + 1)) {
        if (store.findFile(filePath.substr(0, sep))) {
            reason = Quoted(filePath.substr(0, sep)) + " is a file, not a directory";
            return true;
        }
    }
    return false;
}

bool ReadFileContent(Fields& f, std::string& bytes) {
    const json* text = f.take("text");
    const json* base64 = f.take("base64");
    if (text && base64) return f.fail()(f.at("base64"), "a file has either \"text\" or \"base64\", not both");
    if (text) return ReadText(f.fail(), *text, f.at("text"), bytes);
    if (!base64) return true;
    if (!base64->is_string()) return f.fail()(f.at("base64"), "expected a string");
    std::string reason;
    auto decoded = FromBase64(base64->get_ref<const std::string&>(), reason);
    if (!decoded) return f.fail()(f.at("base64"), reason);
    bytes = std::move(*decoded);
    return true;
}

bool LoadFiles(Failure& fail, const json& v, const std::string& path, FileStore& store) {
    if (!ExpectArray(fail, v, path)) return false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string at = IndexPath(path, i);
        if (!ExpectObject(fail, v[i], at)) return false;
        Fields f(fail, v[i], at);
        std::string filePath, bytes, reason;
        bool readOnly = false, inUse = false;
        if (!ReadPathField(f, "path", filePath)) return false;
        if (filePath.size() == 3) return fail(f.at("path"), "a drive root is not a file");
        if (store.findFile(filePath)) return fail(f.at("path"), "duplicate file " + Quoted(filePath));
        if (FileConflict(store, filePath, reason)) return fail(f.at("path"), reason);
        if (!ReadFileContent(f, bytes) || !f.boolean("readOnly", readOnly) || !f.boolean("inUse", inUse)) return false;
        std::optional<std::string> link;
        if (const json* target = f.takeNonNull("linkTo")) {
            std::string text;
            if (!ReadText(fail, *target, f.at("linkTo"), text)) return false;
            if (!ValidFilePath(text, reason)) return fail(f.at("linkTo"), reason);
            if (!bytes.empty()) return fail(f.at("linkTo"), "a symbolic link holds no content of its own");
            link = std::move(text);
        }
        FileRecord& file = store.putFile(filePath, std::move(bytes));
        file.readOnly = readOnly;
        file.inUse = inUse;
        file.linkTo = std::move(link);
        file.extra = f.rest();
    }
    return true;
}

bool LoadRegistry(Failure& fail, const json& v, const std::string& path, RegistryStore& store) {
    if (!ExpectArray(fail, v, path)) return false;
    PathSet seen;
    for (std::size_t i = 0; i < v.size(); ++i) {
        std::string at = IndexPath(path, i);
        if (!ExpectObject(fail, v[i], at)) return false;
        Fields f(fail, v[i], at);
        const json* keyField = f.take("key");
        std::string keyText, reason;
        if (!keyField) return fail(f.at("key"), "a key path is required");
        if (!ReadText(fail, *keyField, f.at("key"), keyText)) return false;
        auto key = CanonicalKeyPath(keyText, reason);
        if (!key) return fail(f.at("key"), reason);
        if (!seen.insert(*key).second) return fail(f.at("key"), "duplicate key " + Quoted(*key));
        bool isProtected = false;
        std::vector<std::pair<std::string, ports::RegValue>> values;
        std::vector<ports::ExplicitAccess> acl;
        json valuesUnknown, aclUnknown;
        if (!f.boolean("protected", isProtected)) return false;
        if (const json* m = f.take("values"); m && !ReadValueMap(fail, *m, f.at("values"), values, valuesUnknown))
            return false;
        if (const json* a = f.take("acl");
            a && !ReadAcl(fail, *a, f.at("acl"), AclObject::RegistryKey, acl, aclUnknown))
            return false;
        RegistryKeyRecord& record = store.ensure(*key);
        record.isProtected = isProtected;
        record.values = std::move(values);
        record.acl = std::move(acl);
        record.extra = f.rest();
        Stash(record.extra, "values", std::move(valuesUnknown));
        Stash(record.extra, "acl", std::move(aclUnknown));
    }
    return true;
}

// Reads an array of objects with `readOne(fields, record)` for each.
template <typename Record, typename ReadOne>
bool LoadList(Failure& fail, const json* v, const std::string& path, std::vector<Record>& out, ReadOne readOne) {
    out.clear();
    if (!v) return true;
    if (!ExpectArray(fail, *v, path)) return false;
    for (std::size_t i = 0; i < v->size(); ++i) {
        std::string at = IndexPath(path, i);
        if (!ExpectObject(fail, (*v)[i], at)) return false;
        Fields f(fail, (*v)[i], at);
        Record record;
        if (!readOne(f, record)) return false;
        if (record.extra.is_object() && !record.extra.empty()) {
            json own = f.rest();
            MergeUnknown(record.extra, own);
        } else {
            record.extra = f.rest();
        }
        out.push_back(std::move(record));
    }
    return true;
}

bool LoadDevMode(Failure& fail, const json& v, const std::string& path, DevModeRecord& dm) {
    if (!ExpectObject(fail, v, path)) return false;
    Fields f(fail, v, path);
    if (!f.int32("copies", dm.copies) || !f.int32("color", dm.color) || !f.int32("defaultSource", dm.defaultSource) ||
        !f.text("formName", dm.formName) || !f.int32("paperSize", dm.paperSize) ||
        !f.int32("paperWidth", dm.paperWidth) || !f.int32("paperLength", dm.paperLength))
        return false;
    // The spooler keeps the device mode as a DEVMODE structure.
    if (auto problem = CheckDevMode(dm)) return fail(f.at(problem->field), problem->reason);
    dm.extra = f.rest();
    return true;
}

// A printer as the image lists it: the spooler's record and its spool files.
struct PrinterEntry {
    PrinterRecord printer;
    std::vector<std::uint32_t> jobs;
    json extra = json::object();
};

bool LoadPrinter(Fields& f, PrinterEntry& entry) {
    Failure& fail = f.fail();
    PrinterRecord& p = entry.printer;
    if (!f.text("name", p.name) || !f.text("driver", p.driver) || !f.text("port", p.port) ||
        !f.text("printProcessor", p.printProcessor) || !f.text("dataType", p.dataType) ||
        !f.text("shareName", p.shareName) || !f.text("comment", p.comment) || !f.text("location", p.location) ||
        !f.text("sepFile", p.sepFile) || !f.text("parameters", p.parameters) ||
        !f.uint32("attributes", p.attributes) || !f.uint32("priority", p.priority) ||
        !f.uint32("defaultPriority", p.defaultPriority) || !f.uint32("startTime", p.startTime) ||
        !f.uint32("untilTime", p.untilTime) || !f.uint32("status", p.status))
        return false;
    if (const json* jobs = f.take("jobs")) {
        if (!ExpectArray(fail, *jobs, f.at("jobs"))) return false;
        for (std::size_t i = 0; i < jobs->size(); ++i) {
            std::uint32_t job = 0;
            if (!ReadUint32(fail, (*jobs)[i], IndexPath(f.at("jobs"), i), job)) return false;
            entry.jobs.push_back(job);
        }
    }
    json dataUnknown;
    if (const json* data = f.take("data"); data && !ReadValueMap(fail, *data, f.at("data"), p.data, dataUnknown))
        return false;
    Stash(entry.extra, "data", std::move(dataUnknown));
    if (const json* dm = f.takeNonNull("devmode")) {
        DevModeRecord record;
        if (!LoadDevMode(fail, *dm, f.at("devmode"), record)) return false;
        p.devmode = std::move(record);
    }
    return true;
}

bool LoadDriver(Fields& f, DriverRecord& d) {
    return f.text("name", d.name) && f.text("environment", d.environment) && f.uint32("version", d.version) &&
           f.text("driverPath", d.driverPath) && f.text("dataFile", d.dataFile) && f.text("configFile", d.configFile) &&
           f.text("helpFile", d.helpFile) && f.textList("dependentFiles", d.dependentFiles) &&
           f.text("monitor", d.monitor) && f.text("defaultDataType", d.defaultDataType);
}

bool LoadForm(Fields& f, FormRecord& form) {
    if (!f.text("name", form.name) || !f.uint32("flags", form.flags) || !f.int32("width", form.width) ||
        !f.int32("length", form.length))
        return false;
    const json* area = f.take("imageable");
    if (!area) return true;
    if (!area->is_array() || area->size() != 4)
        return f.fail()(f.at("imageable"), "expected an array of 4 integers: left, top, right, bottom");
    for (std::size_t i = 0; i < 4; ++i) {
        if (!ReadInt32(f.fail(), (*area)[i], IndexPath(f.at("imageable"), i), form.imageable[i])) return false;
    }
    return true;
}

template <typename Record>
bool LoadNamedDll(Fields& f, Record& r) {
    return f.text("name", r.name) && f.text("environment", r.environment) && f.text("dll", r.dll);
}

std::string NativeEnvironment(const OsImage& os) { return os.is64Bit ? "Windows x64" : "Windows NT x86"; }

// Names become registry key names: one non-empty component each.
bool ValidKeyName(Failure& fail, const std::string& path, const std::string& name) {
    if (name.empty()) return fail(path, "a name is required");
    if (name.find('\\') != std::string::npos) return fail(path, "a name cannot hold \"\\\"");
    return true;
}

// An omitted environment is the system's own.
bool ValidEnvironment(Failure& fail, const std::string& path, const OsImage& os, std::string& environment) {
    if (environment.empty()) environment = NativeEnvironment(os);
    return ValidKeyName(fail, path, environment);
}

// Checks the names of one list, and that no two records share `identity`.
template <typename Record, typename NameOf, typename Identity>
bool UniqueNames(Failure& fail, const std::string& listPath, std::string_view what, const std::vector<Record>& records,
                 NameOf nameOf, Identity identity) {
    PathSet seen;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string at = MemberPath(IndexPath(listPath, i), "name");
        const std::string& name = nameOf(records[i]);
        if (!ValidKeyName(fail, at, name)) return false;
        if (!seen.insert(identity(records[i])).second)
            return fail(at, "duplicate " + std::string(what) + " " + Quoted(name));
    }
    return true;
}

template <typename Record>
const std::string& NameOfRecord(const Record& record) {
    return record.name;
}

bool CheckEnvironments(Failure& fail, const std::string& listPath, const OsImage& os, auto& records) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!ValidEnvironment(fail, MemberPath(IndexPath(listPath, i), "environment"), os, records[i].environment))
            return false;
    }
    return true;
}

// Monitors serve the system's own environment only, as AddMonitor allows.
bool CheckMonitors(Failure& fail, const std::string& listPath, const OsImage& os, std::vector<MonitorRecord>& list) {
    const std::string native = NativeEnvironment(os);
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string& environment = list[i].environment;
        if (environment.empty() || EqualsNoCase(environment, native)) {
            environment = native;
            continue;
        }
        return fail(MemberPath(IndexPath(listPath, i), "environment"),
                    "a monitor serves the system's own environment " + Quoted(native));
    }
    return UniqueNames(fail, listPath, "monitor", list, NameOfRecord<MonitorRecord>,
                       [](const MonitorRecord& m) { return m.name; });
}

// The spooler's objects go into its registry keys, its forms and spool files
// into the world's spooler record.
bool LoadSpooler(Failure& fail, const json& v, const std::string& path, World& w) {
    if (!ExpectObject(fail, v, path)) return false;
    Fields f(fail, v, path);
    SpoolerImage& s = w.spooler;
    std::vector<MonitorRecord> monitors;
    std::vector<PrintProcessorRecord> processors;
    std::vector<DriverRecord> drivers;
    std::vector<PrinterEntry> printers;
    if (!f.boolean("running", s.running) || !f.textList("ports", s.ports) ||
        !f.textList("offlinePorts", s.offlinePorts) || !f.textList("dependentServices", s.dependentServices) ||
        !LoadList(fail, f.take("monitors"), f.at("monitors"), monitors, LoadNamedDll<MonitorRecord>) ||
        !LoadList(fail, f.take("printProcessors"), f.at("printProcessors"), processors,
                  LoadNamedDll<PrintProcessorRecord>) ||
        !LoadList(fail, f.take("drivers"), f.at("drivers"), drivers, LoadDriver) ||
        !LoadList(fail, f.take("printers"), f.at("printers"), printers, LoadPrinter) ||
        !LoadList(fail, f.take("forms"), f.at("forms"), s.forms, LoadForm))
        return false;
    auto processorIdentity = [](const PrintProcessorRecord& p) { return p.environment + "\\" + p.name; };
    auto driverIdentity = [](const DriverRecord& d) {
        return d.environment + "\\" + std::to_string(d.version) + "\\" + d.name;
    };
    auto printerName = [](const PrinterEntry& p) -> const std::string& { return p.printer.name; };
    if (!CheckMonitors(fail, f.at("monitors"), w.os, monitors) ||
        !CheckEnvironments(fail, f.at("printProcessors"), w.os, processors) ||
        !UniqueNames(fail, f.at("printProcessors"), "print processor", processors,
                     NameOfRecord<PrintProcessorRecord>, processorIdentity) ||
        !CheckEnvironments(fail, f.at("drivers"), w.os, drivers) ||
        !UniqueNames(fail, f.at("drivers"), "driver", drivers, NameOfRecord<DriverRecord>, driverIdentity) ||
        !UniqueNames(fail, f.at("printers"), "printer", printers, printerName, printerName))
        return false;
    for (const auto& monitor : monitors) WriteMonitorKey(w.registry, monitor);
    for (const auto& processor : processors) WritePrintProcessorKey(w.registry, processor);
    for (const auto& driver : drivers) WriteDriverKey(w.registry, driver);
    for (auto& entry : printers) {
        MergeUnknown(entry.printer.extra, entry.extra);
        WritePrinterKey(w.registry, entry.printer);
        if (!entry.jobs.empty()) s.jobs[entry.printer.name] = std::move(entry.jobs);
    }
    s.extra = f.rest();
    return true;
}

bool LoadDevice(Fields& f, DeviceNode& d) {
    return f.text("enumerator", d.enumerator) && f.text("instanceId", d.instanceId) &&
           f.textList("hardwareIds", d.hardwareIds);
}

bool LoadRestart(Failure& fail, const json& v, const std::string& path, World& w) {
    if (!ExpectObject(fail, v, path)) return false;
    Fields f(fail, v, path);
    RestartRecord r;
    if (!f.uint32("flags", r.flags) || !f.uint32("reason", r.reason)) return false;
    w.restart = r;
    Stash(w.extra, "restart", f.rest());
    return true;
}

bool LoadClock(Failure& fail, Fields& f, World& w) {
    std::string clock = w.clock;
    if (!f.text("clock", clock)) return false;
    if (!ParseIsoLocalTime(clock)) return fail(f.at("clock"), "expected a local time \"YYYY-MM-DDTHH:MM:SS\"");
    w.clock = std::move(clock);
    return true;
}

bool LoadWorld(Failure& fail, const json& image, World& w) {
    const std::string root = "$";
    if (!ExpectObject(fail, image, root)) return false;
    Fields f(fail, image, root);
    if (const json* os = f.take("os"); os && !LoadOs(fail, *os, f.at("os"), w.os)) return false;
    if (!LoadClock(fail, f, w) || !ReadOptionalPath(f, "windowsDirectory", w.windowsDirectory) ||
        !ReadOptionalPath(f, "currentDirectory", w.currentDirectory) ||
        !f.boolean("shutdownPrivilege", w.shutdownPrivilege) ||
        !f.boolean("otherInstanceRunning", w.otherInstanceRunning) || !f.boolean("elevated", w.elevated))
        return false;
    if (const json* d = f.take("directories"); d && !LoadDirectories(fail, *d, f.at("directories"), w.files))
        return false;
    if (const json* files = f.take("files"); files && !LoadFiles(fail, *files, f.at("files"), w.files)) return false;
    if (const json* d = f.take("directories"); d && !JunctionsHoldNothing(fail, *d, f.at("directories"), w.files))
        return false;
    if (const json* r = f.take("registry"); r && !LoadRegistry(fail, *r, f.at("registry"), w.registry)) return false;
    if (const json* s = f.take("spooler"); s && !LoadSpooler(fail, *s, f.at("spooler"), w)) return false;
    if (!LoadList(fail, f.take("devices"), f.at("devices"), w.devices, LoadDevice)) return false;
    if (const json* restart = f.takeNonNull("restart"); restart && !LoadRestart(fail, *restart, f.at("restart"), w))
        return false;
    MergeUnknown(w.extra, f.rest());
    return true;
}

// ---------------------------------------------------------------- saving

bool DirectoryCarriesSomething(const DirectoryRecord& dir) {
    return dir.junctionTo || !dir.acl.empty() || !OwnExtra(dir.extra, {"acl"}).empty();
}

json SaveDirectories(const FileStore& store) {
    json out = json::array();
    for (const auto& [path, dir] : store.directories()) {
        bool childless = !HasDescendant(store.directories(), path) && !HasDescendant(store.files(), path);
        if (!childless && !DirectoryCarriesSomething(dir)) continue;
        json entry = {{"path", AnsiToUtf8(dir.path)},
                      {"junctionTo", dir.junctionTo ? json(AnsiToUtf8(*dir.junctionTo)) : json(nullptr)},
                      {"acl", WriteAcl(dir.acl, AclObject::Directory, Stashed(dir.extra, "acl"))}};
        MergeUnknown(entry, OwnExtra(dir.extra, {"acl"}));
        out.push_back(std::move(entry));
    }
    return out;
}

json SaveFiles(const FileStore& store) {
    json out = json::array();
    for (const auto& [path, file] : store.files()) {
        json entry = {{"path", AnsiToUtf8(file.path)}, {"readOnly", file.readOnly}, {"inUse", file.inUse}};
        // A link's content is its target's.
        if (file.linkTo) {
            entry["linkTo"] = AnsiToUtf8(*file.linkTo);
        } else if (IsPlainText(file.bytes)) {
            entry["text"] = file.bytes;
        } else {
            entry["base64"] = ToBase64(file.bytes);
        }
        MergeUnknown(entry, file.extra);
        out.push_back(std::move(entry));
    }
    return out;
}

// The keys of the spooler's objects appear only with what the "spooler"
// section does not already say of them.
json SaveRegistry(const RegistryStore& store) {
    json out = json::array();
    for (const auto& [path, key] : store.keys()) {
        const SpoolerKeyKind kind = ClassifySpoolerKey(path);
        NamedValues values;
        for (const auto& named : key.values)
            if (!SpoolerCarriesValue(kind, named.first)) values.push_back(named);
        json own = OwnExtra(key.extra, {"values", "acl"});
        bool carries = key.isProtected || !values.empty() || !key.acl.empty() || !own.empty();
        bool childless = !HasDescendant(store.keys(), path);
        if (!carries && (kind != SpoolerKeyKind::None || !childless || IsHiveRoot(path))) continue;
        json entry = {{"key", AnsiToUtf8(key.path)},
                      {"protected", key.isProtected},
                      {"values", WriteValueMap(values, Stashed(key.extra, "values"))},
                      {"acl", WriteAcl(key.acl, AclObject::RegistryKey, Stashed(key.extra, "acl"))}};
        MergeUnknown(entry, own);
        out.push_back(std::move(entry));
    }
    return out;
}

json TextList(const std::vector<std::string>& items) {
    json out = json::array();
    for (const auto& item : items) out.push_back(AnsiToUtf8(item));
    return out;
}

template <typename Record, typename WriteOne>
json SaveList(const std::vector<Record>& records, WriteOne writeOne) {
    json out = json::array();
    for (const auto& record : records) {
        json entry = writeOne(record);
        MergeUnknown(entry, record.extra);
        out.push_back(std::move(entry));
    }
    return out;
}

template <typename Record>
json SaveNamedDll(const Record& r) {
    return {{"name", AnsiToUtf8(r.name)}, {"environment", AnsiToUtf8(r.environment)}, {"dll", AnsiToUtf8(r.dll)}};
}

json SaveDriver(const DriverRecord& d) {
    return {{"name", AnsiToUtf8(d.name)},
            {"environment", AnsiToUtf8(d.environment)},
            {"version", d.version},
            {"driverPath", AnsiToUtf8(d.driverPath)},
            {"dataFile", AnsiToUtf8(d.dataFile)},
            {"configFile", AnsiToUtf8(d.configFile)},
            {"helpFile", AnsiToUtf8(d.helpFile)},
            {"dependentFiles", TextList(d.dependentFiles)},
            {"monitor", AnsiToUtf8(d.monitor)},
            {"defaultDataType", AnsiToUtf8(d.defaultDataType)}};
}

json SaveDevMode(const DevModeRecord& dm) {
    json out = {{"copies", dm.copies},
                {"color", dm.color},
                {"defaultSource", dm.defaultSource},
                {"formName", AnsiToUtf8(dm.formName)},
                {"paperSize", dm.paperSize},
                {"paperWidth", dm.paperWidth},
                {"paperLength", dm.paperLength}};
    MergeUnknown(out, dm.extra);
    return out;
}

json SavePrinterFields(const PrinterRecord& p, const std::vector<std::uint32_t>& jobs) {
    json out = {{"name", AnsiToUtf8(p.name)},
                {"driver", AnsiToUtf8(p.driver)},
                {"port", AnsiToUtf8(p.port)},
                {"printProcessor", AnsiToUtf8(p.printProcessor)},
                {"dataType", AnsiToUtf8(p.dataType)},
                {"shareName", AnsiToUtf8(p.shareName)},
                {"comment", AnsiToUtf8(p.comment)},
                {"location", AnsiToUtf8(p.location)},
                {"sepFile", AnsiToUtf8(p.sepFile)},
                {"parameters", AnsiToUtf8(p.parameters)},
                {"attributes", p.attributes},
                {"priority", p.priority},
                {"defaultPriority", p.defaultPriority},
                {"startTime", p.startTime},
                {"untilTime", p.untilTime},
                {"status", p.status},
                {"jobs", jobs},
                {"data", WriteValueMap(p.data, Stashed(p.extra, "data"))},
                {"devmode", p.devmode ? SaveDevMode(*p.devmode) : json(nullptr)}};
    return out;
}

json SaveForm(const FormRecord& f) {
    return {{"name", AnsiToUtf8(f.name)},
            {"flags", f.flags},
            {"width", f.width},
            {"length", f.length},
            {"imageable", {f.imageable[0], f.imageable[1], f.imageable[2], f.imageable[3]}}};
}

// Monitors, print processors, drivers and printers come from the spooler's
// registry keys; the rest from the world's spooler record.
json SaveSpooler(const World& world) {
    const SpoolerImage& s = world.spooler;
    const SpoolerObjects objects = ReadSpoolerObjects(world.registry, NativeEnvironment(world.os));
    json out = {{"running", s.running},
                {"ports", TextList(s.ports)},
                {"monitors", SaveList(objects.monitors, SaveNamedDll<MonitorRecord>)},
                {"printProcessors", SaveList(objects.printProcessors, SaveNamedDll<PrintProcessorRecord>)},
                {"drivers", SaveList(objects.drivers, SaveDriver)},
                {"printers", json::array()},
                {"forms", SaveList(s.forms, SaveForm)}};
    static const std::vector<std::uint32_t> kNoJobs;
    for (const auto& p : objects.printers) {
        auto jobs = s.jobs.find(p.name);
        json entry = SavePrinterFields(p, jobs == s.jobs.end() ? kNoJobs : jobs->second);
        MergeUnknown(entry, OwnExtra(p.extra, {"data"}));
        out["printers"].push_back(std::move(entry));
    }
    if (!s.offlinePorts.empty()) out["offlinePorts"] = TextList(s.offlinePorts);
    if (!s.dependentServices.empty()) out["dependentServices"] = TextList(s.dependentServices);
    MergeUnknown(out, s.extra);
    return out;
}

json SaveDevice(const DeviceNode& d) {
    return {{"enumerator", AnsiToUtf8(d.enumerator)},
            {"instanceId", AnsiToUtf8(d.instanceId)},
            {"hardwareIds", TextList(d.hardwareIds)}};
}

// Nesting deeper than this is refused before parsing, so that nothing later
// recurses without bound.
constexpr std::size_t kMaxNesting = 256;

std::optional<std::size_t> ExcessiveNesting(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false, escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting) return i;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return std::nullopt;
}

std::string ParseErrorReason(const json::parse_error& e) {
    std::string message = e.what();
    if (auto close = message.find("] "); message.rfind("[json.exception.", 0) == 0 && close != std::string::npos)
        message = message.substr(close + 2);
    // The parser counts the offending byte itself; report its offset.
    const std::size_t offset = e.byte > 0 ? e.byte - 1 : 0;
    return "invalid JSON at byte " + std::to_string(offset) + ": " + message;
}

}  // namespace

// ---------------------------------------------------------------- public

std::optional<std::string> Utf8ToAnsi(std::string_view utf8, std::string& reason) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > utf8.size()) {
            reason = "invalid UTF-8 at offset " + std::to_string(i);
            return std::nullopt;
        }
        std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t j = 1; j < length; ++j) {
            auto next = static_cast<unsigned char>(utf8[i + j]);
            if ((next & 0xC0) != 0x80) {
                reason = "invalid UTF-8 at offset " + std::to_string(i);
                return std::nullopt;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            reason = "invalid UTF-8 at offset " + std::to_string(i);
            return std::nullopt;
        }
        if (cp > 0xFF) {
            reason = "character " + CodePointName(cp) + " has no byte in the ANSI code page";
            return std::nullopt;
        }
        out += static_cast<char>(cp);
        i += length;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::optional<ImageError> LoadImage(const nlohmann::json& image, World& world) {
    Failure fail;
    try {
        World loaded;
        if (LoadWorld(fail, image, loaded)) {
            world = std::move(loaded);
            return std::nullopt;
        }
    } catch (const std::exception& e) {
        fail("$", std::string("the image cannot be loaded: ") + e.what());
    }
    return fail.take();
}

std::optional<ImageError> ParseImageText(std::string_view text, World& world) {
    if (auto at = ExcessiveNesting(text))
        return ImageError{
            "$", "nesting deeper than " + std::to_string(kMaxNesting) + " levels at byte " + std::to_string(*at)};
    json image;
    try {
        image = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        return ImageError{"$", ParseErrorReason(e)};
    } catch (const std::exception& e) {
        return ImageError{"$", std::string("invalid JSON: ") + e.what()};
    }
    return LoadImage(image, world);
}

nlohmann::json SaveImage(const World& world) {
    json out = {{"os", SaveOs(world.os)},
                {"clock", AnsiToUtf8(world.clock)},
                {"windowsDirectory", AnsiToUtf8(world.windowsDirectory)},
                {"currentDirectory", AnsiToUtf8(world.currentDirectory)},
                {"shutdownPrivilege", world.shutdownPrivilege},
                {"otherInstanceRunning", world.otherInstanceRunning},
                {"files", SaveFiles(world.files)},
                {"directories", SaveDirectories(world.files)},
                {"registry", SaveRegistry(world.registry)},
                {"spooler", SaveSpooler(world)},
                {"devices", SaveList(world.devices, SaveDevice)},
                {"restart", nullptr}};
    if (!world.elevated) out["elevated"] = false;
    if (world.restart) {
        out["restart"] = {{"flags", world.restart->flags}, {"reason", world.restart->reason}};
        MergeUnknown(out["restart"], Stashed(world.extra, "restart"));
    }
    MergeUnknown(out, OwnExtra(world.extra, {"restart"}));
    return out;
}

bool LoadSystemImageFile(const std::string& file, std::istream& stdinStream, World& world, std::string& errorLine) {
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(stdinStream), std::istreambuf_iterator<char>());
        if (stdinStream.bad()) {
            errorLine = "-: $: standard input cannot be read";
            return false;
        }
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) {
            errorLine = file + ": $: is a directory, not an image file";
            return false;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            errorLine = file + ": $: the file cannot be opened";
            return false;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            errorLine = file + ": $: the file cannot be read";
            return false;
        }
    }
    // A run's result carries the image afterwards: the next run can start
    // from the result file itself.
    if (const nlohmann::json result = ExcessiveNesting(text) ? nlohmann::json() : nlohmann::json::parse(text, nullptr, false);
        result.is_object() && result.contains("transcript") && result.contains("system") &&
        result["system"].is_object()) {
        if (auto error = LoadImage(result["system"], world)) {
            errorLine = file + ": $.system" + error->jsonPath.substr(1) + ": " + error->reason;
            return false;
        }
        return true;
    }
    if (auto error = ParseImageText(text, world)) {
        errorLine = file + ": " + error->jsonPath + ": " + error->reason;
        return false;
    }
    return true;
}

}  // namespace kvt::sim
