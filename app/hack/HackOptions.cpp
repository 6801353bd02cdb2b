#include "app/hack/HackOptions.h"

#include <cctype>

namespace {

constexpr std::uint64_t kMaxWindowId = 0xFFFFFFFFu;

// "-name" and "--name" are the same option.
std::string Bare(const std::string& argument) {
    if (argument.rfind("--", 0) == 0) return argument.substr(1);
    return argument;
}

}  // namespace

std::optional<std::uint64_t> ParseWindowId(const std::string& text) {
    std::string digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    }
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit;
        if (std::isdigit(static_cast<unsigned char>(c)))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        else
            return std::nullopt;
        value = value * std::uint64_t(base) + std::uint64_t(digit);
        if (value > kMaxWindowId) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    return value;
}

std::optional<HackOptions> ParseHackOptions(const std::vector<std::string>& arguments) {
    HackOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string option = Bare(arguments[i]);
        if (option == "-root") {
            options.target = HackOptions::Target::Root;
        } else if (option == "-window") {
            options.target = HackOptions::Target::Own;
        } else if (option == "-window-id" || option.rfind("-window-id=", 0) == 0) {
            std::string value;
            if (option == "-window-id") {
                if (i + 1 >= arguments.size()) return std::nullopt;
                value = arguments[++i];
            } else {
                value = option.substr(std::string("-window-id=").size());
            }
            auto id = ParseWindowId(value);
            if (!id) return std::nullopt;
            options.target = HackOptions::Target::WindowId;
            options.windowId = *id;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

std::string HackUsage(const std::string& programName) {
    return "usage: " + programName + " [-root | -window-id ID | -window]";
}
