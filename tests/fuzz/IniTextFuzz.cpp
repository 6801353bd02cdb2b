// libFuzzer target: the INI text of a settings file, as a user's editor may
// have left it. Whatever the text, reading and editing it must not crash or
// hang, and a value set must read back exactly, also from the text written.
//
// The input is the file's text, then, after the last NUL, the section, key
// and value to set, separated by '\x01'.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/posix/IniText.h"

namespace {

std::string Field(const std::string& text, size_t& from) {
    const size_t end = text.find('\x01', from);
    std::string field = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    from = end == std::string::npos ? text.size() : end + 1;
    return field;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.rfind('\0');
    const std::string file = split == std::string::npos ? input : input.substr(0, split);
    const std::string edit = split == std::string::npos ? "" : input.substr(split + 1);
    size_t at = 0;
    const std::string section = Field(edit, at), key = Field(edit, at), value = Field(edit, at);

    vb::IniText ini(file);
    (void)ini.Get(section, key);
    const std::string unchanged = ini.Text();
    Require(vb::IniText(unchanged).Text() == unchanged);  // reading a written text changes nothing

    if (!vb::IniText::CanHoldSection(section) || !vb::IniText::CanHoldKey(key)) return 0;
    ini.Set(section, key, value);
    Require(ini.Get(section, key) == value);
    Require(vb::IniText(ini.Text()).Get(section, key) == value);
    return 0;
}
