// Loading and storing the fourteen parameters under "Gyrobloom", section
// "Settings".
//
// A stored text that does not convert, or a value the animation cannot run
// with (no rays, a colour shift that rounds to 0, a negative trail or width,
// a size, speed or rotation too large to read back), loads as that key's
// default, as if it were absent. The stored text stays as it is until the
// next save, so the user can still open the dialog and repair it.

#include <array>
#include <functional>

#include "engine/SettingsText.h"
#include "engine/clsGyrobloom.h"
#include "runtime/Platform.h"

using vb::Integer;
using vb::Single;

namespace {

constexpr const char* kSection = "Settings";

enum class Kind { Single, Integer, Boolean };

struct SettingKey {
    const char* key;
    Kind kind;
    const char* defaultText;
};

// In the order both methods process them.
constexpr std::array<SettingKey, 14> kKeys{{
    {"Horizontal Size", Kind::Single, "75"},
    {"Horizontal Speed", Kind::Single, "100"},
    {"Vertical Size", Kind::Single, "100"},
    {"Vertical Speed", Kind::Single, "100"},
    {"Line Length", Kind::Integer, "5"},
    {"Number of Rays", Kind::Integer, "3"},
    {"Rotation", Kind::Single, "100"},
    {"Mirror", Kind::Boolean, "0"},
    {"Random", Kind::Boolean, "1"},
    {"Pulse Rotation", Kind::Boolean, "0"},
    {"Pulse In/Out", Kind::Boolean, "0"},
    {"Ray Width", Kind::Integer, "25"},
    {"Draw Style", Kind::Integer, "0"},
    {"Color Scale", Kind::Single, "95"},
}};

// A converted value, in whichever type its key has.
struct Value {
    double number = 0;
    bool truth = false;
};

Value Convert(const SettingKey& key, const std::string& text, char separator) {
    Value value;
    switch (key.kind) {
    case Kind::Single: value.number = SettingsText::ToSingle(text, separator); break;
    case Kind::Integer: value.number = SettingsText::ToInteger(text, separator); break;
    case Kind::Boolean: value.truth = SettingsText::ToBoolean(text, separator); break;
    }
    return value;
}

}  // namespace

// Applies one key to the engine (through its Let), and checks that the
// animation can run with it: reading it back must work, and the counts and
// divisors the loop relies on must be usable. Raises when not.
static void ApplySetting(clsGyrobloom& e, size_t index, const Value& v) {
    const auto single = Single(v.number);
    const auto integer = Integer(v.number);
    auto require = [](bool ok) {
        if (!ok) vb::Raise(vb::kErrInvalidProperty);
    };
    switch (index) {
    case 0: e.XMaxPercent(single); (void)e.XMaxPercent(); break;
    case 1: e.XIncrPercent(single); (void)e.XIncrPercent(); break;
    case 2: e.YMaxPercent(single); (void)e.YMaxPercent(); break;
    case 3: e.YIncrPercent(single); (void)e.YIncrPercent(); break;
    case 4: require(integer >= 0); e.TrailLength(integer); break;
    case 5: require(integer >= 1); e.NumRays(integer); break;
    case 6: e.RotationSpeed(single); (void)e.RotationSpeed(); break;
    case 7: e.Mirror(v.truth); break;
    case 8: e.Random(v.truth); break;
    case 9: e.PulseRotation(v.truth); break;
    case 10: e.PulseInOut(v.truth); break;
    case 11: require(integer >= 0); e.RayWidth(integer); break;
    case 12: e.DrawStyle(integer); break;
    case 13: require(vb::CLng(single) != 0); e.ColorShift(single); break;
    }
}

void clsGyrobloom::RetrieveSettings() {
    const char separator = vb::App().DecimalSeparator();
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const SettingKey& key = kKeys[i];
        std::string text = vb::GetSetting(vb::kAppTitle, kSection, key.key, key.defaultText);
        // A scaled Let that cannot be read back leaves the field changed, so
        // the check runs on a copy first.
        clsGyrobloom probe = *this;
        try {
            ApplySetting(probe, i, Convert(key, text, separator));
        } catch (const vb::RuntimeError&) {
            text = key.defaultText;
        }
        ApplySetting(*this, i, Convert(key, text, separator));
    }
}

void clsGyrobloom::SaveSettings() {
    const char separator = vb::App().DecimalSeparator();
    auto number = [separator](Single value) { return SettingsText::SingleText(value, separator); };
    const std::array<std::function<std::string()>, 14> texts{{
        [&] { return number(XMaxPercent()); },
        [&] { return number(XIncrPercent()); },
        [&] { return number(YMaxPercent()); },
        [&] { return number(YIncrPercent()); },
        [&] { return SettingsText::IntegerText(TrailLength()); },
        [&] { return SettingsText::IntegerText(NumRays()); },
        [&] { return number(RotationSpeed()); },
        [&] { return SettingsText::BooleanText(Mirror()); },
        [&] { return SettingsText::BooleanText(Random()); },
        [&] { return SettingsText::BooleanText(PulseRotation()); },
        [&] { return SettingsText::BooleanText(PulseInOut()); },
        [&] { return SettingsText::IntegerText(RayWidth()); },
        [&] { return SettingsText::IntegerText(DrawStyle()); },
        [&] { return number(ColorShift()); },
    }};
    for (size_t i = 0; i < kKeys.size(); ++i) vb::SaveSetting(vb::kAppTitle, kSection, kKeys[i].key, texts[i]());
}
