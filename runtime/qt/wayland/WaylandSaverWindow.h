#pragma once
// The saver's full-screen windows on Wayland, on a connection of the
// program's own beside Qt's (WaylandConnection).
//
// Qt's Wayland platform reads its connection on two threads of its own,
// which hand every batch of events to the main thread: each frame of a
// window on that connection (the buffer coming back, the compositor asking
// for the next frame) wakes three threads several times over. These windows
// are xdg toplevels on a connection that only the main thread reads, and
// not while it waits for the next tick: a frame costs the tick's one
// wake-up, and what the compositor said meanwhile is read after it.
//
// Each window is full screen on the output that shows its monitor (one of
// Qt's screens, found by its name), with no pointer over it; keys, pointer
// moves and clicks go to the window's portable side as the widgets' do. The
// frames are WaylandFrames, at the output's scale.

#include <memory>

#include "runtime/WindowBackend.h"

class QScreen;

namespace vb {

class QtFramePacer;
class WaylandConnection;

class WaylandSaverWindows {
public:
    WaylandSaverWindows();
    ~WaylandSaverWindows();

    // A full-screen window of the program's own, or nullptr (the window is
    // then a Qt widget): not full screen, another platform than Wayland, no
    // compositor to connect to, or GYROBLOOM_RASTER or GYROBLOOM_QT_WINDOWS
    // set in the environment. Connects at the first window.
    // The window covers `screen` (Qt's, for the output of the same name).
    std::unique_ptr<WindowBackend> Create(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale,
                                          QScreen* screen, QtFramePacer& pacer);

private:
    std::unique_ptr<WaylandConnection> mConnection;
    bool mTried = false;
};

}  // namespace vb
