#pragma once
// The command line of gyrobloom-hack, as screen-saver daemons write it:
//
//   -root, --root              draw on the window named by
//                              $XSCREENSAVER_WINDOW, else on the root window
//   -window-id ID, --window-id ID, --window-id=ID
//                              draw on that window (decimal or 0x hex)
//   -window, --window          open a window of its own (the default)
//
// The last of these wins. Anything else is a usage error.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HackOptions {
    enum class Target {
        Root,      // $XSCREENSAVER_WINDOW or the root window
        WindowId,  // windowId
        Own,       // a window of its own
    };
    Target target = Target::Own;
    std::uint64_t windowId = 0;
};

// The options, or nothing for a command line that is not one of the above.
std::optional<HackOptions> ParseHackOptions(const std::vector<std::string>& arguments);

// A window id: decimal, or hexadecimal after 0x or 0X; nothing for any other
// text, for 0 and for a number beyond 32 bits (X ids are 29 bits).
std::optional<std::uint64_t> ParseWindowId(const std::string& text);

// The line printed for a usage error.
std::string HackUsage(const std::string& programName);
