#pragma once
// Which of the two setup programs is running. They share the support library
// and the removal engine but keep separate logs and number the later entries
// of their product configuration differently.
#include <string_view>

namespace kvt::setup {

enum class SetupProgram { Installer, Uninstaller };

inline constexpr std::string_view kInstallerLogFileName = "KVT-580duo_Installer.txt";
inline constexpr std::string_view kUninstallerLogFileName = "KVT-580duo_UnInstaller.txt";

constexpr std::string_view LogFileName(SetupProgram program) {
    return program == SetupProgram::Installer ? kInstallerLogFileName : kUninstallerLogFileName;
}

}  // namespace kvt::setup
