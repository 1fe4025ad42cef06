#pragma once
// What the KVT-580duo software owns on a system, decided in this one place,
// and a system image reduced to everything else. The fault sweep compares
// runs on that remainder: whatever fails, the setup programs may change their
// own objects in any way the failure leads to, and nothing else.
//
// The product owns:
// - files: its two logs in C:\Temp; everything below its product folder
//   (<Windows>\KVT-580duo), below the uninstaller's "<drive>\NORVEX Printer
//   Driver\KVT-580duo" and below its two driver-package folders; its own file
//   names (driver, plug-in, second driver, INI, GPD, BUD, monitor and
//   processor DLLs, configuration file, each also with ".old" appended) in the
//   Windows directory, the system directories and anywhere below the
//   spooler's folder; the universal-driver files it stages or its driver
//   names, below the driver directories, as long as no other driver names
//   them; the framedyn.dll copy in the system directory when the system had
//   none; and the INF-store files (oemN.inf and oemN.PNF) of INF copies that
//   list its driver in the maker's models section;
// - registry keys, with everything below them: its uninstall entry (both
//   views), its two device keys under USBPRINT and LPTENUM, the spooler keys
//   of its language monitor, print processor and printer driver (any
//   environment and version), the keys of printers that use its driver or
//   carry its driver's name, and the Enum keys of its USB device nodes;
// - spooler objects: those printers (with their jobs), and every form whose
//   name carries the model tag "[580duo]";
// - device nodes whose first hardware id is its USB id.
// Directories that lead to those objects are compared by what they carry
// (access list, junction), not by whether they exist. Not objects at all: the
// image's clock and the restart the run asked for. The print spooler service
// is the system's: the programs stop it for their work, and must leave it
// running again as the unfaulted run does.
//
// Ownership is decided over every image of a comparison at once: an INF copy
// deleted in one run is still the product's in the image of another.
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/World.h"

namespace kvt::test {

class ProductObjects {
public:
    // `start` is the image the runs began from; `others` the images they left.
    ProductObjects(const sim::World& start, const std::vector<const sim::World*>& others);

    bool ownsFile(std::string_view path) const;
    bool ownsDirectory(std::string_view path) const;
    bool ownsKey(std::string_view path) const;
    bool ownsPrinter(std::string_view name) const;
    bool ownsForm(std::string_view name) const;
    bool ownsDevice(const sim::DeviceNode& device) const;
    // A directory or key on the way to something the product owns.
    bool leadsToOwned(std::string_view path) const;

private:
    void learnFrom(const sim::World& world);

    std::string windows_;
    std::string drive_;
    bool systemHadFramedyn_ = false;
    std::set<std::string, sim::CaseInsensitiveLess> printers_;
    std::set<std::string, sim::CaseInsensitiveLess> infStoreFiles_;
    std::set<std::string, sim::CaseInsensitiveLess> deviceInstances_;
    std::set<std::string, sim::CaseInsensitiveLess> foreignDriverFiles_;
    std::vector<std::string> ownedPaths_;  // everything owned in any image, for leadsToOwned
};

// The image without what the product owns, as sorted lines of facts
// ("file C:\Setup\kvt580d.inf ...", "value HKLM\...\Name = ...").
std::vector<std::string> ForeignFacts(const sim::World& world, const ProductObjects& product);

// Facts that only one of the two images holds, each marked "- " (gone) or
// "+ " (came); empty when the product's runs differ only in its own objects.
std::vector<std::string> ForeignChanges(const sim::World& expected, const sim::World& actual,
                                        const ProductObjects& product);

}  // namespace kvt::test
