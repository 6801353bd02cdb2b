#pragma once
// When the drawing windows show what the animation drew.
//
// Paced: a step that finds the previous frame not shown yet waits for it, so
// the animation advances one step per display refresh and the CPU idles in
// between. The frame ticks follow the screen's refresh rate (FrameClock).
// Without frame requests a step's drawing is presented at the end of the
// step, before the wait (what events draw during it, at the tick). With
// frame requests (where the platform delivers them in step with the display,
// as Wayland does) each window with new drawing asks Qt for an update at the
// tick (QWindow::requestUpdate) and presents when that arrives; a requested
// frame that does not arrive within kFrameTimeoutMs (a hidden or obscured
// window on some platforms) is presented at once. On X11 a frame request is
// only a further timer, so there frames are not requested: one wake-up a
// frame instead of two. A widget whose surface the window system paces
// itself (QtNativeSurface::PacedByWindowSystem, Wayland's frame callbacks)
// and a window that is not a widget (QtFrameSink) present at the end of
// each step and at the ticks, and send their drawing only when the window
// system has asked for a frame, else keep it. While every such window has
// waited longer than kFrameTimeoutMs for that (hidden windows are never
// asked), the ticks come at that interval.
// Unpaced (benchmarks): every step's drawing is presented at once.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWindow>

#include <vector>

#include "runtime/FrameClock.h"
#include "runtime/qt/QtSurfaceWidget.h"

namespace vb {

// A drawing window that is not a Qt widget: a window of the program's own
// on the window system, presented with the step's drawing and at the ticks
// as the widgets are where frames are not requested.
class QtFrameSink {
public:
    virtual ~QtFrameSink() = default;
    virtual bool HasUnshownDrawing() const = 0;
    // Sends the drawing (a window whose window system has not asked for
    // the next frame keeps it for later).
    virtual void Present() = 0;
    virtual void PauseDrawing() = 0;
    // A frame was sent more than `ms` ago and the window system has not
    // asked for the next since (a hidden window is never asked).
    virtual bool FrameOverdue(int ms) const = 0;
    // Around the wait for a tick: the window's own connection need not wake
    // the program for what it says meanwhile, and is read after the tick.
    virtual void BeforeWait() {}
    virtual void AfterWait() {}
};

class QtFramePacer final : public QObject {
public:
    static constexpr int kFrameTimeoutMs = 100;

    QtFramePacer(bool paced, double refreshHz, bool frameRequests);
    ~QtFramePacer() override;

    bool Paced() const { return mPaced; }
    bool FrameRequests() const { return mFrameRequests; }
    // Windows whose drawing the pacer presents; forgotten when deleted.
    void Track(QtSurfaceWidget* surface);
    // Windows that are not widgets, until they are forgotten.
    void AddSink(QtFrameSink* sink) { mSinks.push_back(sink); }
    void RemoveSink(QtFrameSink* sink) { std::erase(mSinks, sink); }

    // Called once per step after the pending events ran: waits for the
    // previous frame (paced) and schedules the next, or presents at once.
    void EndOfStep();

    // Ends every window's drawing painter before events run, since the
    // toolkit may paint or replace a backing store a canvas draws on.
    void PauseDrawing();

    // Frames presented so far (a frame with nothing new counts too).
    long FramesShown() const { return mFramesShown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTick();
    // Every window the window system paces has waited for it to ask for a
    // frame for longer than kFrameTimeoutMs.
    bool NoFramesAsked();
    void FinishFrame();
    void PresentRemaining();
    std::vector<QtSurfaceWidget*> LiveSurfaces();

    bool mPaced;
    bool mFrameRequests;
    FrameClock mClock;
    QElapsedTimer mSinceStart;
    QTimer mTickTimer;
    QTimer mWatchdog;
    bool mFrameInFlight = false;
    std::vector<QPointer<QtSurfaceWidget>> mSurfaces;
    // Windows asked for an update at this frame's tick that have not
    // presented yet.
    std::vector<QPointer<QtSurfaceWidget>> mAwaiting;
    QSet<QWindow*> mFiltered;
    std::vector<QtFrameSink*> mSinks;
    long mFramesShown = 0;
};

}  // namespace vb
