#pragma once
// The installer's engine: the product configuration it installs by, the
// driver environment and package folder of the running system, and (in later
// files of this module) the install steps themselves.
#include <string>
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"

namespace kvt::installer {

inline constexpr std::string_view kEnvironmentX64 = "Windows x64";
inline constexpr std::string_view kEnvironmentX86 = "Windows NT x86";
inline constexpr std::string_view kPackageFolderX64 = ".\\Driver64\\";
inline constexpr std::string_view kPackageFolderX86 = ".\\Driver32\\";

class InstallEngine {
public:
    InstallEngine(ports::Platform& platform, setup::SetupLog& log);
    virtual ~InstallEngine() = default;
    InstallEngine(const InstallEngine&) = delete;
    InstallEngine& operator=(const InstallEngine&) = delete;

    // Stores the two facts about the system and chooses the driver
    // environment and the package folder from the WOW64 flag.
    void SetSystemInfo(int wow64, int osCode);

    // Loads an entry of the installer's product record into the scratch
    // string; an entry that does not exist leaves it empty.
    const std::string& LoadEntry(int number);

    int osCode() const { return osCode_; }
    int wow64() const { return wow64_; }
    const std::string& environment() const { return environment_; }
    const std::string& packageFolder() const { return packageFolder_; }
    const std::string& makerName() const { return makerName_; }
    const std::string& driverName() const { return driverName_; }
    const std::string& infName() const { return infName_; }
    // After the INF copy: the full path of the copy in the INF store.
    void setInfName(std::string_view path) { infName_ = std::string(path); }
    const std::string& languageMonitorDll() const { return languageMonitorDll_; }
    const std::string& languageMonitorName() const { return languageMonitorName_; }
    const std::string& printProcessorDll() const { return printProcessorDll_; }
    const std::string& printProcessorName() const { return printProcessorName_; }
    const std::string& driverDll() const { return driverDll_; }
    const std::string& uiPluginDll() const { return uiPluginDll_; }
    const std::string& secondDriverDll() const { return secondDriverDll_; }
    int ownProcessor() const { return ownProcessor_; }

protected:
    ports::Platform& platform() { return platform_; }
    setup::SetupLog& log() { return log_; }

private:
    ports::Platform& platform_;
    setup::SetupLog& log_;

    int osCode_ = 2010;
    int wow64_ = 0;
    std::string environment_;
    std::string packageFolder_;  // relative to the current directory
    std::string scratch_;        // string-table loads of the steps
    std::string makerName_;
    std::string driverName_;
    std::string infName_;
    std::string languageMonitorDll_;
    std::string languageMonitorName_;
    std::string printProcessorDll_;
    std::string printProcessorName_;
    std::string driverDll_;
    std::string uiPluginDll_;
    std::string secondDriverDll_;
    // Always set: the product's own print processor is copied, registered and
    // used by the printer.
    int ownProcessor_ = 1;
};

}  // namespace kvt::installer
