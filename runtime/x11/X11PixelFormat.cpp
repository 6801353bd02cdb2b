#include "runtime/x11/X11PixelFormat.h"

namespace vb {

X11PixelFormat::X11PixelFormat(std::uint64_t redMask, std::uint64_t greenMask, std::uint64_t blueMask)
    : mRed(FromMask(redMask)), mGreen(FromMask(greenMask)), mBlue(FromMask(blueMask)),
      mDirect(mRed.bits > 0 && mGreen.bits > 0 && mBlue.bits > 0) {}

X11PixelFormat::Channel X11PixelFormat::FromMask(std::uint64_t mask) {
    Channel channel;
    if (mask == 0) return channel;
    while (!(mask & 1)) {
        mask >>= 1;
        ++channel.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++channel.bits;
    }
    return channel;
}

std::uint64_t X11PixelFormat::Place(unsigned value8, const Channel& channel) {
    // A wider channel repeats the top bits, so that 255 is the channel's
    // full value at any width.
    std::uint64_t value;
    if (channel.bits >= 8) {
        value = std::uint64_t(value8) << (channel.bits - 8);
        value |= value >> 8;
    } else {
        value = value8 >> (8 - channel.bits);
    }
    return value << channel.shift;
}

std::uint64_t X11PixelFormat::Pixel(Long color) const {
    const unsigned red = unsigned(color) & 0xFF, green = (unsigned(color) >> 8) & 0xFF,
                   blue = (unsigned(color) >> 16) & 0xFF;
    return Place(red, mRed) | Place(green, mGreen) | Place(blue, mBlue);
}

}  // namespace vb
