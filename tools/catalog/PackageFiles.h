#pragma once
// The files of a driver package as its INF names them: the INF itself, and
// for every architecture the INF has source media for, each file of its
// SourceDisksFiles in the folder its SourceDisksNames gives. A file that a
// CopyFiles section copies without a source entry is an error of the INF,
// as setup would fail on it.
#include <string>
#include <string_view>
#include <vector>

namespace kvt::catalog {

struct PackageFile {
    std::string path;  // relative to the package folder, '/' separated
    std::string name;  // the file's own name
};

struct PackageFiles {
    std::vector<PackageFile> files;
    std::vector<std::string> errors;
    std::string osAttributes;  // the NT releases the INF's models serve, as "2:5.0,...,2:10.0"
};

PackageFiles ReadPackageFiles(std::string_view infText, std::string_view infName);

}  // namespace kvt::catalog
