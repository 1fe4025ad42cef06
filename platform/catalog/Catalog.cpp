#include "platform/catalog/Catalog.h"

#include <set>

#include "platform/catalog/Der.h"

namespace kvt::catalog {

namespace {

using namespace der;

constexpr std::string_view kSignedData = "1.2.840.113549.1.7.2";
constexpr std::string_view kCtl = "1.3.6.1.4.1.311.10.1";
constexpr std::string_view kCatalogList = "1.3.6.1.4.1.311.12.1.1";
constexpr std::string_view kCatalogListMember = "1.3.6.1.4.1.311.12.1.2";
constexpr std::string_view kNameValue = "1.3.6.1.4.1.311.12.2.1";
constexpr std::string_view kMemberInfo = "1.3.6.1.4.1.311.12.2.2";
constexpr std::string_view kIndirectData = "1.3.6.1.4.1.311.2.1.4";
constexpr std::string_view kPeImageData = "1.3.6.1.4.1.311.2.1.15";
constexpr std::string_view kCabData = "1.3.6.1.4.1.311.2.1.25";
constexpr std::string_view kSha1 = "1.3.14.3.2.26";
constexpr std::string_view kSha256 = "2.16.840.1.101.3.4.2.1";
// The subject interface packages that check a member: PE images, and flat files.
constexpr std::string_view kPeSubject = "{C689AAB8-8E78-11D0-8C47-00C04FC295EE}";
constexpr std::string_view kFlatSubject = "{DE351A42-8E59-11D0-8C47-00C04FC295EE}";
// Name-value flags: a readable, authenticated Unicode text attribute.
constexpr std::uint64_t kNameValueFlags = 0x10010001;

std::string Attribute(std::string_view oid, const std::string& value) {
    return Sequence({Oid(oid), SetOf({value})});
}

std::string NameValue(std::string_view name, std::string_view value) {
    return Sequence({BmpString(name), Integer(kNameValueFlags), OctetString(WideZ(value))});
}

// "<<<Obsolete>>>" as the file link, as Authenticode writes it.
std::string ObsoleteLink() {
    std::string bmp = BmpString("<<<Obsolete>>>");
    return Element(ContextConstructed(2), Element(ContextPrimitive(0), bmp.substr(2)));
}

std::string IndirectData(bool peImage, HashAlgorithm algorithm, std::string_view digest) {
    const std::string data =
        peImage ? Sequence({Oid(kPeImageData), Sequence({Element(kBitString, std::string(1, '\0')),
                                                          Element(ContextConstructed(0), ObsoleteLink())})})
                : Sequence({Oid(kCabData), ObsoleteLink()});
    const std::string_view oid = algorithm == HashAlgorithm::Sha1 ? kSha1 : kSha256;
    return Sequence({data, Sequence({Sequence({Oid(oid), Null()}), OctetString(digest)})});
}

std::string Member(const CatalogEntry& file, HashAlgorithm algorithm, std::string_view osAttributes) {
    const bool pe = IsPeImage(file.bytes);
    const std::string digest = FileHash(file.bytes, algorithm);
    return Sequence({OctetString(WideZ(HexUpper(digest))),
                     SetOf({Attribute(kNameValue, NameValue("File", file.name)),
                            Attribute(kNameValue, NameValue("OSAttr", osAttributes)),
                            Attribute(kMemberInfo, Sequence({BmpString(pe ? kPeSubject : kFlatSubject), Integer(512)})),
                            Attribute(kIndirectData, IndirectData(pe, algorithm, digest))})});
}

// ---- reading ----

std::optional<Node> Only(std::string_view bytes, std::uint8_t tag) {
    auto node = Read(bytes);
    if (!node || node->tag != tag || node->whole.size() != bytes.size()) return std::nullopt;
    return node;
}

std::optional<std::vector<Node>> ChildrenOf(const std::optional<Node>& node) {
    if (!node) return std::nullopt;
    return Children(node->content);
}

std::string Narrow(std::string_view utf16le) {
    std::string text;
    for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2) {
        if (utf16le[i] == '\0' && utf16le[i + 1] == '\0') break;
        text += utf16le[i + 1] == '\0' ? utf16le[i] : '?';
    }
    return text;
}

// A name-value's name (BMPString, big-endian) and value (UTF-16LE text).
std::optional<std::pair<std::string, std::string>> ReadNameValue(std::string_view bytes) {
    auto parts = ChildrenOf(Only(bytes, kSequence));
    if (!parts || parts->size() != 3 || (*parts)[0].tag != kBmpString || (*parts)[2].tag != kOctetString)
        return std::nullopt;
    std::string name;
    for (std::size_t i = 0; i + 1 < (*parts)[0].content.size(); i += 2) name += (*parts)[0].content[i + 1];
    return std::pair{name, Narrow((*parts)[2].content)};
}

bool ReadIndirectData(std::string_view bytes, CatalogMember& member) {
    auto parts = ChildrenOf(Only(bytes, kSequence));
    if (!parts || parts->size() != 2) return false;
    auto data = Children((*parts)[0].content);
    auto digestInfo = Children((*parts)[1].content);
    if (!data || data->empty() || (*data)[0].tag != kOid || !digestInfo || digestInfo->size() != 2) return false;
    member.peImage = OidText((*data)[0].content) == kPeImageData;
    auto algorithm = Children((*digestInfo)[0].content);
    if (!algorithm || algorithm->empty() || (*algorithm)[0].tag != kOid || (*digestInfo)[1].tag != kOctetString)
        return false;
    const std::string oid = OidText((*algorithm)[0].content);
    if (oid == kSha1)
        member.algorithm = HashAlgorithm::Sha1;
    else if (oid == kSha256)
        member.algorithm = HashAlgorithm::Sha256;
    else
        return false;
    member.digest = std::string((*digestInfo)[1].content);
    return true;
}

std::optional<CatalogMember> ReadMember(const Node& node) {
    auto parts = Children(node.content);
    if (node.tag != kSequence || !parts || parts->size() != 2 || (*parts)[0].tag != kOctetString ||
        (*parts)[1].tag != kSet)
        return std::nullopt;
    CatalogMember member;
    member.tag = Narrow((*parts)[0].content);
    auto attributes = Children((*parts)[1].content);
    if (!attributes) return std::nullopt;
    bool digest = false;
    for (const auto& attribute : *attributes) {
        auto pieces = Children(attribute.content);
        if (!pieces || pieces->size() != 2 || (*pieces)[0].tag != kOid) return std::nullopt;
        auto values = Children((*pieces)[1].content);
        if (!values || values->size() != 1) return std::nullopt;
        const std::string oid = OidText((*pieces)[0].content);
        if (oid == kIndirectData) {
            if (!ReadIndirectData((*values)[0].whole, member)) return std::nullopt;
            digest = true;
        } else if (oid == kNameValue) {
            auto pair = ReadNameValue((*values)[0].whole);
            if (!pair) return std::nullopt;
            if (pair->first == "File") member.file = pair->second;
            if (pair->first == "OSAttr") member.osAttributes = pair->second;
        }
    }
    if (!digest) return std::nullopt;
    return member;
}

bool ReadTrustList(std::string_view bytes, CatalogList& list) {
    auto fields = ChildrenOf(Only(bytes, kSequence));
    if (!fields) return false;
    std::size_t i = 0;
    if (i < fields->size() && (*fields)[i].tag == kInteger) ++i;  // version
    if (i >= fields->size()) return false;
    auto usage = Children((*fields)[i].content);
    if (!usage || usage->size() != 1 || OidText((*usage)[0].content) != kCatalogList) return false;
    for (++i; i < fields->size(); ++i) {
        const Node& field = (*fields)[i];
        if (field.tag == kSequence) {
            auto items = Children(field.content);
            if (!items) return false;
            if (!items->empty() && (*items)[0].tag == kOid) continue;  // the subject algorithm
            for (const auto& item : *items) {
                auto member = ReadMember(item);
                if (!member) return false;
                list.members.push_back(std::move(*member));
            }
        } else if (field.tag == ContextConstructed(0)) {
            auto extensions = ChildrenOf(Only(field.content, kSequence));
            if (!extensions) return false;
            for (const auto& extension : *extensions) {
                auto parts = Children(extension.content);
                if (!parts || parts->size() < 2 || OidText((*parts)[0].content) != kNameValue) continue;
                auto pair = ReadNameValue(parts->back().content);
                if (pair && pair->first == "OSAttr") list.osAttributes = pair->second;
            }
        }
    }
    return true;
}

}  // namespace

std::string MakeCatalog(const std::vector<CatalogEntry>& files, std::string_view osAttributes,
                        std::int64_t unixTime) {
    std::vector<std::string> members;
    std::set<std::string> seen;
    std::string identity;
    for (const auto& file : files) {
        for (HashAlgorithm algorithm : {HashAlgorithm::Sha1, HashAlgorithm::Sha256}) {
            // The same file in both folders is one member.
            const std::string hash = FileHash(file.bytes, algorithm);
            if (!seen.insert(hash).second) continue;
            identity += hash;
            members.push_back(Member(file, algorithm, osAttributes));
        }
    }
    const std::string listIdentifier = FileHash(identity, HashAlgorithm::Sha1).substr(0, 16);
    const std::string trustList = Sequence({
        Sequence({Oid(kCatalogList)}),
        OctetString(listIdentifier),
        UtcTime(unixTime),
        Sequence({Oid(kCatalogListMember), Null()}),
        Sequence(members),
        Element(ContextConstructed(0),
                Sequence({Sequence({Oid(kNameValue), OctetString(NameValue("OSAttr", osAttributes))})})),
    });
    const std::string signedData = Sequence({
        Integer(1),
        SetOf({}),
        Sequence({Oid(kCtl), Element(ContextConstructed(0), trustList)}),
        SetOf({}),
    });
    return Sequence({Oid(kSignedData), Element(ContextConstructed(0), signedData)});
}

std::optional<CatalogList> ReadCatalog(std::string_view bytes) {
    auto top = ChildrenOf(Only(bytes, kSequence));
    if (!top || top->size() != 2 || (*top)[0].tag != kOid || OidText((*top)[0].content) != kSignedData ||
        (*top)[1].tag != ContextConstructed(0))
        return std::nullopt;
    auto signedData = ChildrenOf(Only((*top)[1].content, kSequence));
    if (!signedData || signedData->size() < 4) return std::nullopt;
    auto content = Children((*signedData)[2].content);
    if (!content || content->size() != 2 || OidText((*content)[0].content) != kCtl ||
        (*content)[1].tag != ContextConstructed(0))
        return std::nullopt;
    CatalogList list;
    list.content = std::string((*content)[1].content);
    if (!ReadTrustList(list.content, list)) return std::nullopt;
    for (std::size_t i = 3; i < signedData->size(); ++i) {
        const Node& field = (*signedData)[i];
        auto items = Children(field.content);
        if (!items) return std::nullopt;
        if (field.tag == ContextConstructed(0)) {
            for (const auto& certificate : *items) list.certificates.emplace_back(certificate.whole);
        } else if (field.tag == kSet) {
            for (const auto& signer : *items) list.signerInfos.emplace_back(signer.whole);
        }
    }
    return list;
}

const CatalogMember* FindMember(const CatalogList& catalog, std::string_view fileBytes, HashAlgorithm algorithm) {
    const std::string digest = FileHash(fileBytes, algorithm);
    const std::string tag = HexUpper(digest);
    for (const auto& member : catalog.members)
        if (member.algorithm == algorithm && member.digest == digest && member.tag == tag) return &member;
    return nullptr;
}

}  // namespace kvt::catalog
