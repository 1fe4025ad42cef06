#include "Installer/setup_common/SetupLog.h"

#include <algorithm>
#include <cstdio>

#include "Installer/setup_common/BoundedText.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {

SetupLog::SetupLog(ports::FileSystem& files, ports::Clock& clock, std::string_view logFileName)
    : files_(files), clock_(clock), fileName_(logFileName) {}

void SetupLog::InitLogFile() {
    path_.clear();
    BoundedText windowsDirectory(kPathCapacity);
    BoundedText logPath(kPathCapacity);

    std::string directory;
    if (files_.getWindowsDirectory(directory) == 0) windowsDirectory.assign(directory);

    // The drive root ("C:\"); with "\Temp" appended the separator is doubled,
    // which the file system reads as a single one.
    logPath.assign(Prefix(windowsDirectory.view(), 3));
    logPath.append("\\Temp");
    files_.createDirectory(logPath.view(), {});  // already there or not allowed: the log still tries
    // Any user may create the Temp folder at the root of the drive, and so
    // plant it as a junction or link to a place of their choice, where this
    // program (with an administrator's rights) would delete and write files.
    // Such a folder gets no log at all: the path stays empty.
    std::uint32_t attributes = 0;
    if (files_.getFileAttributes(logPath.view(), attributes) == 0 && (attributes & fileattr::ReparsePoint) != 0)
        return;
    logPath.append("\\");
    logPath.append(fileName_);

    path_ = logPath.str();
    files_.deleteFile(path_);  // no previous file, or one held open: both are fine
}

void SetupLog::writeLine(std::string_view message) {
    if (path_.empty()) return;

    const ports::LocalTime now = clock_.localTime();
    char stamp[32];  // room for any 16-bit field; the stamp itself is 10 characters
    std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u: ", static_cast<unsigned>(now.hour),
                  static_cast<unsigned>(now.minute), static_cast<unsigned>(now.second));

    std::string line;
    line.reserve(kTimeStampLength + kMaxMessageLength + 2);
    line.append(Prefix(stamp, kTimeStampLength));
    line.append(Prefix(message, kMaxMessageLength));
    // The line buffer is a C string: a zero byte that a %c put into the
    // message ends the text that gets written.
    line.resize(std::min(line.size(), line.find('\0')));
    line.append("\r\n");
    files_.appendToFile(path_, line);
}

}  // namespace kvt::setup
