#pragma once
// A crash inside a swept run ends the test binary before any assertion can
// name the run. The sweep notes each run here first; a crash signal prints
// the note on standard error, then lets the signal take its usual course
// (the sanitizers' reports included).
#include <string_view>

namespace kvt::test {

class CrashNote {
public:
    // Installs the handlers once per process.
    static void Arm();
    // The text printed if the process crashes from now on; cut to fit.
    static void Set(std::string_view text);
    static void Clear();
};

}  // namespace kvt::test
