#include "tools/kvtsim/ResourceScript.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <sstream>

namespace kvt::kvtsim {
namespace {

enum class TokenKind { Word, String, Comma, Pipe, Other };

struct Token {
    TokenKind kind;
    std::string text;
};

using Tokens = std::vector<Token>;

// Statements whose first argument is the control's text.
constexpr std::array<std::string_view, 14> kTextControls{
    "LTEXT",       "RTEXT",    "CTEXT",          "GROUPBOX",    "PUSHBUTTON", "DEFPUSHBUTTON", "PUSHBOX",
    "AUTORADIOBUTTON", "RADIOBUTTON", "AUTOCHECKBOX", "CHECKBOX", "AUTO3STATE", "STATE3",       "ICON"};
// Statements without a text.
constexpr std::array<std::string_view, 4> kPlainControls{"EDITTEXT", "COMBOBOX", "LISTBOX", "SCROLLBAR"};

bool IsOneOf(std::string_view word, auto& list) { return std::find(list.begin(), list.end(), word) != list.end(); }

bool IsControlStatement(const Token& token) {
    return token.kind == TokenKind::Word &&
           (token.text == "CONTROL" || IsOneOf(token.text, kTextControls) || IsOneOf(token.text, kPlainControls));
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// RC strings: "" stands for a quote; backslash escapes as in C.
std::string ReadString(std::string_view text, std::size_t& at) {
    std::string value;
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            if (at + 1 < text.size() && text[at + 1] == '"') {
                value += '"';
                ++at;
                continue;
            }
            ++at;
            return value;
        }
        if (c == '\\' && at + 1 < text.size()) {
            const char e = text[++at];
            value += e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e;
            continue;
        }
        value += c;
    }
    throw ResourceScriptError("unterminated string");
}

Tokens Tokenize(std::string_view text) {
    Tokens tokens;
    std::size_t at = 0;
    bool lineStart = true;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '\n') {
            lineStart = true;
            ++at;
        } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            ++at;
        } else if (lineStart && c == '#') {
            at = std::min(text.find('\n', at), text.size());  // preprocessor lines
        } else if (text.substr(at, 2) == "//") {
            at = std::min(text.find('\n', at), text.size());
        } else if (text.substr(at, 2) == "/*") {
            const std::size_t end = text.find("*/", at + 2);
            at = end == std::string_view::npos ? text.size() : end + 2;
        } else {
            lineStart = false;
            if (c == '"') {
                tokens.push_back({TokenKind::String, ReadString(text, at)});
            } else if (c == ',' || c == '|') {
                tokens.push_back({c == ',' ? TokenKind::Comma : TokenKind::Pipe, std::string(1, c)});
                ++at;
            } else if (IsWordChar(c) || (c == '-' && at + 1 < text.size() && IsWordChar(text[at + 1]))) {
                const std::size_t start = at++;
                while (at < text.size() && IsWordChar(text[at])) ++at;
                tokens.push_back({TokenKind::Word, std::string(text.substr(start, at - start))});
            } else {
                tokens.push_back({TokenKind::Other, std::string(1, c)});
                ++at;
            }
        }
    }
    return tokens;
}

std::vector<Tokens> SplitArguments(Tokens::const_iterator begin, Tokens::const_iterator end) {
    std::vector<Tokens> arguments(1);
    for (auto it = begin; it != end; ++it) {
        if (it->kind == TokenKind::Comma)
            arguments.emplace_back();
        else
            arguments.back().push_back(*it);
    }
    return arguments;
}

class DialogReader {
public:
    DialogReader(const Tokens& tokens, const ResourceScript& script) : tokens_(tokens), script_(script) {}

    std::vector<ResourceDialog> read() {
        std::vector<ResourceDialog> dialogs;
        for (at_ = 0; at_ + 1 < tokens_.size(); ++at_) {
            const Token& keyword = tokens_[at_ + 1];
            if (tokens_[at_].kind != TokenKind::Word || keyword.kind != TokenKind::Word) continue;
            if (keyword.text != "DIALOG" && keyword.text != "DIALOGEX") continue;
            dialogs.push_back(readDialog());
        }
        return dialogs;
    }

private:
    [[noreturn]] static void Fail(const std::string& what) { throw ResourceScriptError(what); }

    int number(const Tokens& argument) const {
        if (argument.size() != 1 || argument[0].kind != TokenKind::Word) Fail("expected a number or a name");
        const std::string& word = argument[0].text;
        if (const auto value = script_.symbol(word)) return *value;
        int value = 0;
        const int base = word.starts_with("0x") ? 16 : 10;
        const char* first = word.data() + (base == 16 ? 2 : 0);
        const char* last = word.data() + word.size();
        if (!word.empty() && (word.back() == 'L' || word.back() == 'l')) --last;
        const auto [end, error] = std::from_chars(first, last, value, base);
        if (error != std::errc() || end != last) Fail("unknown symbol " + word);
        return value;
    }

    static std::string text(const Tokens& argument) {
        if (argument.size() != 1 || argument[0].kind != TokenKind::String) Fail("expected a string");
        return argument[0].text;
    }

    static ResourceStyles styles(const Tokens& argument) {
        ResourceStyles styles;
        bool negate = false;
        for (const Token& token : argument) {
            if (token.kind == TokenKind::Pipe) continue;
            if (token.kind != TokenKind::Word) Fail("unexpected '" + token.text + "' in a style");
            if (token.text == "NOT") {
                negate = true;
                continue;
            }
            styles.flags.push_back(negate ? "NOT " + token.text : token.text);
            negate = false;
        }
        return styles;
    }

    DialogUnitsRect rect(const std::vector<Tokens>& arguments, std::size_t first) const {
        return {number(arguments[first]), number(arguments[first + 1]), number(arguments[first + 2]),
                number(arguments[first + 3])};
    }

    // The tokens up to the next word that is one of `stops`.
    std::size_t until(auto isStop) const {
        std::size_t end = at_;
        while (end < tokens_.size() && !isStop(tokens_[end])) ++end;
        if (end == tokens_.size()) Fail("dialog without END");
        return end;
    }

    ResourceDialog readDialog() {
        ResourceDialog dialog;
        dialog.id = number({tokens_[at_]});
        at_ += 2;
        const auto isHeaderWord = [](const Token& t) {
            static constexpr std::array<std::string_view, 8> kWords{"STYLE", "EXSTYLE", "CAPTION", "FONT",
                                                                    "BEGIN", "LANGUAGE", "MENU", "CLASS"};
            return (t.kind == TokenKind::Word && IsOneOf(t.text, kWords)) || (t.kind == TokenKind::Other && t.text == "{");
        };
        std::size_t end = until(isHeaderWord);
        const std::vector<Tokens> size = SplitArguments(tokens_.begin() + at_, tokens_.begin() + end);
        if (size.size() < 4) Fail("dialog without its rectangle");
        dialog.rect = rect(size, 0);
        for (at_ = end; tokens_[at_].text != "BEGIN" && tokens_[at_].kind != TokenKind::Other; at_ = end) {
            const std::string option = tokens_[at_++].text;
            end = until(isHeaderWord);
            const std::vector<Tokens> arguments = SplitArguments(tokens_.begin() + at_, tokens_.begin() + end);
            if (option == "STYLE") dialog.styles = styles(arguments[0]);
            if (option == "EXSTYLE") dialog.exStyles = styles(arguments[0]);
            if (option == "CAPTION") dialog.caption = text(arguments[0]);
            if (option == "FONT") {
                dialog.fontSize = number(arguments.at(0));
                dialog.fontFace = text(arguments.at(1));
            }
        }
        ++at_;
        readControls(dialog);
        return dialog;
    }

    void readControls(ResourceDialog& dialog) {
        const auto isEnd = [](const Token& t) {
            return (t.kind == TokenKind::Word && t.text == "END") || (t.kind == TokenKind::Other && t.text == "}");
        };
        while (!isEnd(tokens_.at(at_))) {
            if (!IsControlStatement(tokens_[at_])) Fail("unknown statement " + tokens_[at_].text);
            ResourceControl control;
            control.statement = tokens_[at_++].text;
            const std::size_t end = until([&](const Token& t) { return isEnd(t) || IsControlStatement(t); });
            readControl(control, SplitArguments(tokens_.begin() + at_, tokens_.begin() + end));
            dialog.controls.push_back(std::move(control));
            at_ = end;
        }
    }

    void readControl(ResourceControl& control, const std::vector<Tokens>& arguments) const {
        std::size_t next = 0;
        if (control.statement == "CONTROL") {
            if (arguments.size() < 8) Fail("CONTROL needs eight arguments");
            control.text = text(arguments[0]);
            control.id = number(arguments[1]);
            control.windowClass = arguments[2].at(0).text;
            control.styles = styles(arguments[3]);
            control.rect = rect(arguments, 4);
            return;
        }
        if (IsOneOf(control.statement, kTextControls)) control.text = text(arguments.at(next++));
        if (arguments.size() < next + 5) Fail(control.statement + " without its rectangle");
        control.id = number(arguments[next]);
        control.rect = rect(arguments, next + 1);
        if (arguments.size() > next + 5) control.styles = styles(arguments[next + 5]);
    }

    const Tokens& tokens_;
    const ResourceScript& script_;
    std::size_t at_ = 0;
};

}  // namespace

bool ResourceStyles::has(std::string_view flag) const { return std::find(flags.begin(), flags.end(), flag) != flags.end(); }

bool ResourceStyles::removes(std::string_view flag) const { return has("NOT " + std::string(flag)); }

ResourceScript::ResourceScript(std::string_view script, const std::vector<std::string_view>& headers) {
    symbols_ = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
    for (std::string_view header : headers) {
        std::istringstream lines{std::string(header)};
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string directive, name;
            int value = 0;
            if (words >> directive >> name >> value && directive == "#define") symbols_[name] = value;
        }
    }
    try {
        dialogs_ = DialogReader(Tokenize(script), *this).read();
    } catch (const std::out_of_range&) {
        throw ResourceScriptError("statement cut short");  // an argument or END missing
    }
}

const ResourceDialog* ResourceScript::dialog(int id) const {
    const auto found = std::find_if(dialogs_.begin(), dialogs_.end(), [id](const ResourceDialog& d) { return d.id == id; });
    return found == dialogs_.end() ? nullptr : &*found;
}

std::optional<int> ResourceScript::symbol(std::string_view name) const {
    const auto found = symbols_.find(name);
    if (found == symbols_.end()) return std::nullopt;
    return found->second;
}

}  // namespace kvt::kvtsim
