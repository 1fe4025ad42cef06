// The Windows side of the differential test: runs every script of a file
// through the Win32 adapters in this one process (under wine64 in the test)
// and writes the results. Usage: diff_wine_exec SCRIPTS.json RESULT.json
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/differential/ScriptRunner.h"

namespace {

using nlohmann::json;

std::string StringField(INFCONTEXT& context, DWORD index, bool& present) {
    std::vector<char> buffer(4096);
    DWORD required = 0;
    present = ::SetupGetStringFieldA(&context, index, buffer.data(), static_cast<DWORD>(buffer.size()), &required);
    if (!present && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(required);
        present = ::SetupGetStringFieldA(&context, index, buffer.data(), static_cast<DWORD>(buffer.size()), &required);
    }
    return present ? std::string(buffer.data()) : std::string();
}

json DumpLine(INFCONTEXT& context) {
    bool present = false;
    const std::string key = StringField(context, 0, present);
    json fields = json::array();
    const DWORD count = ::SetupGetFieldCount(&context);
    for (DWORD index = 1; index <= count; ++index) {
        bool fieldPresent = false;
        fields.push_back(StringField(context, index, fieldPresent));
    }
    return {{"key", present ? json(key) : json(nullptr)}, {"fields", std::move(fields)}};
}

class WineHooks final : public kvt::diff::SideHooks {
public:
    std::uint32_t holdFile(const std::string& path) override {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return ::GetLastError();
        held_.push_back(file);
        return 0;
    }
    void releaseFiles() override {
        for (HANDLE file : held_) ::CloseHandle(file);
        held_.clear();
    }
    json dumpInf(const std::string& path) override {
        UINT errorLine = 0;
        HINF inf = ::SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_WIN4 | INF_STYLE_OLDNT, &errorLine);
        if (inf == INVALID_HANDLE_VALUE) return {{"rc", ::GetLastError()}};
        json sections = json::array();
        std::vector<char> name(1024);
        for (UINT index = 0;; ++index) {
            UINT needed = 0;
            if (!::SetupEnumInfSectionsA(inf, index, name.data(), static_cast<UINT>(name.size()), &needed)) break;
            json lines = json::array();
            const LONG count = ::SetupGetLineCountA(inf, name.data());
            for (LONG line = 0; line < count; ++line) {
                INFCONTEXT context{};
                if (::SetupGetLineByIndexA(inf, name.data(), static_cast<DWORD>(line), &context))
                    lines.push_back(DumpLine(context));
            }
            sections.push_back({{"name", std::string(name.data())}, {"lines", std::move(lines)}});
        }
        ::SetupCloseInfFile(inf);
        return {{"rc", 0}, {"sections", std::move(sections)}};
    }

private:
    std::vector<HANDLE> held_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: diff_wine_exec SCRIPTS.json RESULT.json\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const json scripts = json::parse(in, nullptr, false);
    if (!scripts.is_array()) {
        std::fprintf(stderr, "diff_wine_exec: cannot read %s\n", argv[1]);
        return 2;
    }
    kvt::win32::Win32Platform windows;
    WineHooks hooks;
    json results = json::array();
    for (const json& script : scripts) {
        kvt::diff::ScriptRunner runner({windows.registry(), windows.files(), windows.spooler(), windows.deviceSetup(),
                                        windows.system(), hooks});
        results.push_back(runner.run(script));
    }
    std::ofstream(argv[2], std::ios::binary) << results.dump(1);
    return 0;
}
