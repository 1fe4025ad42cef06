#include "platform/sim/Simulation.h"

#include <utility>

#include "platform/ports/WinCodes.h"
#include "platform/sim/PrintUiCommand.h"
#include "platform/sim/SystemFunctions.h"

namespace kvt::sim {

Simulation::Simulation(World world, Bitness program)
    : world_(std::move(world)), program_(program), clock_(ParseIsoLocalTime(world_.clock).value_or(0)) {
    processes_.addHandler(RunPrintUiCommand);
}

std::string Simulation::ownEnvironment() const {
    return program_ == Bitness::x86 ? "Windows NT x86" : "Windows x64";
}

ports::Platform Simulation::platform() {
    return ports::Platform{registry_, files_, system_, clockPort_, processes_, exit_, spooler_, deviceSetup_};
}

World Simulation::snapshot() const {
    World copy = world_;
    copy.clock = FormatIsoLocalTime(clock_.nowMs());
    return copy;
}

// --- Clock ---------------------------------------------------------------

void SimClock::sleep(std::uint32_t milliseconds) {
    sim_.clock().advance(milliseconds);
    sim_.transcript().add({{"event", "sleep"}, {"ms", milliseconds}});
    sim_.spooler().serviceState();  // what the time brought (a stop that is done) shows in the world at once
}

ports::LocalTime SimClock::localTime() { return ToLocalTime(sim_.clock().nowMs()); }

// --- System information -----------------------------------------------------

namespace {
constexpr std::uint64_t kShutdownPrivilegeLuid = 19;  // SE_SHUTDOWN_PRIVILEGE
constexpr std::uint32_t kPrivilegeNotHeld = 1314;
}  // namespace

std::uint32_t SimSystemInfo::getVersionEx(ports::OsVersionInfo& info) {
    if (auto fault = sim_.faults().check("SystemInfo.getVersionEx")) return sim_.lastError() = *fault;
    const OsImage& os = sim_.world().os;
    info.platformId = os.platform;
    info.majorVersion = os.major;
    info.minorVersion = os.minor;
    info.buildNumber = os.build;
    info.productType = static_cast<std::uint8_t>(os.productType);
    return err::Success;
}

bool SimSystemInfo::hasIsWow64Process() {
    if (sim_.faults().check("SystemInfo.hasIsWow64Process")) return false;
    return SystemHasFunction(sim_.world(), "IsWow64Process");
}

std::uint32_t SimSystemInfo::isWow64Process(bool& wow64) {
    if (auto fault = sim_.faults().check("SystemInfo.isWow64Process")) return sim_.lastError() = *fault;
    // True for every program on 64-bit Windows: a 64-bit build takes the same
    // 64-bit paths that a 32-bit program under WOW64 takes.
    wow64 = sim_.world().os.is64Bit;
    return err::Success;
}

std::uint32_t SimSystemInfo::getLastError() { return sim_.lastError(); }

void SimSystemInfo::setLastError(std::uint32_t code) { sim_.lastError() = code; }

// The simulation holds one message table, the English one. Asked for
// English (0x409), it answers only where the system's user interface is
// English: elsewhere Windows has no English texts installed and
// FormatMessage fails with 15100 (ERROR_MUI_FILE_NOT_FOUND). Language 0 is
// the system's own language, for which the table stands in. A code without
// a text fails with 317 (ERROR_MR_MID_NOT_FOUND).
std::uint32_t SimSystemInfo::formatMessage(std::uint32_t code, std::uint32_t languageId, std::string& text) {
    text.clear();
    if (languageId != 0 && languageId != sim_.world().os.uiLanguage) return err::MuiFileNotFound;
    text = SystemErrorText(code);
    return text.empty() ? err::MessageNotFound : err::Success;
}

std::uint32_t SimSystemInfo::openProcessToken(std::uint32_t /*access*/, ports::TokenHandle& token) {
    if (auto fault = sim_.faults().check("SystemInfo.openProcessToken")) return sim_.lastError() = *fault;
    token.value = 0x4000 + ++openTokens_;
    return err::Success;
}

std::uint32_t SimSystemInfo::lookupPrivilegeValue(std::string_view name, std::uint64_t& luid) {
    if (auto fault = sim_.faults().check("SystemInfo.lookupPrivilegeValue")) return sim_.lastError() = *fault;
    if (name != "SeShutdownPrivilege") return sim_.lastError() = err::NoSuchPrivilege;
    luid = kShutdownPrivilegeLuid;
    return err::Success;
}

std::uint32_t SimSystemInfo::adjustTokenPrivileges(ports::TokenHandle token, std::uint64_t luid,
                                                   std::uint32_t attributes) {
    if (auto fault = sim_.faults().check("SystemInfo.adjustTokenPrivileges")) return sim_.lastError() = *fault;
    if (token.value == 0) return sim_.lastError() = err::InvalidHandle;
    // Like AdjustTokenPrivileges: the call succeeds and the last error says
    // whether the privilege was actually assigned.
    if (luid == kShutdownPrivilegeLuid && sim_.world().shutdownPrivilege) {
        shutdownEnabled_ = (attributes & 2) != 0;
        sim_.lastError() = err::Success;
    } else {
        sim_.lastError() = err::NotAllAssigned;
    }
    return err::Success;
}

void SimSystemInfo::closeToken(ports::TokenHandle token) {
    if (token.value != 0 && openTokens_ > 0) --openTokens_;
}

std::uint32_t SimSystemInfo::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    if (auto fault = sim_.faults().check("SystemInfo.exitWindowsEx")) return sim_.lastError() = *fault;
    if (!shutdownEnabled_) return sim_.lastError() = kPrivilegeNotHeld;
    sim_.world().restart = RestartRecord{flags, reason};
    sim_.transcript().add({{"event", "restart"}, {"flags", flags}});
    return err::Success;
}

// --- Process exit ---------------------------------------------------------

void SimProcessExit::exitProcess(std::uint32_t code) {
    sim_.transcript().add({{"event", "exit"}, {"code", code}});
    throw ProcessExited{code};
}

}  // namespace kvt::sim
