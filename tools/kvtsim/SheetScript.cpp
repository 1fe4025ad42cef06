#include "tools/kvtsim/SheetScript.h"

#include <iterator>
#include <limits>

#include "platform/sim/Utf16Text.h"
#include "tools/kvtsim/JsonInputFile.h"

namespace kvt::kvtsim {
namespace {

constexpr int kMaxArrowClicks = 10000;
constexpr std::size_t kMaxScriptBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxNesting = 64;

struct ActionName {
    const char* name;
    SheetActionKind kind;
};
constexpr ActionName kActionNames[] = {
    {"type", SheetActionKind::Type},   {"click", SheetActionKind::Click}, {"arrow", SheetActionKind::Arrow},
    {"leave", SheetActionKind::Leave}, {"choose", SheetActionKind::Choose}, {"press", SheetActionKind::Press},
    {"apply", SheetActionKind::Apply}, {"page", SheetActionKind::Page},   {"close", SheetActionKind::Close},
};

std::optional<ports::MessageAnswer> AnswerNamed(const std::string& name) {
    if (name == "ok") return ports::MessageAnswer::Ok;
    if (name == "yes") return ports::MessageAnswer::Yes;
    if (name == "no") return ports::MessageAnswer::No;
    if (name == "cancel") return ports::MessageAnswer::Cancel;
    return std::nullopt;
}

// Reads the fields of one object, naming the path of whatever is wrong.
class Reader {
public:
    Reader(const nlohmann::json& object, std::string path, std::string& problem)
        : object_(object), path_(std::move(path)), problem_(problem) {}

    const nlohmann::json* find(const char* name) const {
        auto it = object_.find(name);
        return it == object_.end() ? nullptr : &*it;
    }

    bool text(const char* name, std::u16string& out, bool required = true) {
        const nlohmann::json* value = find(name);
        if (value == nullptr) return !required || fail(name, "is required");
        if (!value->is_string()) return fail(name, "must be a string");
        auto wide = sim::Utf8ToUtf16(value->get_ref<const std::string&>());
        if (!wide) return fail(name, "must be UTF-8 text");
        out = std::move(*wide);
        return true;
    }

    bool integer(const char* name, int minimum, int maximum, int& out) {
        const nlohmann::json* value = find(name);
        if (value == nullptr) return fail(name, "is required");
        if (!value->is_number_integer() || value->get<long long>() < minimum || value->get<long long>() > maximum)
            return fail(name, "must be an integer from " + std::to_string(minimum) + " to " + std::to_string(maximum));
        out = static_cast<int>(value->get<long long>());
        return true;
    }

    bool fail(const std::string& name, const std::string& reason) {
        problem_ = path_ + "." + name + ": " + reason;
        return false;
    }

private:
    const nlohmann::json& object_;
    std::string path_;
    std::string& problem_;
};

bool ParseAnswer(const nlohmann::json& entry, const std::string& path, SheetScript& script, std::string& problem) {
    if (!entry.is_object()) {
        problem = path + ": must be an object";
        return false;
    }
    Reader read(entry, path, problem);
    sim::SimMessageBoxes::Answer answer;
    if (read.find("textContains") != nullptr) {
        std::u16string text;
        if (!read.text("textContains", text)) return false;
        answer.textContains = std::move(text);
    }
    const nlohmann::json* named = read.find("answer");
    const auto value = named && named->is_string() ? AnswerNamed(named->get<std::string>()) : std::nullopt;
    if (!value) return read.fail("answer", "must be \"ok\", \"yes\", \"no\" or \"cancel\"");
    answer.answer = *value;
    script.messageBoxes.push_back(std::move(answer));
    return true;
}

bool ParseArrow(Reader& read, SheetAction& action) {
    if (!read.integer("control", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), action.control))
        return false;
    const nlohmann::json* direction = read.find("direction");
    if (direction == nullptr || !direction->is_string() ||
        (direction->get<std::string>() != "up" && direction->get<std::string>() != "down"))
        return read.fail("direction", "must be \"up\" or \"down\"");
    action.up = direction->get<std::string>() == "up";
    if (read.find("times") != nullptr) return read.integer("times", 1, kMaxArrowClicks, action.times);
    return true;
}

bool ParseChoose(Reader& read, SheetAction& action) {
    if (!read.integer("control", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), action.control))
        return false;
    if (read.find("index") != nullptr) {
        int index = 0;
        if (!read.integer("index", 0, std::numeric_limits<int>::max(), index)) return false;
        action.index = index;
        return true;
    }
    if (read.find("entry") == nullptr) return read.fail("entry", "is required (or \"index\")");
    return read.text("entry", action.text);
}

bool ParseAction(const nlohmann::json& entry, const std::string& path, SheetScript& script, std::string& problem) {
    if (!entry.is_object()) {
        problem = path + ": must be an object";
        return false;
    }
    Reader read(entry, path, problem);
    SheetAction action;
    action.path = path;
    action.source = entry;
    const nlohmann::json* name = read.find("action");
    const ActionName* known = nullptr;
    if (name != nullptr && name->is_string()) {
        for (const ActionName& candidate : kActionNames)
            if (name->get<std::string>() == candidate.name) known = &candidate;
    }
    if (known == nullptr)
        return read.fail("action",
                         "must be \"type\", \"click\", \"arrow\", \"leave\", \"choose\", \"press\", \"apply\", "
                         "\"page\" or \"close\"");
    action.kind = known->kind;
    constexpr int kLowest = std::numeric_limits<int>::min(), kHighest = std::numeric_limits<int>::max();
    bool ok = true;
    switch (action.kind) {
        case SheetActionKind::Type:
            ok = read.integer("control", kLowest, kHighest, action.control) && read.text("text", action.text);
            break;
        case SheetActionKind::Click:
        case SheetActionKind::Leave:
            ok = read.integer("control", kLowest, kHighest, action.control);
            break;
        case SheetActionKind::Arrow:
            ok = ParseArrow(read, action);
            break;
        case SheetActionKind::Choose:
            ok = ParseChoose(read, action);
            break;
        case SheetActionKind::Press:
            ok = read.text("button", action.text);
            break;
        case SheetActionKind::Page:
            ok = read.text("title", action.text);
            break;
        case SheetActionKind::Apply:
        case SheetActionKind::Close:
            break;
    }
    if (!ok) return false;
    script.actions.push_back(std::move(action));
    return true;
}

bool ParseList(const nlohmann::json& document, const char* name, SheetScript& script, std::string& problem,
               bool (*parse)(const nlohmann::json&, const std::string&, SheetScript&, std::string&)) {
    auto it = document.find(name);
    if (it == document.end()) return true;
    const std::string path = std::string("$.") + name;
    if (!it->is_array()) {
        problem = path + ": must be an array";
        return false;
    }
    for (std::size_t i = 0; i < it->size(); ++i)
        if (!parse((*it)[i], path + "[" + std::to_string(i) + "]", script, problem)) return false;
    return true;
}

}  // namespace

const char* SheetActionName(SheetActionKind kind) {
    for (const ActionName& candidate : kActionNames)
        if (candidate.kind == kind) return candidate.name;
    return "click";
}

std::optional<SheetScript> ParseSheetScript(const nlohmann::json& document, std::string& problem) {
    if (!document.is_object()) {
        problem = "$: the script must be an object";
        return std::nullopt;
    }
    SheetScript script;
    if (!ParseList(document, "messageBoxes", script, problem, ParseAnswer)) return std::nullopt;
    if (!ParseList(document, "actions", script, problem, ParseAction)) return std::nullopt;
    return script;
}

std::optional<SheetScript> LoadSheetScriptFile(const std::string& file, std::istream& stdinStream,
                                               std::string& errorLine) {
    const std::optional<nlohmann::json> document =
        ReadJsonInput(file, stdinStream, {"a script", kMaxNesting, kMaxScriptBytes}, errorLine);
    if (!document) return std::nullopt;
    std::string problem;
    auto script = ParseSheetScript(*document, problem);
    if (!script) errorLine = file + ": " + problem;
    return script;
}

}  // namespace kvt::kvtsim
