// package_check PACKAGE_FOLDER: registers the driver package of
// PACKAGE_FOLDER with the spooler of the system it runs on, then checks the
// language monitor's function table. Exit code 0 when every check held.
#include <cstdio>
#include <string>

#include "tests/package/wine/PackageChecks.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: package_check PACKAGE_FOLDER\n", stderr);
        return 2;
    }
    const std::string package = argv[1];
    kvt::probe::ProbeReport report;
    kvt::package_check::CheckRegistration(package, report);
    kvt::package_check::CheckMonitorTable(package + "\\MON580D.dll", report);
    std::fputs(report.failures() == 0 ? "package_check: every check held\n" : "package_check: checks failed\n",
               stdout);
    return report.failures() == 0 ? 0 : 1;
}
