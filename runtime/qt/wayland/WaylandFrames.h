#pragma once
// The frames of one Wayland surface: shared-memory buffers that a QtCanvas
// draws straight into, sent to the surface with only the changed tiles
// damaged, and paced by the compositor's frame callbacks.
//
// The compositor may read a buffer until it gives it back (release), so the
// canvas draws on another meanwhile; before it does, that buffer takes the
// tiles drawn since it was last current (a few rectangles a frame, where
// Qt's own backing store copies the whole frame). Two buffers take turns, a
// third is made while the compositor is slow to give one back, and with all
// three held the drawing goes on in the one shown.
//
// The buffers' events (release, frame done) come with the connection's
// other events, on the thread that dispatches them (the main thread).

#include <QElapsedTimer>
#include <QRegion>

#include <memory>
#include <vector>

struct wl_buffer;
struct wl_callback;
struct wl_shm;
struct wl_surface;

namespace vb {

class QtCanvas;

class WaylandFrames {
public:
    // Draws `canvas` into the buffers (its target source) from now on.
    WaylandFrames(wl_shm* shm, QtCanvas& canvas);
    ~WaylandFrames();
    WaylandFrames(const WaylandFrames&) = delete;
    WaylandFrames& operator=(const WaylandFrames&) = delete;

    // Sends what the canvas drew since the last frame (all of it when
    // `whole`) to the surface, at the canvas's device pixel ratio as the
    // buffer scale: attach, damage, a frame callback, commit. Nothing while
    // the previous frame is pending or nothing changed; false then. The
    // caller flushes the connection.
    bool Show(wl_surface* surface, bool whole);
    // A frame was sent and the compositor has not asked for the next.
    bool FramePending() const { return mFrame != nullptr; }
    // And it was sent more than `ms` ago (a hidden window is never asked).
    bool FrameOverdue(int ms) const { return mFrame && mSent.elapsed() > ms; }
    // The frames go to a new surface from now on (a window shown again):
    // the old one's frame will never come.
    void NewSurface() {
        ForgetFrame();
        mBufferScale = 0;
    }
    // Lets the buffers and the frame go now (before the surface goes).
    void Drop() {
        ForgetFrame();
        DropBuffers();
    }

private:
    struct Buffer;
    QImage* Target();
    Buffer* NewBuffer();
    Buffer* FreeBuffer(const Buffer* except);
    void DropBuffers();
    static void OnRelease(void* data, wl_buffer* buffer);
    static void OnFrameDone(void* data, wl_callback* callback, uint32_t time);
    void ForgetFrame();

    wl_shm* mShm;
    QtCanvas& mCanvas;
    std::vector<std::unique_ptr<Buffer>> mBuffers;
    Buffer* mBack = nullptr;   // the one the canvas draws on; chosen when drawing starts
    Buffer* mFront = nullptr;  // the one last sent
    wl_callback* mFrame = nullptr;
    QElapsedTimer mSent;  // since the last frame was sent
    int mBufferScale = 0;  // as last set on the surface; 0: not yet
    bool mSaidNoMemory = false;
};

}  // namespace vb
