// Loading and storing the fourteen parameters under "Gyrobloom", section
// "Settings".
//
// A stored text that does not convert, or a value the animation cannot run
// with, loads as that key's default, as if it were absent. The stored text
// stays as it is until the next save, so the user can still open the dialog
// and repair it. The values the animation cannot run with are those that
// make a step fail: no rays, a colour shift that rounds to 0 or whose hue
// step could overflow, a negative trail or width, more ray history than
// memory sensibly holds, a rotation too large to read back, and sizes or
// speeds that overflow (a size beyond 100 percent of the centre can put a
// point off the 16-bit range; a speed beyond 2500 can overflow a radius in
// one step).

#include <array>
#include <cmath>

#include "engine/SettingsText.h"
#include "engine/clsGyrobloom.h"
#include "runtime/Platform.h"

using vb::Integer;
using vb::Single;

namespace {

constexpr const char* kSection = "Settings";

constexpr double kMaxSizePercent = 100;
constexpr double kMaxSpeedPercent = 2500;
constexpr double kMaxColorShift = 31232;     // Hue (< 1536) + hue step must fit an Integer
constexpr long kMaxHistorySlots = 1L << 20;  // rays x trail slots: 8 MiB of history

enum class Kind { Single, Integer, Boolean };

// One stored parameter: its key, how its text converts, its default text,
// whether the animation can run with a value, and how it reaches the engine.
struct SettingKey {
    const char* key;
    Kind kind;
    const char* defaultText;
    bool (*usable)(const clsGyrobloom& engine, double value);
    void (*let)(clsGyrobloom& engine, double number, bool truth);
    std::string (*text)(const clsGyrobloom& engine, char separator);
};

bool Any(const clsGyrobloom&, double) { return true; }
bool Size(const clsGyrobloom&, double v) { return std::fabs(v) <= kMaxSizePercent; }
bool Speed(const clsGyrobloom&, double v) { return std::fabs(v) <= kMaxSpeedPercent; }
bool NotNegative(const clsGyrobloom&, double v) { return v >= 0; }
bool Rays(const clsGyrobloom& e, double v) {
    return v >= 1 && (long(v) + 1) * (long(e.TrailLength()) + 1) <= kMaxHistorySlots;
}
bool Readable(const clsGyrobloom&, double v) { return v >= -32768 && v <= 32767; }
bool Shift(const clsGyrobloom&, double v) {
    // The loop divides by the colour shift rounded to a whole number.
    return std::fabs(v) <= kMaxColorShift && vb::CLng(v) != 0;
}

std::string Number(Single value, char separator) { return SettingsText::SingleText(value, separator); }
std::string Whole(Integer value) { return SettingsText::IntegerText(value); }
std::string Truth(bool value) { return SettingsText::BooleanText(value); }

// In the order both methods process them.
const std::array<SettingKey, 14> kKeys{{
    {"Horizontal Size", Kind::Single, "75", Size, [](clsGyrobloom& e, double v, bool) { e.XMaxPercent(Single(v)); },
     [](const clsGyrobloom& e, char s) { return Number(e.XMaxPercent(), s); }},
    {"Horizontal Speed", Kind::Single, "100", Speed,
     [](clsGyrobloom& e, double v, bool) { e.XIncrPercent(Single(v)); },
     [](const clsGyrobloom& e, char s) { return Number(e.XIncrPercent(), s); }},
    {"Vertical Size", Kind::Single, "100", Size, [](clsGyrobloom& e, double v, bool) { e.YMaxPercent(Single(v)); },
     [](const clsGyrobloom& e, char s) { return Number(e.YMaxPercent(), s); }},
    {"Vertical Speed", Kind::Single, "100", Speed,
     [](clsGyrobloom& e, double v, bool) { e.YIncrPercent(Single(v)); },
     [](const clsGyrobloom& e, char s) { return Number(e.YIncrPercent(), s); }},
    {"Line Length", Kind::Integer, "5", NotNegative,
     [](clsGyrobloom& e, double v, bool) { e.TrailLength(Integer(v)); },
     [](const clsGyrobloom& e, char) { return Whole(e.TrailLength()); }},
    {"Number of Rays", Kind::Integer, "3", Rays, [](clsGyrobloom& e, double v, bool) { e.NumRays(Integer(v)); },
     [](const clsGyrobloom& e, char) { return Whole(e.NumRays()); }},
    {"Rotation", Kind::Single, "100", Readable, [](clsGyrobloom& e, double v, bool) { e.RotationSpeed(Single(v)); },
     [](const clsGyrobloom& e, char s) { return Number(e.RotationSpeed(), s); }},
    {"Mirror", Kind::Boolean, "0", Any, [](clsGyrobloom& e, double, bool t) { e.Mirror(t); },
     [](const clsGyrobloom& e, char) { return Truth(e.Mirror()); }},
    {"Random", Kind::Boolean, "1", Any, [](clsGyrobloom& e, double, bool t) { e.Random(t); },
     [](const clsGyrobloom& e, char) { return Truth(e.Random()); }},
    {"Pulse Rotation", Kind::Boolean, "0", Any, [](clsGyrobloom& e, double, bool t) { e.PulseRotation(t); },
     [](const clsGyrobloom& e, char) { return Truth(e.PulseRotation()); }},
    {"Pulse In/Out", Kind::Boolean, "0", Any, [](clsGyrobloom& e, double, bool t) { e.PulseInOut(t); },
     [](const clsGyrobloom& e, char) { return Truth(e.PulseInOut()); }},
    {"Ray Width", Kind::Integer, "25", NotNegative, [](clsGyrobloom& e, double v, bool) { e.RayWidth(Integer(v)); },
     [](const clsGyrobloom& e, char) { return Whole(e.RayWidth()); }},
    {"Draw Style", Kind::Integer, "0", Any, [](clsGyrobloom& e, double v, bool) { e.DrawStyle(Integer(v)); },
     [](const clsGyrobloom& e, char) { return Whole(e.DrawStyle()); }},
    {"Color Scale", Kind::Single, "95", Shift, [](clsGyrobloom& e, double v, bool) { e.ColorShift(Single(v)); },
     [](const clsGyrobloom& e, char s) { return Number(e.ColorShift(), s); }},
}};

// The value of a text in its key's type: a number (Single or Integer, already
// rounded and range-checked) or a truth value. Raises for text that does not
// convert.
struct Converted {
    double number = 0;
    bool truth = false;
};

Converted Convert(const SettingKey& key, const std::string& text, char separator) {
    Converted value;
    switch (key.kind) {
    case Kind::Single: value.number = SettingsText::ToSingle(text, separator); break;
    case Kind::Integer: value.number = SettingsText::ToInteger(text, separator); break;
    case Kind::Boolean: value.truth = SettingsText::ToBoolean(text, separator); break;
    }
    return value;
}

}  // namespace

void clsGyrobloom::RetrieveSettings() {
    const char separator = vb::App().DecimalSeparator();
    for (const SettingKey& key : kKeys) {
        Converted value;
        try {
            value = Convert(key, vb::GetSetting(vb::kAppTitle, kSection, key.key, key.defaultText), separator);
            if (!key.usable(*this, value.number)) value = Convert(key, key.defaultText, separator);
        } catch (const vb::RuntimeError&) {
            value = Convert(key, key.defaultText, separator);
        }
        key.let(*this, value.number, value.truth);
    }
}

void clsGyrobloom::SaveSettings() {
    const char separator = vb::App().DecimalSeparator();
    for (const SettingKey& key : kKeys) vb::SaveSetting(vb::kAppTitle, kSection, key.key, key.text(*this, separator));
}
