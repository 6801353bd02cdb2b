// A test helper for the hack's real-window tests: makes the windows a
// screen-saver daemon would hand the hack (the screen is read by
// tests/real/screen.py).
//
//   gyrobloom_xprobe window X Y W H
//       Maps a black top-level window, prints its id (decimal), then obeys
//       lines on standard input: "resize W H", "destroy"; each answers "ok"
//       once the server has done it. Ends at the end of input.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: gyrobloom_xprobe window X Y W H\n");
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
    const int status = command == "window" ? MakeWindow(display, x, y, w, h) : Usage();
    XCloseDisplay(display);
    return status;
}
