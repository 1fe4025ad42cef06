#pragma once
// What two saved system images hold differently, as readable lines: a changed
// top-level field as a whole, and for lists each element that went ("- ...")
// or came ("+ ..."). Empty when the images are equal.
#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kvt::test {

inline std::vector<std::string> ImageDifferences(const nlohmann::json& before, const nlohmann::json& after) {
    std::vector<std::string> out;
    for (const auto& [key, value] : after.items()) {
        const nlohmann::json old = before.contains(key) ? before.at(key) : nlohmann::json();
        if (value == old) continue;
        if (!value.is_array() || !old.is_array()) {
            out.push_back(key + " changed: " + value.dump());
            continue;
        }
        for (const auto& item : old)
            if (std::find(value.begin(), value.end(), item) == value.end()) out.push_back("- " + item.dump());
        for (const auto& item : value)
            if (std::find(old.begin(), old.end(), item) == old.end()) out.push_back("+ " + item.dump());
    }
    return out;
}

}  // namespace kvt::test
