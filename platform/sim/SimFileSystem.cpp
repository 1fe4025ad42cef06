#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SystemFunctions.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

// Codes the shared table does not carry.
constexpr std::uint32_t NotSameDevice = 17;
constexpr std::uint32_t CallNotImplemented = 120;
constexpr std::uint32_t NotADirectory = 267;  // ERROR_DIRECTORY
constexpr std::uint32_t FilenameTooLong = 206;
// CreateDirectory leaves room for an 8.3 name below the new directory.
constexpr std::size_t MaxDirectoryPath = 247;
// Junction and symbolic-link chains longer than this are taken as a loop.
constexpr int MaxJunctionHops = 31;
constexpr std::uint32_t CantResolveFilename = 1921;
constexpr std::uint32_t kNoneMapped = 1332;  // ERROR_NONE_MAPPED

std::string NormalisedOrAsIs(std::string_view path) {
    std::string out;
    return winpath::Normalise(path, "", out) == err::Success ? out : std::string(path);
}

// --- WOW64 file-system redirection ------------------------------------------

// Folders below System32 that 32-bit programs share with 64-bit ones.
constexpr std::array<std::string_view, 6> SharedSystemFolders = {"spool",   "catroot", "catroot2", "drivers\\etc",
                                                                   "logfiles", "driverstore"};

// A 32-bit program on 64-bit Windows names <windir>\System32 and reaches
// <windir>\SysWOW64, and names <windir>\Sysnative to reach the real
// System32 where WOW64 knows that alias (64-bit Vista and later; XP x64 and
// Server 2003 x64 only with the update that added it). Other programs, and a
// 32-bit program that turned the redirection off, see the names as they are:
// Sysnative is then no directory at all. Windows documents the alias as a
// part of the redirector; the simulation takes it away together with the
// redirection, the stricter reading.
std::string Redirect(const World& world, bool redirecting, const std::string& path) {
    if (!redirecting) return path;
    const std::string windir = NormalisedOrAsIs(world.windowsDirectory);
    const std::string system32 = winpath::Join(windir, "System32");
    const std::string sysnative = winpath::Join(windir, "Sysnative");
    auto reroot = [&](std::string_view from, std::string_view to) {
        const std::string_view rest = winpath::RelativeTo(path, from);
        return rest.empty() ? std::string(to) : winpath::Join(to, rest);
    };
    if (SysnativeAliasExists(world) && winpath::IsSameOrInside(path, sysnative)) return reroot(sysnative, system32);
    if (!winpath::IsSameOrInside(path, system32)) return path;
    for (std::string_view shared : SharedSystemFolders)
        if (winpath::IsSameOrInside(path, winpath::Join(system32, shared))) return path;
    return reroot(system32, winpath::Join(windir, "SysWOW64"));
}

// --- Junctions -----------------------------------------------------------------

// `path` with every junction on it replaced by its target, the last
// component included. Stops early at the first component that does not
// exist (nothing below it can be a junction). Empty for a loop.
std::optional<std::string> FollowJunctions(const FileStore& store, std::string path) {
    for (int hops = 0; hops <= MaxJunctionHops; ++hops) {
        std::optional<std::string> next;
        std::string prefix(winpath::DriveRoot(path));
        const std::vector<std::string_view> parts = winpath::Components(path);
        for (std::size_t i = 0; i < parts.size() && !next; ++i) {
            prefix = winpath::Join(prefix, parts[i]);
            const DirectoryRecord* directory = store.findDirectory(prefix);
            if (directory == nullptr) return path;
            if (!directory->junctionTo) continue;
            std::string target = NormalisedOrAsIs(*directory->junctionTo);
            for (std::size_t j = i + 1; j < parts.size(); ++j) target = winpath::Join(target, parts[j]);
            next = std::move(target);
        }
        if (!next) return path;
        path = std::move(*next);
    }
    return std::nullopt;
}

// Where a name leads. `real` has the redirection applied and every junction
// before the last component followed; the last component itself is not
// followed, so that a junction can be listed, queried and removed as the link
// it is. Its parent part takes the names as the store keeps them.
struct Location {
    std::string real;
    bool root = false;
    const DirectoryRecord* parent = nullptr;  // null when the way to it is missing
};

std::string CurrentDirectory(const World& world) { return NormalisedOrAsIs(world.currentDirectory); }

std::uint32_t Locate(const World& world, bool redirecting, std::string_view path, Location& at) {
    std::string named;
    if (std::uint32_t code = winpath::Normalise(path, CurrentDirectory(world), named)) return code;
    const std::string redirected = Redirect(world, redirecting, named);
    if (winpath::IsDriveRoot(redirected)) {
        at.root = true;
        const DirectoryRecord* root = world.files.findDirectory(redirected);
        at.real = root ? root->path : redirected;
        return err::Success;
    }
    const std::optional<std::string> parent = FollowJunctions(world.files, std::string(winpath::ParentOf(redirected)));
    if (parent) at.parent = world.files.findDirectory(*parent);
    at.real = winpath::Join(at.parent ? at.parent->path : parent.value_or(""), winpath::NameOf(redirected));
    return err::Success;
}

// --- Directory access lists --------------------------------------------------

// Rights that create, change or delete something in a directory: the generic
// write and all rights, FILE_WRITE_DATA/ADD_FILE, FILE_APPEND_DATA/
// ADD_SUBDIRECTORY, FILE_WRITE_EA, FILE_DELETE_CHILD, FILE_WRITE_ATTRIBUTES
// and DELETE.
constexpr std::uint32_t WriteOrDeleteRights =
    acl::GenericAll | acl::GenericWrite | 0x0002 | 0x0004 | 0x0010 | 0x0040 | 0x0100 | 0x00010000;

bool NamesEveryAdministrator(std::string_view trustee) {
    return EqualsNoCase(trustee, "Everyone") || EqualsNoCase(trustee, "Administrators") ||
           EqualsNoCase(trustee, "BUILTIN\\Administrators") || trustee == "S-1-1-0" || trustee == "S-1-5-32-544";
}

// The setup programs run as an administrator, and Windows lets an explicit
// deny entry win over every grant. So a deny entry for Everyone or for the
// Administrators group that takes any write or delete right, on the directory
// that holds the object or on any directory above it, refuses creating,
// changing and deleting there with access denied. Inheritance flags are not
// weighed: such an entry reaches the whole tree below it. Grants never refuse.
bool WriteDenied(const FileStore& store, std::string_view real) {
    for (std::string_view directory = winpath::ParentOf(real); !directory.empty();
         directory = winpath::ParentOf(directory)) {
        const DirectoryRecord* record = store.findDirectory(directory);
        if (record == nullptr) continue;
        for (const ports::ExplicitAccess& entry : record->acl)
            if (entry.mode == ports::AccessMode::Deny && (entry.rights & WriteOrDeleteRights) != 0 &&
                NamesEveryAdministrator(entry.trustee))
                return true;
    }
    return false;
}

// --- Listing ---------------------------------------------------------------------

std::uint32_t AttributesOf(const FileRecord& file) {
    return fileattr::Archive | (file.readOnly ? fileattr::ReadOnly : 0) |
           (file.linkTo ? fileattr::ReparsePoint : 0);
}

std::uint32_t AttributesOf(const DirectoryRecord& directory) {
    return fileattr::Directory | (directory.junctionTo ? fileattr::ReparsePoint : 0);
}

// As the Win32 adapter builds it: the pattern's text before its last
// separator, then "\" and the name.
std::string EntryPath(std::string_view pattern, std::string_view name) {
    const std::size_t cut = pattern.find_last_of("\\/");
    if (cut == std::string_view::npos) return std::string(name);
    std::string path(pattern.substr(0, cut));
    path += '\\';
    path += name;
    return path;
}

// --- Profile (INI) files ------------------------------------------------------

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The value of `key` in the first section named `section`, as
// GetPrivateProfileString reads it; nothing when either is missing.
// A profile file's text in the ANSI code page: a file that starts with a
// byte-order mark is UTF-16LE or UTF-8 text, which the profile functions
// read as such (characters the code page lacks become "?").
std::string ProfileText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (!bytes.starts_with("\xFF\xFE")) return std::string(bytes);
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

// Keys above the first section header belong to the section without a name.
std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key) {
    bool inSection = section.empty(), seenSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = TrimBlanks(line);
        if (line.starts_with('[')) {
            if (seenSection) return std::nullopt;
            const std::string_view name = TrimBlanks(line.substr(1, line.find(']') - 1));
            inSection = EqualsNoCase(name, section);
            seenSection = inSection;
            continue;
        }
        if (!inSection || line.starts_with(';')) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !EqualsNoCase(TrimBlanks(line.substr(0, equals)), key)) continue;
        return Unquote(TrimBlanks(line.substr(equals + 1)));
    }
    return std::nullopt;
}

// --- Call protocol ------------------------------------------------------------

std::uint32_t Fail(Simulation& sim, std::uint32_t code) {
    sim.lastError() = code;
    return code;
}

std::optional<std::uint32_t> Planned(Simulation& sim, std::string_view method) {
    std::string name = "FileSystem.";
    name += method;
    return sim.faults().check(name);
}

std::uint32_t Locate(Simulation& sim, std::string_view path, Location& at) {
    return Locate(sim.world(), sim.files().redirecting(), path, at);
}

// Where a symbolic link to a file finally leads (the file itself when it is
// no link): its target, with the junctions on the way followed. The target
// need not exist. Empty for a loop.
std::optional<std::string> FollowFileLinks(const FileStore& store, std::string real) {
    for (int hops = 0; hops <= MaxJunctionHops; ++hops) {
        const FileRecord* file = store.findFile(real);
        if (file == nullptr || !file->linkTo) return real;
        const std::string target = NormalisedOrAsIs(*file->linkTo);
        if (winpath::IsDriveRoot(target)) return target;
        const std::optional<std::string> parent = FollowJunctions(store, std::string(winpath::ParentOf(target)));
        if (!parent) return std::nullopt;
        const DirectoryRecord* directory = store.findDirectory(*parent);
        real = winpath::Join(directory ? directory->path : *parent, winpath::NameOf(target));
    }
    return std::nullopt;
}

std::uint32_t OpenForReading(Simulation& sim, std::string_view path, const FileRecord*& file) {
    Location at;
    if (std::uint32_t code = Locate(sim, path, at)) return code;
    const FileStore& store = sim.world().files;
    if (at.root) return store.findDirectory(at.real) ? err::AccessDenied : err::PathNotFound;
    if (at.parent == nullptr) return err::PathNotFound;
    if (store.findDirectory(at.real)) return err::AccessDenied;
    const std::optional<std::string> real = FollowFileLinks(store, at.real);
    if (!real) return CantResolveFilename;
    if (store.findDirectory(*real)) return err::AccessDenied;
    file = store.findFile(*real);
    return file ? err::Success : err::FileNotFound;
}

// CreateFile with write access, opening or creating: `file` is the existing
// file or null when the open would create it at `real`. A symbolic link is
// followed to its target, as CreateFile follows it, unless `followLinks` is
// clear: the open then fails on a link rather than write through it.
std::uint32_t OpenForWriting(Simulation& sim, std::string_view path, std::string& real, FileRecord*& file,
                             bool followLinks = true) {
    Location at;
    if (std::uint32_t code = Locate(sim, path, at)) return code;
    FileStore& store = sim.world().files;
    if (at.root) return store.findDirectory(at.real) ? err::AccessDenied : err::PathNotFound;
    if (at.parent == nullptr) return err::PathNotFound;
    if (store.findDirectory(at.real)) return err::AccessDenied;
    std::string target = at.real;
    if (const FileRecord* named = store.findFile(at.real); named && named->linkTo) {
        if (!followLinks) return err::CantAccessFile;
        const std::optional<std::string> followed = FollowFileLinks(store, at.real);
        if (!followed) return CantResolveFilename;
        target = *followed;
        if (winpath::IsDriveRoot(target) || store.findDirectory(target)) return err::AccessDenied;
        if (store.findDirectory(winpath::ParentOf(target)) == nullptr) return err::PathNotFound;
    }
    file = store.findFile(target);
    if (WriteDenied(store, target) || (file && file->readOnly)) return err::AccessDenied;
    real = target;
    return err::Success;
}

// The directory that holds `path`, as named: a junction there is reported
// as the link it is, not followed.
bool HeldByLink(Simulation& sim, std::string_view path) {
    std::string named;
    if (winpath::Normalise(path, CurrentDirectory(sim.world()), named) != err::Success) return false;
    const std::string_view parent = winpath::ParentOf(named);
    if (parent.empty()) return false;
    Location at;
    if (Locate(sim, parent, at) != err::Success) return false;
    const DirectoryRecord* directory = sim.world().files.findDirectory(at.real);
    return directory != nullptr && directory->junctionTo.has_value();
}

}  // namespace

// --- Well-known directories ---------------------------------------------------

std::uint32_t SimFileSystem::getWindowsDirectory(std::string& path) {
    if (auto code = Planned(sim_, "getWindowsDirectory")) return Fail(sim_, *code);
    path = sim_.world().windowsDirectory;
    return err::Success;
}

// The name is System32 for every program; a 32-bit program reaches SysWOW64
// through it by the redirection.
std::uint32_t SimFileSystem::getSystemDirectory(std::string& path) {
    if (auto code = Planned(sim_, "getSystemDirectory")) return Fail(sim_, *code);
    path = sim_.world().windowsDirectory + "\\system32";
    return err::Success;
}

std::uint32_t SimFileSystem::getCurrentDirectory(std::string& path) {
    if (auto code = Planned(sim_, "getCurrentDirectory")) return Fail(sim_, *code);
    path = sim_.world().currentDirectory;
    return err::Success;
}

bool SimFileSystem::hasGetSystemWow64Directory() {
    if (Planned(sim_, "hasGetSystemWow64Directory")) return false;
    return SystemHasFunction(sim_.world(), "GetSystemWow64DirectoryA");
}

std::uint32_t SimFileSystem::getSystemWow64Directory(std::string& path) {
    if (auto code = Planned(sim_, "getSystemWow64Directory")) return Fail(sim_, *code);
    if (!SystemHasFunction(sim_.world(), "GetSystemWow64DirectoryA")) return Fail(sim_, err::ProcNotFound);
    if (!sim_.world().os.is64Bit) return Fail(sim_, CallNotImplemented);
    path = sim_.world().windowsDirectory + "\\SysWOW64";
    return err::Success;
}

// --- WOW64 redirection switches ----------------------------------------------------
//
// Wow64DisableWow64FsRedirection turns the redirection off for the calling
// thread and stores the previous state in OldValue;
// Wow64RevertWow64FsRedirection restores the state its OldValue holds, so a
// disable inside a disable keeps the redirection off when the inner one is
// reverted, and only the outer revert turns it back on. Every successful
// disable needs its matching revert. The simulated program has one thread,
// whose state this is; other processes' work never sees it.

std::string SimFileSystem::realPath(std::string_view path) const {
    Location at;
    if (Locate(sim_.world(), redirecting(), path, at) != err::Success) return std::string(path);
    return at.real;
}

bool SimFileSystem::redirecting() const { return sim_.underWow64() && !redirectionOff_; }

bool SimFileSystem::hasWow64FsRedirectionSwitch() {
    if (Planned(sim_, "hasWow64FsRedirectionSwitch")) return false;
    return SystemHasFunction(sim_.world(), "Wow64DisableWow64FsRedirection") &&
           SystemHasFunction(sim_.world(), "Wow64RevertWow64FsRedirection");
}

// Outside WOW64 there is nothing to turn off: 32-bit Windows answers
// ERROR_INVALID_FUNCTION, and the simulation answers a 64-bit program the same.
std::uint32_t SimFileSystem::disableWow64FsRedirection(ports::FsRedirectionValue& oldValue) {
    if (auto code = Planned(sim_, "disableWow64FsRedirection")) return Fail(sim_, *code);
    if (!SystemHasFunction(sim_.world(), "Wow64DisableWow64FsRedirection")) return Fail(sim_, err::ProcNotFound);
    if (!sim_.underWow64()) return Fail(sim_, err::InvalidFunction);
    oldValue.value = nextRedirectionValue_++;
    savedRedirection_[oldValue.value] = redirectionOff_;
    redirectionOff_ = true;
    return err::Success;
}

// A value that no disable handed out, or one already reverted, is misuse
// whose effect Windows leaves undefined: the simulation refuses it with
// ERROR_INVALID_PARAMETER and changes nothing.
std::uint32_t SimFileSystem::revertWow64FsRedirection(ports::FsRedirectionValue oldValue) {
    if (auto code = Planned(sim_, "revertWow64FsRedirection")) return Fail(sim_, *code);
    if (!SystemHasFunction(sim_.world(), "Wow64RevertWow64FsRedirection")) return Fail(sim_, err::ProcNotFound);
    if (!sim_.underWow64()) return Fail(sim_, err::InvalidFunction);
    const auto saved = savedRedirection_.find(oldValue.value);
    if (saved == savedRedirection_.end()) return Fail(sim_, err::InvalidParameter);
    redirectionOff_ = saved->second;
    savedRedirection_.erase(saved);
    return err::Success;
}

// --- Directories -------------------------------------------------------------------

std::uint32_t SimFileSystem::createDirectory(std::string_view path, const std::vector<ports::ExplicitAccess>& acl) {
    if (auto code = Planned(sim_, "createDirectory")) return Fail(sim_, *code);
    Location at;
    if (std::uint32_t code = Locate(sim_, path, at)) return Fail(sim_, code);
    FileStore& store = sim_.world().files;
    if (at.root) return Fail(sim_, store.findDirectory(at.real) ? err::AlreadyExists : err::PathNotFound);
    if (at.parent == nullptr) return Fail(sim_, err::PathNotFound);
    if (store.findFile(at.real) || store.findDirectory(at.real)) return Fail(sim_, err::AlreadyExists);
    if (at.real.size() > MaxDirectoryPath) return Fail(sim_, FilenameTooLong);
    if (WriteDenied(store, at.real)) return Fail(sim_, err::AccessDenied);
    store.ensureDirectory(at.real).acl = acl;
    return err::Success;
}

std::uint32_t SimFileSystem::buildWellKnownSid(std::string_view trustee) {
    if (auto code = Planned(sim_, "buildWellKnownSid")) return Fail(sim_, *code);
    for (const char* known : {"Everyone", "Administrators", "SYSTEM"})
        if (EqualsNoCase(trustee, known)) return err::Success;
    return Fail(sim_, kNoneMapped);
}

std::uint32_t SimFileSystem::removeDirectory(std::string_view path) {
    if (auto code = Planned(sim_, "removeDirectory")) return Fail(sim_, *code);
    Location at;
    if (std::uint32_t code = Locate(sim_, path, at)) return Fail(sim_, code);
    FileStore& store = sim_.world().files;
    if (at.root) return Fail(sim_, store.findDirectory(at.real) ? err::AccessDenied : err::PathNotFound);
    if (at.parent == nullptr) return Fail(sim_, err::PathNotFound);
    if (store.findFile(at.real)) return Fail(sim_, NotADirectory);
    if (store.findDirectory(at.real) == nullptr) return Fail(sim_, err::FileNotFound);
    if (WriteDenied(store, at.real)) return Fail(sim_, err::AccessDenied);
    // The process holds its current directory open without delete sharing.
    const std::optional<std::string> current = FollowJunctions(store, CurrentDirectory(sim_.world()));
    if (current && EqualsNoCase(*current, at.real)) return Fail(sim_, err::SharingViolation);
    // A junction holds nothing of its own: removing it removes the link,
    // whatever its target holds.
    if (!store.childFiles(at.real).empty() || !store.childDirectories(at.real).empty())
        return Fail(sim_, err::DirNotEmpty);
    store.eraseDirectory(at.real);
    return err::Success;
}

// --- Files -------------------------------------------------------------------------

std::uint32_t SimFileSystem::deleteFile(std::string_view path) {
    if (auto code = Planned(sim_, "deleteFile")) return Fail(sim_, *code);
    Location at;
    if (std::uint32_t code = Locate(sim_, path, at)) return Fail(sim_, code);
    FileStore& store = sim_.world().files;
    if (at.root) return Fail(sim_, store.findDirectory(at.real) ? err::AccessDenied : err::PathNotFound);
    if (at.parent == nullptr) return Fail(sim_, err::PathNotFound);
    if (store.findDirectory(at.real)) return Fail(sim_, err::AccessDenied);
    const FileRecord* file = store.findFile(at.real);
    if (file == nullptr) return Fail(sim_, err::FileNotFound);
    // Opening the file for deletion meets the other handle before the
    // read-only attribute is looked at.
    if (file->inUse) return Fail(sim_, err::SharingViolation);
    if (WriteDenied(store, at.real) || file->readOnly) return Fail(sim_, err::AccessDenied);
    // A module that a running process has mapped cannot be deleted: the
    // system refuses with ERROR_ACCESS_DENIED while the image is in use.
    if (sim_.spooler().holdsModule(at.real)) return Fail(sim_, err::AccessDenied);
    store.eraseFile(at.real);
    return err::Success;
}

std::uint32_t SimFileSystem::copyFile(std::string_view source, std::string_view target, bool failIfExists) {
    if (auto code = Planned(sim_, "copyFile")) return Fail(sim_, *code);
    Location from, to;
    if (std::uint32_t code = Locate(sim_, source, from)) return Fail(sim_, code);
    if (std::uint32_t code = Locate(sim_, target, to)) return Fail(sim_, code);
    FileStore& store = sim_.world().files;
    // Both names are opened as CreateFile opens them: through symbolic links.
    const std::optional<std::string> sourceReal = FollowFileLinks(store, from.real);
    if (!sourceReal) return Fail(sim_, CantResolveFilename);
    const FileRecord* original = store.findFile(*sourceReal);
    if (original == nullptr) {
        if (from.root || store.findDirectory(*sourceReal)) return Fail(sim_, err::AccessDenied);
        return Fail(sim_, from.parent ? err::FileNotFound : err::PathNotFound);
    }
    if (to.root) return Fail(sim_, store.findDirectory(to.real) ? err::AccessDenied : err::PathNotFound);
    if (to.parent == nullptr) return Fail(sim_, err::PathNotFound);
    if (store.findDirectory(to.real)) return Fail(sim_, err::AccessDenied);
    const std::optional<std::string> targetReal = FollowFileLinks(store, to.real);
    if (!targetReal) return Fail(sim_, CantResolveFilename);
    if (store.findDirectory(*targetReal)) return Fail(sim_, err::AccessDenied);
    if (store.findDirectory(winpath::ParentOf(*targetReal)) == nullptr) return Fail(sim_, err::PathNotFound);
    const FileRecord* existing = store.findFile(*targetReal);
    // The target is created as a new file first when it must not exist, so
    // that refusal comes before any conflict with the open source.
    if (existing && failIfExists) return Fail(sim_, err::FileExists);
    if (existing == original) return Fail(sim_, err::SharingViolation);  // the source is open for reading
    if (WriteDenied(store, *targetReal) || (existing && existing->readOnly)) return Fail(sim_, err::AccessDenied);
    if (existing && existing->inUse) return Fail(sim_, err::SharingViolation);
    const bool readOnly = original->readOnly;
    FileRecord& copy = store.putFile(*targetReal, original->bytes);
    copy.readOnly = readOnly;
    return err::Success;
}

// Renames keep the file's state: a file in use stays in use under its new
// name, which is how a locked DLL is moved out of the way.
std::uint32_t SimFileSystem::moveFile(std::string_view source, std::string_view target) {
    if (auto code = Planned(sim_, "moveFile")) return Fail(sim_, *code);
    Location from, to;
    if (std::uint32_t code = Locate(sim_, source, from)) return Fail(sim_, code);
    if (std::uint32_t code = Locate(sim_, target, to)) return Fail(sim_, code);
    FileStore& store = sim_.world().files;
    if (from.root) return Fail(sim_, store.findDirectory(from.real) ? err::AccessDenied : err::PathNotFound);
    if (from.parent == nullptr) return Fail(sim_, err::PathNotFound);
    const bool isFile = store.findFile(from.real) != nullptr;
    if (!isFile && store.findDirectory(from.real) == nullptr) return Fail(sim_, err::FileNotFound);
    if (to.root) return Fail(sim_, store.findDirectory(to.real) ? err::AlreadyExists : err::PathNotFound);
    if (to.parent == nullptr) return Fail(sim_, err::PathNotFound);
    if (WriteDenied(store, from.real) || WriteDenied(store, to.real)) return Fail(sim_, err::AccessDenied);
    const bool sameName = EqualsNoCase(from.real, to.real);  // a change of case only
    if (!sameName && (store.findFile(to.real) || store.findDirectory(to.real))) return Fail(sim_, err::AlreadyExists);
    if (isFile) {
        store.renameFile(from.real, to.real);
        return err::Success;
    }
    if (!sameName && winpath::IsSameOrInside(to.real, from.real)) return Fail(sim_, err::SharingViolation);
    if (!EqualsNoCase(winpath::DriveRoot(from.real), winpath::DriveRoot(to.real))) return Fail(sim_, NotSameDevice);
    store.renameDirectory(from.real, to.real);
    return err::Success;
}

std::uint32_t SimFileSystem::getFileAttributes(std::string_view path, std::uint32_t& attributes) {
    if (auto code = Planned(sim_, "getFileAttributes")) return Fail(sim_, *code);
    Location at;
    if (std::uint32_t code = Locate(sim_, path, at)) return Fail(sim_, code);
    const FileStore& store = sim_.world().files;
    if (const DirectoryRecord* directory = store.findDirectory(at.real); directory && (at.root || at.parent)) {
        attributes = AttributesOf(*directory);
        return err::Success;
    }
    if (at.root || at.parent == nullptr) return Fail(sim_, err::PathNotFound);
    const FileRecord* file = store.findFile(at.real);
    if (file == nullptr) return Fail(sim_, err::FileNotFound);
    attributes = AttributesOf(*file);
    return err::Success;
}

// Only the read-only attribute is kept; directories keep none.
std::uint32_t SimFileSystem::setFileAttributes(std::string_view path, std::uint32_t attributes) {
    if (auto code = Planned(sim_, "setFileAttributes")) return Fail(sim_, *code);
    Location at;
    if (std::uint32_t code = Locate(sim_, path, at)) return Fail(sim_, code);
    FileStore& store = sim_.world().files;
    if (at.root) return store.findDirectory(at.real) ? err::Success : Fail(sim_, err::PathNotFound);
    if (at.parent == nullptr) return Fail(sim_, err::PathNotFound);
    FileRecord* file = store.findFile(at.real);
    if (file == nullptr && store.findDirectory(at.real) == nullptr) return Fail(sim_, err::FileNotFound);
    if (WriteDenied(store, at.real)) return Fail(sim_, err::AccessDenied);
    if (file) file->readOnly = (attributes & fileattr::ReadOnly) != 0;
    return err::Success;
}

std::uint32_t SimFileSystem::findFiles(std::string_view pattern, std::vector<ports::DirEntry>& entries) {
    if (auto code = Planned(sim_, "findFiles")) return Fail(sim_, *code);
    // The name part follows the last separator, or the drive of "C:name".
    std::size_t cut = pattern.find_last_of("\\/");
    if (cut == std::string_view::npos && pattern.size() >= 2 && pattern[1] == ':') cut = 1;
    const std::string_view directoryPart = cut == std::string_view::npos ? "." : pattern.substr(0, cut + 1);
    const std::string_view namePattern = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);
    if (namePattern.empty()) return Fail(sim_, err::FileNotFound);

    std::string shown;
    if (std::uint32_t code = winpath::Normalise(directoryPart, CurrentDirectory(sim_.world()), shown))
        return Fail(sim_, code);
    const FileStore& store = sim_.world().files;
    const std::optional<std::string> real = FollowJunctions(store, Redirect(sim_.world(), redirecting(), shown));
    const DirectoryRecord* directory = real ? store.findDirectory(*real) : nullptr;
    if (directory == nullptr) return Fail(sim_, err::PathNotFound);

    std::vector<ports::DirEntry> found;
    auto add = [&](std::string_view name, std::uint32_t attributes, std::uint64_t size = 0) {
        if (winpath::WildcardMatch(namePattern, name))
            found.push_back(ports::DirEntry{std::string(name), EntryPath(pattern, name), attributes, size});
    };
    if (!winpath::IsDriveRoot(directory->path)) {
        add(".", fileattr::Directory);
        add("..", fileattr::Directory);
    }
    const std::size_t dotEntries = found.size();
    for (const std::string& name : store.childDirectories(directory->path))
        add(name, AttributesOf(*store.findDirectory(winpath::Join(directory->path, name))));
    for (const std::string& name : store.childFiles(directory->path)) {
        const FileRecord& file = *store.findFile(winpath::Join(directory->path, name));
        add(name, AttributesOf(file), file.bytes.size());
    }
    std::stable_sort(found.begin() + static_cast<std::ptrdiff_t>(dotEntries), found.end(),
                     [](const ports::DirEntry& a, const ports::DirEntry& b) {
                         return CaseInsensitiveLess{}(a.name, b.name);
                     });
    if (found.empty()) return Fail(sim_, err::FileNotFound);
    entries = std::move(found);
    return err::Success;
}

// Opened with read and write sharing: a file that another process holds is
// still appended to; a read-only one is not opened for writing at all. A
// symbolic link, or a junction as the folder that holds the file, is never
// written through.
std::uint32_t SimFileSystem::appendToFile(std::string_view path, std::string_view bytes) {
    if (auto code = Planned(sim_, "appendToFile")) return Fail(sim_, *code);
    if (HeldByLink(sim_, path)) return Fail(sim_, err::CantAccessFile);
    std::string real;
    FileRecord* file = nullptr;
    if (std::uint32_t code = OpenForWriting(sim_, path, real, file, false)) return Fail(sim_, code);
    if (file)
        file->bytes.append(bytes);
    else
        sim_.world().files.putFile(real, std::string(bytes));
    return err::Success;
}

std::uint32_t SimFileSystem::readFile(std::string_view path, std::string& bytes) {
    if (auto code = Planned(sim_, "readFile")) return Fail(sim_, *code);
    const FileRecord* file = nullptr;
    if (std::uint32_t code = OpenForReading(sim_, path, file)) return Fail(sim_, code);
    bytes = file->bytes;
    return err::Success;
}

std::uint32_t SimFileSystem::writeFile(std::string_view path, std::string_view bytes) {
    if (auto code = Planned(sim_, "writeFile")) return Fail(sim_, *code);
    std::string real;
    FileRecord* file = nullptr;
    if (std::uint32_t code = OpenForWriting(sim_, path, real, file)) return Fail(sim_, code);
    if (file && file->inUse) return Fail(sim_, err::SharingViolation);
    sim_.world().files.putFile(real, std::string(bytes));
    return err::Success;
}

// A file that cannot be read, and a fault planned on this call, give the
// default as Windows gives it for an unreadable file.
std::uint32_t SimFileSystem::getPrivateProfileString(std::string_view section, std::string_view key,
                                                     std::string_view defaultValue, std::string& value,
                                                     std::uint32_t bufferSize, std::string_view file) {
    auto copy = [&](std::string_view text) {
        const std::size_t room = bufferSize == 0 ? 0 : bufferSize - 1;
        value.assign(text.substr(0, std::min<std::size_t>(room, text.size())));
        return static_cast<std::uint32_t>(value.size());
    };
    // Windows strips trailing blanks from the default it copies.
    auto useDefault = [&](std::uint32_t code) {
        sim_.lastError() = code;
        const std::size_t last = defaultValue.find_last_not_of(' ');
        return copy(last == std::string_view::npos ? std::string_view() : defaultValue.substr(0, last + 1));
    };
    if (auto code = Planned(sim_, "getPrivateProfileString")) return useDefault(*code);

    std::string path(file);
    if (path.find_first_of("\\/") == std::string::npos) path = winpath::Join(sim_.world().windowsDirectory, path);
    const FileRecord* record = nullptr;
    // Whatever stops the file from opening (a missing folder too), the
    // documented last error is ERROR_FILE_NOT_FOUND.
    if (OpenForReading(sim_, path, record) != err::Success) return useDefault(err::FileNotFound);
    const std::string text = ProfileText(record->bytes);
    const std::optional<std::string_view> found = FindProfileValue(text, section, key);
    if (!found) return useDefault(err::FileNotFound);
    return copy(*found);
}

}  // namespace kvt::sim
