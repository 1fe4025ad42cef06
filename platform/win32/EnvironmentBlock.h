#pragma once
// The environment block of a child process: the parent's variables with some
// added or replaced, in the form CreateProcess takes (each "NAME=VALUE"
// terminated, an empty string at the end, sorted by name without regard to
// case, as Windows keeps its own blocks). The wide form keeps every character
// of a variable, whatever the ANSI code page can hold.
#include <string>
#include <vector>

namespace kvt::win32 {

// The variables of a block as GetEnvironmentStringsA returns it.
std::vector<std::string> SplitEnvironmentBlock(const char* block);
std::vector<std::wstring> SplitEnvironmentBlock(const wchar_t* block);

// `parent` with `additions` applied: an addition replaces the variable of the
// same name (names compare without regard to case) or is added. False, and no
// block, when an addition is not of the form NAME=VALUE with a name.
bool MergeEnvironment(std::vector<std::string> parent, const std::vector<std::string>& additions,
                      std::string& block);
bool MergeEnvironment(std::vector<std::wstring> parent, const std::vector<std::wstring>& additions,
                      std::wstring& block);

}  // namespace kvt::win32
