// The keys of the saver's own Wayland windows: the keyboard's evdev codes
// become the virtual-key codes the program's key handlers get from the Qt
// windows (through the same table), whatever the row of the keyboard.

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include "runtime/qt/QtInput.h"
#include "runtime/qt/wayland/WaylandConnection.h"

namespace {

TEST(WaylandKeys, EvdevCodesGiveTheVirtualKeysOfTheQtWindows) {
    struct Row {
        const char* name;
        std::uint32_t code;
        vb::Integer virtualKey;
    };
    const Row rows[] = {
        {"first and last digit", KEY_1, '1'},      {"zero after nine", KEY_0, '0'},
        {"top row", KEY_Q, 'Q'},                   {"top row's end", KEY_P, 'P'},
        {"home row", KEY_A, 'A'},                  {"home row's end", KEY_L, 'L'},
        {"bottom row", KEY_Z, 'Z'},                {"bottom row's end", KEY_M, 'M'},
        {"space", KEY_SPACE, 32},                  {"escape", KEY_ESC, 27},
        {"enter", KEY_ENTER, 13},                  {"keypad enter", KEY_KPENTER, 13},
        {"left shift", KEY_LEFTSHIFT, 16},         {"right control", KEY_RIGHTCTRL, 17},
        {"right alt", KEY_RIGHTALT, 18},           {"F1", KEY_F1, 112},
        {"F10", KEY_F10, 121},                     {"F11, apart from F10", KEY_F11, 122},
        {"F12", KEY_F12, 123},                     {"left arrow", KEY_LEFT, 37},
        {"down arrow", KEY_DOWN, 40},              {"delete", KEY_DELETE, 46},
        {"a key with no name here", KEY_MUTE, vb::kVkUnmapped},
        {"past the letters' rows", KEY_SEMICOLON, 186},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(vb::VirtualKeyFor(vb::QtKeyForEvdev(row.code)), row.virtualKey);
    }
}

}  // namespace
