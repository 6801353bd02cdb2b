#include "engine/MainLib2.h"

#include "runtime/base/RuntimeError.h"

namespace MainLib2 {

vb::Long ColorWheel(const vb::Integer& h, const vb::Integer& d) {
    using vb::Long;
    // The falling components start at 256, so a segment's first colour can
    // carry a 256 that only the packing caps at 255.
    Long red, green, blue;
    if (h < 256) {
        red = 255, green = h, blue = 0;
    } else if (h < 512) {
        red = 512 - h, green = 255, blue = 0;
    } else if (h < 768) {
        red = 0, green = 255, blue = h - 512;
    } else if (h < 1024) {
        red = 0, green = 1024 - h, blue = 255;
    } else if (h < 1280) {
        red = h - 1024, green = 0, blue = 255;
    } else {
        red = 255, green = 0, blue = 1536 - h;
    }
    try {
        return vb::RGB(vb::Mod(red, d), vb::Mod(green, d), vb::Mod(blue, d));
    } catch (const vb::RuntimeError&) {
        return 0;  // black: a divisor of 0 (silence) is the usual cause
    }
}

}  // namespace MainLib2
