// libFuzzer target: the conversions of a stored setting's text, with either
// decimal separator. Text that is not a value of the type raises Type
// mismatch (13) or Overflow (6), nothing else; a value read writes a text
// that reads back as the same value.
//
// The first byte picks the decimal separator (odd: a comma); the rest is the
// text.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/SettingsText.h"
#include "runtime/base/RuntimeError.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

template <typename Read>
void Converts(Read&& read) {
    try {
        read();
    } catch (const vb::RuntimeError& error) {
        Require(error.Number() == vb::kErrTypeMismatch || error.Number() == vb::kErrOverflow);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = (data[0] & 1) ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    Converts([&] { (void)SettingsText::ToDouble(text, separator); });
    Converts([&] { (void)SettingsText::ToBoolean(text, separator); });
    Converts([&] {
        const vb::Integer value = SettingsText::ToInteger(text, separator);
        Require(SettingsText::ToInteger(SettingsText::IntegerText(value), separator) == value);
    });
    Converts([&] {
        const vb::Single value = SettingsText::ToSingle(text, separator);
        if (!std::isfinite(value)) return;
        const vb::Single again = SettingsText::ToSingle(SettingsText::SingleText(value, separator), separator);
        // Seven significant digits hold a Single to within one part in 10^7.
        Require(again == value || std::fabs(again - value) <= std::fabs(value) * 1e-6f);
    });
    return 0;
}
