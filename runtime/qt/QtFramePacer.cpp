#include "runtime/qt/QtFramePacer.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cmath>

namespace vb {

QtFramePacer::QtFramePacer(bool paced, double refreshHz, bool frameRequests)
    : mPaced(paced), mFrameRequests(frameRequests), mClock(refreshHz) {
    mSinceStart.start();
    mTickTimer.setSingleShot(true);
    mTickTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTickTimer, &QTimer::timeout, this, [this] { OnTick(); });
    // The watchdog only wakes the wait in EndOfStep; the wait itself checks
    // the time.
    mWatchdog.setSingleShot(true);
    mWatchdog.setTimerType(Qt::PreciseTimer);
}

QtFramePacer::~QtFramePacer() = default;

void QtFramePacer::Track(QtSurfaceWidget* surface) { mSurfaces.emplace_back(surface); }

std::vector<QtSurfaceWidget*> QtFramePacer::LiveSurfaces() {
    std::erase_if(mSurfaces, [](const QPointer<QtSurfaceWidget>& s) { return s.isNull(); });
    std::vector<QtSurfaceWidget*> live;
    for (const auto& surface : mSurfaces) live.push_back(surface.data());
    return live;
}

void QtFramePacer::PauseDrawing() {
    for (QtSurfaceWidget* surface : LiveSurfaces()) surface->Canvas().Pause();
    for (QtFrameSink* sink : mSinks) sink->PauseDrawing();
}

void QtFramePacer::EndOfStep() {
    for (QtFrameSink* sink : mSinks)
        if (sink->HasUnshownDrawing()) sink->Present();
    if (!mPaced) {
        for (QtSurfaceWidget* surface : LiveSurfaces()) surface->Present();
        ++mFramesShown;
        return;
    }

    // Where the ticks are only a timer the window system shows what it gets
    // at once, so the step's drawing goes out now and the wait below only
    // spaces the steps a frame apart. Held for the tick, every picture would
    // come a frame later than the sound it shows. So too for a surface the
    // window system paces itself: it sends the drawing if a frame was asked
    // for, or keeps it.
    for (const QPointer<QtSurfaceWidget>& surface : mSurfaces)
        if (surface && (!mFrameRequests || surface->PacedByWindowSystem()) && surface->HasUnshownDrawing())
            surface->Present();

    if (mFrameInFlight) {
        QElapsedTimer waited;
        waited.start();
        // Only a requested frame can fail to come; a tick always does.
        if (mFrameRequests) mWatchdog.start(kFrameTimeoutMs);
        for (QtFrameSink* sink : mSinks) sink->BeforeWait();
        while (mFrameInFlight) {
            if (waited.elapsed() >= kFrameTimeoutMs) {
                PresentRemaining();
                break;
            }
            // Event handlers run here as in any other yield.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        if (mFrameRequests) mWatchdog.stop();
        // Reading a window's connection runs its handlers, which may close
        // windows: each is asked only while it is still there.
        const std::vector<QtFrameSink*> sinks = mSinks;
        for (QtFrameSink* sink : sinks)
            if (std::find(mSinks.begin(), mSinks.end(), sink) != mSinks.end()) sink->AfterWait();
    }

    mFrameInFlight = true;
    const double now = double(mSinceStart.nsecsElapsed()) / 1e6;
    const double tick = mClock.ClaimNextTick(now);
    int delay = std::max(0, int(std::ceil(tick - now)));
    // Nobody is shown what is drawn: the animation goes on, slowly.
    if (NoFramesAsked()) delay = std::max(delay, kFrameTimeoutMs);
    mTickTimer.start(delay);
}

bool QtFramePacer::NoFramesAsked() {
    // Only windows the window system paces count; any other is shown at once.
    bool anyPaced = false;
    for (QtFrameSink* sink : mSinks) {
        if (!sink->FrameOverdue(kFrameTimeoutMs)) return false;
        anyPaced = true;
    }
    for (QtSurfaceWidget* surface : LiveSurfaces()) {
        if (!surface->PacedByWindowSystem()) continue;
        if (!surface->FrameOverdue(kFrameTimeoutMs)) return false;
        anyPaced = true;
    }
    return anyPaced;
}

void QtFramePacer::OnTick() {
    mAwaiting.clear();
    for (QtFrameSink* sink : mSinks)
        if (sink->HasUnshownDrawing()) sink->Present();
    for (QtSurfaceWidget* surface : LiveSurfaces()) {
        if (!surface->HasUnshownDrawing()) continue;
        QWindow* window = surface->windowHandle();
        if (!mFrameRequests || !window || !surface->isVisible() || surface->PacedByWindowSystem()) {
            surface->Present();
            continue;
        }
        if (!mFiltered.contains(window)) {
            window->installEventFilter(this);
            mFiltered.insert(window);
            connect(window, &QObject::destroyed, this, [this, window] { mFiltered.remove(window); });
        }
        mAwaiting.emplace_back(surface);
        window->requestUpdate();
    }
    if (mAwaiting.empty()) FinishFrame();
}

bool QtFramePacer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::UpdateRequest && mFrameInFlight) {
        auto it = std::find_if(mAwaiting.begin(), mAwaiting.end(), [watched](const QPointer<QtSurfaceWidget>& s) {
            return s && s->windowHandle() == watched;
        });
        if (it != mAwaiting.end()) {
            QPointer<QtSurfaceWidget> surface = *it;
            mAwaiting.erase(it);
            surface->Present();
            std::erase_if(mAwaiting, [](const QPointer<QtSurfaceWidget>& s) { return s.isNull(); });
            if (mAwaiting.empty()) FinishFrame();
            // Consumed: Qt's own handling of a widget window's update request
            // repaints the whole window, a full-screen copy per frame for
            // what is usually a few small rectangles.
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void QtFramePacer::PresentRemaining() {
    mTickTimer.stop();
    for (QtSurfaceWidget* surface : LiveSurfaces()) surface->Present();
    mAwaiting.clear();
    FinishFrame();
}

void QtFramePacer::FinishFrame() {
    mFrameInFlight = false;
    ++mFramesShown;
}

}  // namespace vb
