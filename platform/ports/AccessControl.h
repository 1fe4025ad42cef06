#pragma once
// Access-list types shared by the registry and file-system ports.
#include <cstdint>
#include <memory>
#include <string>

namespace kvt::ports {

// ACCESS_MODE values of the Windows access-control API.
enum class AccessMode : std::uint32_t { NotUsed = 0, Grant = 1, Set = 2, Deny = 3, Revoke = 4 };

// One EXPLICIT_ACCESS entry whose trustee is given by name ("Everyone",
// "Administrators", "SYSTEM", or an account name).
struct ExplicitAccess {
    std::string trustee;
    std::uint32_t rights = 0;
    AccessMode mode = AccessMode::NotUsed;
    std::uint32_t inheritance = 0;
    friend bool operator==(const ExplicitAccess&, const ExplicitAccess&) = default;
};

// A discretionary access list as the adapter that produced it holds it. The
// core only passes it back to the same adapter; it never looks inside.
class AccessList {
public:
    virtual ~AccessList() = default;
};
using AccessListPtr = std::unique_ptr<AccessList>;

}  // namespace kvt::ports
