// A test helper for the hack's real-window tests: makes the windows a
// screen-saver daemon would hand the hack, and reads back what is on the
// screen.
//
//   gyrobloom_xprobe window X Y W H
//       Maps a black top-level window, prints its id (decimal), then obeys
//       lines on standard input: "resize W H", "destroy"; each answers "ok"
//       once the server has done it. Ends at the end of input.
//   gyrobloom_xprobe look X Y W H
//       Reads the whole screen and prints shell assignments about it:
//       inside_lit (pixels inside the rectangle that are not black),
//       outside_changed (pixels outside it that are not white, the test
//       server's root colour), colours (distinct lit colours inside, at
//       most 1000), and left top right bottom (the lit pixels' bounding box
//       inside the rectangle, in its coordinates; -1 when none).

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace {

constexpr unsigned long kWhite = 0xFFFFFF;
constexpr size_t kMaxColours = 1000;

int Usage() {
    std::fprintf(stderr, "usage: gyrobloom_xprobe window|look X Y W H\n");
    return 2;
}

int MakeWindow(Display* display, int x, int y, int w, int h) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes set;
    set.background_pixel = BlackPixel(display, screen);
    set.override_redirect = True;
    Window window = XCreateWindow(display, RootWindow(display, screen), x, y, unsigned(w), unsigned(h), 0,
                                  CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &set);
    XMapRaised(display, window);
    XSync(display, False);
    std::cout << window << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "resize") {
            unsigned width = 0, height = 0;
            words >> width >> height;
            XResizeWindow(display, window, width, height);
        } else if (command == "destroy") {
            XDestroyWindow(display, window);
        } else {
            std::cout << "unknown command" << std::endl;
            continue;
        }
        XSync(display, False);
        std::cout << "ok" << std::endl;
    }
    return 0;
}

int Look(Display* display, int x, int y, int w, int h) {
    const int screen = DefaultScreen(display);
    const int sw = DisplayWidth(display, screen), sh = DisplayHeight(display, screen);
    XImage* image = XGetImage(display, RootWindow(display, screen), 0, 0, unsigned(sw), unsigned(sh), AllPlanes, ZPixmap);
    if (!image) return 1;
    long insideLit = 0, outsideChanged = 0;
    int left = -1, top = -1, right = -1, bottom = -1;
    std::set<unsigned long> colours;
    for (int py = 0; py < sh; ++py) {
        for (int px = 0; px < sw; ++px) {
            const unsigned long pixel = XGetPixel(image, px, py) & 0xFFFFFF;
            const bool inside = px >= x && px < x + w && py >= y && py < y + h;
            if (!inside) {
                if (pixel != kWhite) ++outsideChanged;
                continue;
            }
            if (pixel == 0) continue;
            ++insideLit;
            if (colours.size() < kMaxColours) colours.insert(pixel);
            const int rx = px - x, ry = py - y;
            if (left < 0 || rx < left) left = rx;
            if (right < 0 || rx > right) right = rx;
            if (top < 0 || ry < top) top = ry;
            if (bottom < 0 || ry > bottom) bottom = ry;
        }
    }
    XDestroyImage(image);
    std::printf("inside_lit=%ld outside_changed=%ld colours=%zu left=%d top=%d right=%d bottom=%d\n", insideLit,
                outsideChanged, colours.size(), left, top, right, bottom);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) return Usage();
    const std::string command = argv[1];
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), w = std::atoi(argv[4]), h = std::atoi(argv[5]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "gyrobloom_xprobe: no display\n");
        return 1;
    }
    int status;
    if (command == "window")
        status = MakeWindow(display, x, y, w, h);
    else if (command == "look")
        status = Look(display, x, y, w, h);
    else
        status = Usage();
    XCloseDisplay(display);
    return status;
}
