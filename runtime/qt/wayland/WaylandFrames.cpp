#include "runtime/qt/wayland/WaylandFrames.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/qt/QtCanvas.h"

namespace vb {
namespace {

constexpr std::size_t kMaxBuffers = 3;

void CopyRegion(const QImage& from, QImage& to, const QRegion& region) {
    const QRect bounds = from.rect() & to.rect();
    for (const QRect& area : region) {
        const QRect rect = area & bounds;
        if (rect.isEmpty()) continue;
        const std::size_t bytes = std::size_t(rect.width()) * 4;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            std::memcpy(to.scanLine(y) + rect.left() * 4, from.constScanLine(y) + rect.left() * 4, bytes);
    }
}

}  // namespace

struct WaylandFrames::Buffer {
    wl_buffer* buffer = nullptr;
    void* data = MAP_FAILED;
    std::size_t bytes = 0;
    QImage image;
    bool busy = false;  // the compositor holds it
    QRegion stale;      // drawn elsewhere since it was last brought up to date
};

WaylandFrames::WaylandFrames(wl_shm* shm, QtCanvas& canvas) : mShm(shm), mCanvas(canvas) {
    mCanvas.SetTargetSource([this] { return Target(); });
}

WaylandFrames::~WaylandFrames() {
    mCanvas.SetTargetSource({});
    ForgetFrame();
    DropBuffers();
}

void WaylandFrames::OnRelease(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }

void WaylandFrames::OnFrameDone(void* data, wl_callback*, uint32_t) { static_cast<WaylandFrames*>(data)->ForgetFrame(); }

void WaylandFrames::ForgetFrame() {
    if (mFrame) wl_callback_destroy(mFrame);
    mFrame = nullptr;
}

QImage* WaylandFrames::Target() {
    // After a resize the canvas holds its picture in an image of its own
    // until buffers of the new size exist.
    if (!mBuffers.empty() && mBuffers.front()->image.size() != mCanvas.DeviceSize()) DropBuffers();
    if (!mBack && !mFront) {
        mBack = FreeBuffer(nullptr);
        // The canvas fills it whole as it moves its picture there.
        if (mBack) mBack->stale = QRegion();
    } else if (!mBack) {
        // Chosen only now, when drawing starts again: by then the compositor
        // has usually given back the buffer before the one on screen, so
        // two buffers take turns. The one chosen takes the tiles it missed.
        mBack = FreeBuffer(mFront);
        if (mBack) {
            CopyRegion(mFront->image, mBack->image, mBack->stale);
        } else {
            // The compositor holds them all: drawing goes on in the one
            // shown rather than losing the picture.
            mBack = mFront;
        }
        mBack->stale = QRegion();
    }
    return mBack ? &mBack->image : nullptr;
}

WaylandFrames::Buffer* WaylandFrames::NewBuffer() {
    static constexpr wl_buffer_listener kBufferListener = {OnRelease};
    const QSize size = mCanvas.DeviceSize();
    const int stride = size.width() * 4;
    auto made = std::make_unique<Buffer>();
    made->bytes = std::size_t(stride) * std::size_t(size.height());
    const int fd = memfd_create("gyrobloom-frame", MFD_CLOEXEC);
    if (fd >= 0 && ftruncate(fd, off_t(made->bytes)) == 0)
        made->data = mmap(nullptr, made->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (made->data == MAP_FAILED) {
        // The picture stays in the canvas's own image, unseen; said once.
        if (!mSaidNoMemory)
            std::fprintf(stderr, "gyrobloom: no shared memory for a %dx%d frame: %s\n", size.width(), size.height(),
                         std::strerror(errno));
        mSaidNoMemory = true;
        if (fd >= 0) close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(mShm, fd, int32_t(made->bytes));
    made->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(made->buffer, &kBufferListener, made.get());
    // Little-endian XRGB is the toolkit's RGB32.
    made->image = QImage(static_cast<uchar*>(made->data), size.width(), size.height(), stride, QImage::Format_RGB32);
    made->stale = QRegion(QRect(QPoint(0, 0), size));
    mBuffers.push_back(std::move(made));
    return mBuffers.back().get();
}

WaylandFrames::Buffer* WaylandFrames::FreeBuffer(const Buffer* except) {
    for (const auto& buffer : mBuffers)
        if (buffer.get() != except && !buffer->busy) return buffer.get();
    return mBuffers.size() < kMaxBuffers ? NewBuffer() : nullptr;
}

void WaylandFrames::DropBuffers() {
    for (const auto& buffer : mBuffers) {
        if (buffer->buffer) wl_buffer_destroy(buffer->buffer);
        buffer->image = QImage();
        if (buffer->data != MAP_FAILED) munmap(buffer->data, buffer->bytes);
    }
    mBuffers.clear();
    mBack = mFront = nullptr;
}

bool WaylandFrames::Show(wl_surface* surface, bool whole) {
    if (mFrame || !(whole || mCanvas.HasDirty())) return false;
    mCanvas.Pause();
    if (!mCanvas.AdoptTarget()) return false;  // no buffer yet: at a later frame
    QRegion changed = mCanvas.TakeDirty();
    if (whole) changed = QRegion(QRect(QPoint(0, 0), mCanvas.DeviceSize()));

    Buffer* front = mBack;
    const int scale = std::max(1, int(mCanvas.DevicePixelRatio()));
    const uint32_t version = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface));
    if (scale != mBufferScale) {
        if (version >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) wl_surface_set_buffer_scale(surface, scale);
        mBufferScale = scale;
    }
    wl_surface_attach(surface, front->buffer, 0, 0);
    for (const QRect& rect : changed) {
        if (version >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
            wl_surface_damage_buffer(surface, rect.x(), rect.y(), rect.width(), rect.height());
        } else {
            wl_surface_damage(surface, rect.x() / scale, rect.y() / scale, (rect.width() + 2 * scale - 1) / scale,
                              (rect.height() + 2 * scale - 1) / scale);
        }
    }
    static constexpr wl_callback_listener kFrameListener = {OnFrameDone};
    mFrame = wl_surface_frame(surface);
    wl_callback_add_listener(mFrame, &kFrameListener, this);
    wl_surface_commit(surface);
    mSent.start();
    front->busy = true;
    for (const auto& buffer : mBuffers)
        if (buffer.get() != front) buffer->stale += changed;
    // The next frame's buffer is chosen when drawing starts (Target).
    mFront = front;
    mBack = nullptr;
    return true;
}

}  // namespace vb
