#include "tests/reliability/CrashNote.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace kvt::test {
namespace {

constexpr std::array<int, 5> kCrashSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Fixed storage: the handler may only read what needs no allocation.
char note[1024];
std::atomic<std::size_t> noteLength{0};
struct sigaction previous[32];

void PrintNoteAndPassOn(int signal) {
    constexpr char kPrefix[] = "\nfault sweep: the process crashed in ";
    const std::size_t length = noteLength.load();
    if (length > 0) {
        [[maybe_unused]] auto a = write(STDERR_FILENO, kPrefix, sizeof kPrefix - 1);
        [[maybe_unused]] auto b = write(STDERR_FILENO, note, length);
        [[maybe_unused]] auto c = write(STDERR_FILENO, "\n", 1);
    }
    // The previous handler (or the default action) takes the signal when
    // the faulting instruction runs again, or when abort raises it anew.
    sigaction(signal, &previous[signal], nullptr);
    if (signal == SIGABRT || signal == SIGFPE) raise(signal);
}

}  // namespace

void CrashNote::Arm() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int signal : kCrashSignals) {
            struct sigaction action {};
            action.sa_handler = PrintNoteAndPassOn;
            sigemptyset(&action.sa_mask);
            action.sa_flags = static_cast<int>(SA_RESETHAND);
            sigaction(signal, &action, &previous[signal]);
        }
    });
}

void CrashNote::Set(std::string_view text) {
    noteLength.store(0);
    const std::size_t length = std::min(text.size(), sizeof note);
    std::memcpy(note, text.data(), length);
    noteLength.store(length);
}

void CrashNote::Clear() { noteLength.store(0); }

}  // namespace kvt::test
