#pragma once
// The access list the Win32 registry adapter hands to the core: a DACL
// together with the memory it lives in. A list read from a key points into
// the key's security descriptor; a merged list is its own allocation.
#include <windows.h>

#include "platform/ports/AccessControl.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

class Win32AccessList final : public ports::AccessList {
public:
    // `dacl` points into `descriptor` (it may be null: a null DACL grants all).
    static ports::AccessListPtr FromDescriptor(UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor, PACL dacl) {
        return ports::AccessListPtr(new Win32AccessList(std::move(descriptor), dacl));
    }
    static ports::AccessListPtr FromAcl(UniqueLocalMemory<PACL> acl) {
        PACL dacl = acl.get();
        return ports::AccessListPtr(new Win32AccessList(std::move(acl), dacl));
    }

    PACL dacl() const { return dacl_; }

private:
    Win32AccessList(UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor, PACL dacl)
        : descriptor_(std::move(descriptor)), dacl_(dacl) {}
    Win32AccessList(UniqueLocalMemory<PACL> acl, PACL dacl) : acl_(std::move(acl)), dacl_(dacl) {}

    UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor_;
    UniqueLocalMemory<PACL> acl_;
    PACL dacl_ = nullptr;
};

}  // namespace kvt::win32
