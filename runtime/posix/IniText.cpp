#include "runtime/posix/IniText.h"

#include <cassert>
#include <cstdio>
#include <utility>

namespace vb {

namespace {

constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Trim(const std::string& s) {
    size_t first = 0, last = s.size();
    while (first < last && IsBlank(s[first])) ++first;
    while (last > first && IsBlank(s[last - 1])) --last;
    return s.substr(first, last - first);
}

bool HasControlOrOuterBlanks(const std::string& s) {
    if (s.empty() || IsBlank(s.front()) || IsBlank(s.back())) return true;
    for (unsigned char c : s)
        if (IsControl(c)) return true;
    return false;
}

bool NeedsQuotes(const std::string& value) {
    if (value.empty()) return false;
    if (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"') return true;
    for (unsigned char c : value)
        if (IsControl(c)) return true;
    return false;
}

std::string EncodeValue(const std::string& value) {
    if (!NeedsQuotes(value)) return value;
    std::string out = "\"";
    for (unsigned char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (IsControl(c)) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of a line's right-hand side (already trimmed). A quoted text that
// does not decode, e.g. one edited by hand, is taken as it stands.
std::string DecodeValue(const std::string& raw) {
    if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return raw;
    std::string out;
    for (size_t i = 1; i + 1 < raw.size(); ++i) {
        char c = raw[i];
        if (c == '"') return raw;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= raw.size()) return raw;
        switch (raw[++i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (i + 3 >= raw.size()) return raw;
            int high = HexDigit(raw[i + 1]), low = HexDigit(raw[i + 2]);
            if (high < 0 || low < 0) return raw;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return raw;
        }
    }
    return out;
}

bool IsBlankLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Trim(line).empty();
}

struct ParsedLine {
    enum Kind { Other, Section, BrokenSection, Entry } kind = Other;
    std::string name;   // the section of a Section, the key of an Entry
    std::string value;  // the decoded value of an Entry
};

// Blank lines, comments and lines that are neither a section nor "key=value"
// are Other: they belong to no key and are written back unchanged.
ParsedLine ParseLine(std::string line, bool firstLine) {
    if (firstLine && line.starts_with(kUtf8Bom)) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return {};
    if (line.front() == '[') {
        if (line.back() != ']') return {ParsedLine::BrokenSection, {}, {}};
        return {ParsedLine::Section, Trim(line.substr(1, line.size() - 2)), {}};
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) return {};
    std::string key = Trim(line.substr(0, equals));
    if (key.empty()) return {};
    return {ParsedLine::Entry, std::move(key), DecodeValue(Trim(line.substr(equals + 1)))};
}

}  // namespace

IniText::IniText(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        mLines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    mCrLf = !mLines.empty() && mLines.front().ends_with('\r');
}

bool IniText::CanHoldSection(const std::string& section) {
    return !HasControlOrOuterBlanks(section) && section.find(']') == std::string::npos;
}

bool IniText::CanHoldKey(const std::string& key) {
    return !HasControlOrOuterBlanks(key) && key.find('=') == std::string::npos && key.front() != '[' &&
           key.front() != ';' && key.front() != '#';
}

IniText::Place IniText::Find(const std::string& section, const std::string& key) const {
    Place place;
    bool inSection = false, inFirstBlock = false;
    for (size_t i = 0; i < mLines.size(); ++i) {
        ParsedLine line = ParseLine(mLines[i], i == 0);
        if (line.kind == ParsedLine::Section || line.kind == ParsedLine::BrokenSection) {
            inSection = line.kind == ParsedLine::Section && line.name == section;
            inFirstBlock = inSection && !place.insertAfter;
            if (inFirstBlock) place.insertAfter = i;
        } else if (line.kind == ParsedLine::Entry && inSection) {
            if (inFirstBlock) place.insertAfter = i;
            if (line.name == key) {
                place.entry = i;
                return place;
            }
        }
    }
    return place;
}

std::optional<std::string> IniText::Get(const std::string& section, const std::string& key) const {
    Place place = Find(section, key);
    if (!place.entry) return std::nullopt;
    return ParseLine(mLines[*place.entry], *place.entry == 0).value;
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
    assert(CanHoldSection(section) && CanHoldKey(key) && "IniText::Set: a name the file cannot hold");
    std::string entry = key + "=" + EncodeValue(value) + Carriage();
    Place place = Find(section, key);
    if (place.entry) {
        mLines[*place.entry] = entry;
    } else if (place.insertAfter) {
        mLines.insert(mLines.begin() + *place.insertAfter + 1, entry);
    } else {
        if (!mLines.empty() && !IsBlankLine(mLines.back())) mLines.push_back(Carriage());
        mLines.push_back("[" + section + "]" + Carriage());
        mLines.push_back(entry);
    }
}

std::string IniText::Text() const {
    std::string text;
    for (const std::string& line : mLines) text += line + "\n";
    return text;
}

}  // namespace vb
