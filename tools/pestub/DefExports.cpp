#include "tools/pestub/DefExports.h"

#include <sstream>

namespace kvt::pestub {
namespace {

std::string WithoutComment(const std::string& line) { return line.substr(0, line.find(';')); }

std::string Unquoted(std::string word) {
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') return word.substr(1, word.size() - 2);
    return word;
}

}  // namespace

DefExports ReadDefExports(std::string_view text) {
    DefExports def;
    std::istringstream lines{std::string(text)};
    std::string line;
    bool inExports = false;
    while (std::getline(lines, line)) {
        std::istringstream words(WithoutComment(line));
        std::string first;
        if (!(words >> first)) continue;
        if (first == "LIBRARY") {
            std::string name;
            if (words >> name) def.library = Unquoted(name);
            inExports = false;
        } else if (first == "EXPORTS") {
            inExports = true;
        } else if (inExports && first.front() != '@') {
            def.names.push_back(first.substr(0, first.find('=')));
        }
    }
    return def;
}

}  // namespace kvt::pestub
