#pragma once
// How the program's colours (red + 256 * green + 65536 * blue) become pixel
// values of a window's visual.
//
// Implemented: true-colour and direct-colour visuals of any depth, from the
// visual's channel masks (a channel narrower than 8 bits keeps its top bits).
// Other visuals (palettes) are served by the X11Canvas through the colour
// map; this class only says that it cannot.

#include <cstdint>

#include "runtime/base/VbTypes.h"

namespace vb {

class X11PixelFormat final {
public:
    // Channel masks as the visual gives them; all zero for a palette visual.
    X11PixelFormat(std::uint64_t redMask, std::uint64_t greenMask, std::uint64_t blueMask);

    bool Direct() const { return mDirect; }
    // The pixel value of a colour; black is 0. Only for a direct format.
    std::uint64_t Pixel(Long color) const;

private:
    struct Channel {
        int shift = 0;  // where the channel's lowest bit lies
        int bits = 0;   // how many bits it has
    };
    static Channel FromMask(std::uint64_t mask);
    static std::uint64_t Place(unsigned value8, const Channel& channel);

    Channel mRed, mGreen, mBlue;
    bool mDirect;
};

}  // namespace vb
