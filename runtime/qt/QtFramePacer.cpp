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
}

void QtFramePacer::EndOfStep() {
    if (!mPaced) {
        for (QtSurfaceWidget* surface : LiveSurfaces()) surface->Present();
        ++mFramesShown;
        return;
    }

    if (!mFrameRequests) {
        // The ticks are only a timer: the window system shows what it gets at
        // once, so the step's drawing goes out now and the wait below only
        // spaces the steps a frame apart. Held for the tick, every picture
        // would come a frame later than the sound it shows.
        for (const QPointer<QtSurfaceWidget>& surface : mSurfaces)
            if (surface && surface->HasUnshownDrawing()) surface->Present();
    }

    if (mFrameInFlight) {
        QElapsedTimer waited;
        waited.start();
        // Only a requested frame can fail to come; a tick always does.
        if (mFrameRequests) mWatchdog.start(kFrameTimeoutMs);
        while (mFrameInFlight) {
            if (waited.elapsed() >= kFrameTimeoutMs) {
                PresentRemaining();
                break;
            }
            // Event handlers run here as in any other yield.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        if (mFrameRequests) mWatchdog.stop();
    }

    mFrameInFlight = true;
    const double now = double(mSinceStart.nsecsElapsed()) / 1e6;
    const double tick = mClock.ClaimNextTick(now);
    mTickTimer.start(std::max(0, int(std::ceil(tick - now))));
}

void QtFramePacer::OnTick() {
    mAwaiting.clear();
    for (QtSurfaceWidget* surface : LiveSurfaces()) {
        if (!surface->HasUnshownDrawing()) continue;
        QWindow* window = surface->windowHandle();
        if (!mFrameRequests || !window || !surface->isVisible()) {
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
