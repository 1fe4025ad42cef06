#pragma once
// The step log of a setup program: "<drive of Windows>\Temp\<program>.txt",
// started afresh by every run, one time-stamped line per WriteLog. Each line
// is opened, appended and closed on its own so that it is on disk as soon as
// the call returns, and the log never stops the program: every failure of
// the file system is ignored.
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "Installer/setup_common/LogFormat.h"
#include "Installer/setup_common/SetupProgram.h"
#include "platform/ports/Clock.h"
#include "platform/ports/FileSystem.h"

namespace kvt::setup {

class SetupLog {
public:
    // Capacity of the log path, terminator included.
    static constexpr std::size_t kPathCapacity = 256;
    // A line is time stamp (10), message and terminator in 1024 bytes.
    static constexpr std::size_t kTimeStampLength = 10;
    static constexpr std::size_t kMaxMessageLength = 1024 - kTimeStampLength - 1;

    SetupLog(ports::FileSystem& files, ports::Clock& clock, std::string_view logFileName);

    // Fixes the log path and deletes the previous run's file. A Temp folder
    // that is a junction or link leaves the path empty: nothing is logged.
    void InitLogFile();

    template <typename... Args>
    void WriteLog(LogFormat<std::type_identity_t<Args>...> format, const Args&... args) {
        const logformat::LogArg packed[] = {logformat::MakeLogArg(args)..., logformat::LogArg{}};
        writeLine(logformat::FormatLogMessage(format.text(), std::span(packed, sizeof...(Args))));
    }

    // Empty until InitLogFile has run.
    const std::string& path() const { return path_; }

private:
    void writeLine(std::string_view message);

    ports::FileSystem& files_;
    ports::Clock& clock_;
    std::string fileName_;
    std::string path_;
};

}  // namespace kvt::setup
