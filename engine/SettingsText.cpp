#include "engine/SettingsText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/base/RuntimeError.h"

namespace SettingsText {
namespace {

std::string Trim(const std::string& text) {
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool EqualsNoCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string IntegerText(vb::Integer value) { return std::to_string(value); }

std::string SingleText(vb::Single value, char decimalSeparator) {
    if (value == 0) return "0";  // also for -0
    // %.7G gives the 7 significant digits of a Single, switching to an
    // exponent outside 1E-5..1E+7, the way the standard text does.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7G", double(value));
    std::string text = buffer;
    // snprintf follows the C locale; the separator is put in afterwards.
    auto exponent = text.find('E');
    std::string mantissa = text.substr(0, exponent);
    std::string tail = exponent == std::string::npos ? "" : text.substr(exponent);
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0') mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
    }
    auto point = mantissa.find('.');
    if (point != std::string::npos) mantissa[point] = decimalSeparator;
    return mantissa + tail;
}

std::string BooleanText(bool value) { return value ? "True" : "False"; }

double ToDouble(const std::string& text, char decimalSeparator) {
    std::string s = Trim(text);
    // Accept the locale's separator as well as a point, then parse with the
    // locale-independent from_chars.
    for (char& c : s)
        if (c == decimalSeparator) c = '.';
    size_t start = 0;
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        start = 1;
    }
    if (start >= s.size() || s[start] == '+' || s[start] == '-') vb::Raise(vb::kErrTypeMismatch);
    double value = 0;
    const char* begin = s.data() + start;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ptr != end) vb::Raise(vb::kErrTypeMismatch);
    if (ec == std::errc::result_out_of_range) {
        // Too small rounds to 0; too large does not fit any number type.
        if (std::strpbrk(begin, "eE") && std::strstr(begin, "-")) return 0;
        vb::Raise(vb::kErrOverflow);
    }
    if (ec != std::errc()) vb::Raise(vb::kErrTypeMismatch);
    // from_chars also takes "inf" and "nan", which are not numbers here.
    if (!std::isfinite(value)) vb::Raise(vb::kErrTypeMismatch);
    return negative ? -value : value;
}

vb::Single ToSingle(const std::string& text, char decimalSeparator) {
    return vb::CSng(ToDouble(text, decimalSeparator));
}

vb::Integer ToInteger(const std::string& text, char decimalSeparator) {
    return vb::CInt(ToDouble(text, decimalSeparator));
}

bool ToBoolean(const std::string& text, char decimalSeparator) {
    std::string s = Trim(text);
    if (EqualsNoCase(s, "True")) return true;
    if (EqualsNoCase(s, "False")) return false;
    return ToDouble(s, decimalSeparator) != 0;
}

}  // namespace SettingsText
