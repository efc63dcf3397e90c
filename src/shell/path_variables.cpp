// The process-wide path-variable list and the case-blind replacement it is applied with.
#include "shell/path_variables.h"

#include <mutex>
#include <utility>
#include <vector>

namespace veltrano {
namespace {

// The more specific folders come first, so that a path below the roaming application data is
// written with %APPDATA% rather than %USERPROFILE%.
constexpr const char16_t* kVariableNames[] = {
    u"%ALLUSERSPROFILE%",
    u"%PROGRAMDATA%",
    u"%APPDATA%",
    u"%LOCALAPPDATA%",
    u"%USERPROFILE%",
    u"%COMPUTERNAME%",
    u"%COMMONPROGRAMFILES%",
    u"%COMMONPROGRAMFILES(x86)%",
    u"%ProgramFiles%",
    u"%SystemRoot%",
    u"%SystemDrive%",
    u"%USERNAME%",
};

// The expansion went into a buffer of this many characters, terminator included.
constexpr size_t kExpansionCapacity = 260;

struct PathVariable {
    Text name;
    Text value;
};

std::mutex g_lock;
std::vector<PathVariable> g_variables;

// The runtime's default locale upper-cases only a to z.
char16_t UpperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}

Text UpperAscii(TextView text) {
    Text upper(text);
    for (char16_t& c : upper)
        c = UpperAscii(c);
    return upper;
}

// Where find occurs in text, left to right without overlaps, ASCII letters compared without case.
std::vector<size_t> MatchesNoCase(TextView find, TextView text) {
    std::vector<size_t> matches;
    if (text.empty() || find.empty())
        return matches;
    const Text shadow = UpperAscii(text);
    const Text pattern = UpperAscii(find);
    for (size_t p = shadow.find(pattern); p != Text::npos;
         p = shadow.find(pattern, p + find.size()))
        matches.push_back(p);
    return matches;
}

}  // namespace

void BuildPathVariables(Environment& environment) {
    std::vector<PathVariable> variables;
    for (const char16_t* name : kVariableNames) {
        Text value = environment.Expand(name);
        value.resize(value.find(u'\0') == Text::npos ? value.size() : value.find(u'\0'));
        // A longer expansion would not have fitted the buffer: the expansion failed.
        if (value.size() >= kExpansionCapacity)
            continue;
        if (value.empty() || value == name)
            continue;
        variables.push_back({name, std::move(value)});
    }
    std::lock_guard lock(g_lock);
    g_variables = std::move(variables);
}

Text MaskPathVariables(TextView input) {
    // The text in pieces: text still to search, and the variable names already put in. A later
    // variable must not change an earlier one's name: a user called "root" would otherwise turn
    // "%SystemRoot%" into "%System%USERNAME%%", one called "User" "%ALLUSERSPROFILE%" into
    // "%ALL%USERNAME%SPROFILE%".
    struct Piece {
        Text text;
        bool name = false;
    };
    std::vector<Piece> pieces{{Text(input)}};
    std::lock_guard lock(g_lock);
    for (const PathVariable& variable : g_variables) {
        std::vector<Piece> next;
        for (Piece& piece : pieces) {
            if (piece.name) {
                next.push_back(std::move(piece));
                continue;
            }
            size_t copied = 0;
            for (const size_t p : MatchesNoCase(variable.value, piece.text)) {
                next.push_back({piece.text.substr(copied, p - copied)});
                next.push_back({variable.name, true});
                copied = p + variable.value.size();
            }
            next.push_back({piece.text.substr(copied)});
        }
        pieces = std::move(next);
    }
    Text text;
    for (const Piece& piece : pieces)
        text += piece.text;
    return text;
}

int ReplaceNoCase(TextView find, Text& text, TextView replacement) {
    const std::vector<size_t> matches = MatchesNoCase(find, text);
    if (matches.empty())
        return 0;
    Text result;
    size_t copied = 0;
    for (const size_t p : matches) {
        result.append(text, copied, p - copied);
        result.append(replacement);
        copied = p + find.size();
    }
    result.append(text, copied);
    text = std::move(result);
    return static_cast<int>(matches.size());
}

}  // namespace veltrano
