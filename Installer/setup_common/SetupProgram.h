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

// The program file's name without its folder and its extension, the caption
// of the program's message boxes: "C:\Setup\KVT580duo_Installer.exe" gives
// "KVT580duo_Installer". Only the last extension goes ("a.b.exe" gives "a.b").
constexpr std::string_view ProgramTitleOf(std::string_view modulePath) {
    const std::size_t folderEnd = modulePath.find_last_of("\\/:");
    const std::string_view name = folderEnd == std::string_view::npos ? modulePath : modulePath.substr(folderEnd + 1);
    const std::size_t extension = name.rfind('.');
    return extension == std::string_view::npos ? name : name.substr(0, extension);
}

}  // namespace kvt::setup
