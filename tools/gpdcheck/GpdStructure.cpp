#include "tools/gpdcheck/GpdStructure.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <regex>
#include <sstream>

namespace kvt::gpdcheck {

namespace {

// Windows' own includes, with the symbolic names of the universal driver's
// resources that this package's GPD may use from them.
const std::map<std::string, std::set<std::string>>& SystemIncludes() {
    static const std::map<std::string, std::set<std::string>> includes{
        {"STDNAMES.GPD",
         {"ORIENTATION_DISPLAY", "PORTRAIT_DISPLAY", "LANDSCAPE_DISPLAY", "PAPER_SOURCE_DISPLAY",
          "RESOLUTION_DISPLAY", "COLOR_PRINTING_MODE_DISPLAY", "MONO_DISPLAY", "PAPER_SIZE_DISPLAY",
          "MEDIA_TYPE_DISPLAY", "HALFTONING_DISPLAY"}}};
    return includes;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::uint32_t> Number(const std::string& text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text));
}

// "Feature.Option" items of a LIST(...) or of a single value.
std::vector<std::string> ListItems(const std::string& value) {
    std::string inner = value;
    if (inner.rfind("LIST(", 0) == 0 && inner.back() == ')') inner = inner.substr(5, inner.size() - 6);
    std::vector<std::string> items;
    std::stringstream stream(inner);
    for (std::string item; std::getline(stream, item, ',');)
        if (!Trim(item).empty()) items.push_back(Trim(item));
    return items;
}

struct Entry {
    std::string keyword, value;
    int line;
};

struct Construct {
    std::string keyword, name;
    int line;
};

class Checker {
public:
    Checker(const GpdContext& context) : context_(context) {}

    std::vector<std::string> run(const std::string& text) {
        std::stringstream stream(text);
        int number = 0;
        for (std::string line; std::getline(stream, line);) scanLine(line, ++number);
        for (const Construct& open : stack_)
            problem(open.line, "unbalanced brace: the '{' of " + open.keyword + " " + open.name + " is never closed");
        checkReferences();
        return problems_;
    }

private:
    void problem(int line, const std::string& text) { problems_.push_back("line " + std::to_string(line) + ": " + text); }

    // Splits a line at braces outside quotes; a comment runs from "*%" to
    // the end of the line.
    void scanLine(const std::string& line, int number) {
        std::string segment;
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') quoted = !quoted;
            if (!quoted && c == '*' && i + 1 < line.size() && line[i + 1] == '%') break;
            if (!quoted && (c == '{' || c == '}')) {
                statement(segment, number);
                segment.clear();
                c == '{' ? openBrace(number) : closeBrace(number);
                continue;
            }
            segment += c;
        }
        statement(segment, number);
    }

    void statement(const std::string& raw, int number) {
        const std::string text = Trim(raw);
        if (text.empty()) return;
        const auto colon = text.find(':');
        if (text.front() != '*' && colon != std::string::npos && enclosing("Macros")) {
            macros_.insert(Trim(text.substr(0, colon)));
            return;
        }
        if (text.front() != '*' || colon == std::string::npos) {
            problem(number, "not a *Keyword: value entry: " + text);
            return;
        }
        last_ = Entry{Trim(text.substr(1, colon - 1)), Trim(text.substr(colon + 1)), number};
        record(*last_);
    }

    void openBrace(int number) {
        if (!last_) {
            problem(number, "a '{' without a construct before it");
            stack_.push_back({"?", "?", number});
            return;
        }
        stack_.push_back({last_->keyword, last_->value, last_->line});
        last_.reset();
    }

    void closeBrace(int number) {
        if (stack_.empty()) {
            problem(number, "unbalanced brace: a '}' without its '{'");
            return;
        }
        stack_.pop_back();
        last_.reset();
    }

    const Construct* enclosing(const std::string& keyword) const {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (it->keyword == keyword) return &*it;
        return nullptr;
    }

    void record(const Entry& entry) {
        const std::string& key = entry.keyword;
        if (key == "Feature") {
            features_[entry.value];
        } else if (key == "Option") {
            if (const Construct* feature = enclosing("Feature"))
                features_[feature->name].insert(entry.value);
            else
                problem(entry.line, "option " + entry.value + " outside a feature");
        } else if (key == "DefaultOption") {
            if (const Construct* feature = enclosing("Feature"))
                references_.push_back({feature->name, entry.value, entry.line});
        } else if (key == "Constraints" || key == "InvalidCombination") {
            for (const std::string& item : ListItems(entry.value)) {
                const auto dot = item.find('.');
                if (dot == std::string::npos) {
                    problem(entry.line, "constraint item " + item + " is not Feature.Option");
                    continue;
                }
                references_.push_back({item.substr(0, dot), item.substr(dot + 1), entry.line});
            }
        } else if (key == "Switch") {
            references_.push_back({entry.value, "", entry.line});
        } else if (key == "Case") {
            if (const Construct* switched = enclosing("Switch"); switched && entry.value != "*Default")
                references_.push_back({switched->name, entry.value, entry.line});
        } else if (key == "CallbackID" || key == "IPCallbackID") {
            const auto id = Number(entry.value);
            if (!id || !context_.callbackIds.contains(*id))
                problem(entry.line, "callback id " + entry.value + " is not one the rendering plug-in handles");
        } else if (key == "rcNameID") {
            nameIds_.push_back(entry);
        } else if (key == "Include") {
            include(entry);
        }
    }

    void include(const Entry& entry) {
        const std::string name = Unquoted(entry.value);
        const auto system = SystemIncludes().find(Upper(name));
        if (system != SystemIncludes().end()) {
            standardNames_.insert(system->second.begin(), system->second.end());
            return;
        }
        if (!std::filesystem::exists(context_.directory / name))
            problem(entry.line, "*Include " + name + " resolves neither beside the file nor to a system include");
    }

    void checkReferences() {
        for (const Reference& reference : references_) {
            const auto feature = features_.find(reference.feature);
            if (feature == features_.end()) {
                problem(reference.line, "feature " + reference.feature + " is not declared");
            } else if (!reference.option.empty() && !feature->second.contains(reference.option)) {
                problem(reference.line, "option " + reference.option + " of feature " + reference.feature +
                                            " is not declared");
            }
        }
        for (const Entry& entry : nameIds_) {
            if (entry.value.rfind('=', 0) == 0) {
                const std::string macro = entry.value.substr(1);
                if (!macros_.contains(macro) && !standardNames_.contains(macro))
                    problem(entry.line, "name " + macro + " is defined neither here nor by an included system file");
            } else if (const auto id = Number(entry.value); !id || !context_.stringIds.contains(*id)) {
                problem(entry.line, "name resource " + entry.value + " is not in the resource DLL's string table");
            }
        }
    }

    struct Reference {
        std::string feature, option;
        int line;
    };

    const GpdContext& context_;
    std::vector<Construct> stack_;
    std::optional<Entry> last_;
    std::map<std::string, std::set<std::string>> features_;
    std::vector<Reference> references_;
    std::vector<Entry> nameIds_;
    std::set<std::string> macros_, standardNames_;
    std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> CheckGpd(const std::string& text, const GpdContext& context) {
    return Checker(context).run(text);
}

std::set<std::uint32_t> StringTableIds(const std::string& resourceScript) {
    std::set<std::uint32_t> ids;
    const std::regex entry(R"(^\s*(\d+)\s*,?\s*")");
    std::stringstream stream(resourceScript);
    bool inTable = false;
    for (std::string line; std::getline(stream, line);) {
        const std::string trimmed = Trim(line);
        if (trimmed.rfind("STRINGTABLE", 0) == 0) inTable = true;
        if (trimmed == "END") inTable = false;
        std::smatch match;
        if (inTable && std::regex_search(line, match, entry)) ids.insert(static_cast<std::uint32_t>(std::stoul(match[1])));
    }
    return ids;
}

std::set<std::uint32_t> ConstantValues(const std::string& header) {
    std::set<std::uint32_t> values;
    const std::regex constant(R"(inline constexpr std::uint32_t \w+ = (\d+);)");
    for (std::sregex_iterator it(header.begin(), header.end(), constant), end; it != end; ++it)
        values.insert(static_cast<std::uint32_t>(std::stoul((*it)[1])));
    return values;
}

}  // namespace kvt::gpdcheck
