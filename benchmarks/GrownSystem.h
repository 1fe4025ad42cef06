#pragma once
// Systems of growing size for the benchmarks: the product installed by its
// own installer on a fresh image, then grown to size n with
//   n printers (one in ten the product's, numbered as the installer names
//     further printers of its driver, the others another maker's),
//   n user forms (one in ten tagged "[580duo]"),
//   n/2 INF files in the INF store (three of them the product's),
//   5n USB device nodes (three of them the product's).
// Growing every kind at once is what makes a cost that depends on the size
// of the system show, whichever kind it depends on.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/sim/World.h"

namespace kvt::bench {

inline constexpr std::size_t kProductInfCopies = 3;
inline constexpr std::size_t kProductUsbDevices = 3;

// What a grown system holds, counted from the world itself.
struct SystemCounts {
    std::size_t printers = 0, productPrinters = 0;
    std::size_t userForms = 0, productForms = 0;
    std::size_t oemInfs = 0, productInfs = 0;
    std::size_t usbDevices = 0, productDevices = 0;

    // Every object of the four kinds: the unit of "time per object".
    std::size_t objects() const { return printers + userForms + oemInfs + usbDevices; }
};

// The product installed on a fresh image of `os` (a name of
// sim::KnownOsNames()) with the package that the build assembles, grown to
// size `n` (at least 10). Empty `problem` on success; otherwise what went
// wrong, and the world is not to be used.
sim::World GrownSystem(std::string_view os, std::size_t n, std::string& problem);

SystemCounts CountSystem(const sim::World& world);

// The counts GrownSystem promises for `n`.
SystemCounts ExpectedCounts(std::size_t n);

}  // namespace kvt::bench
