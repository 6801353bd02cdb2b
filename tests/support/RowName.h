#pragma once
// Readable names for the rows of a data-driven test, so that ctest and a
// failure say which case broke ("SaverInput/eleven_moves" instead of a dump
// of the row's bytes).

#include <cctype>
#include <string>

namespace testsupport {

// The words of a text (runs of letters and digits) joined by underscores;
// "Empty" when it has none.
inline std::string RowName(const std::string& text) {
    std::string name;
    bool gap = false;
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            gap = true;
            continue;
        }
        if (gap && !name.empty()) name += '_';
        gap = false;
        name += c;
    }
    return name.empty() ? "Empty" : name;
}

// Every character of a command line shown, punctuation and spaces spelled
// out, so that "/s" and " /s" get different names.
inline std::string SpelledOut(const std::string& text) {
    std::string words;
    for (char c : text) {
        switch (c) {
        case ' ': words += " Space "; break;
        case '/': words += " Slash "; break;
        case ':': words += " Colon "; break;
        case '-': words += " Minus "; break;
        default: words += c; break;
        }
    }
    return RowName(words);
}

// For rows that carry a `name`.
struct NamedRow {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return RowName(info.param.name);
    }
};

}  // namespace testsupport
