#pragma once
// The drawing surface of a Qt window: device pixels that the window shows.
//
// Implemented: Cls, Line with the pen's width and style, colour as
// red + 256 * green + 65536 * blue. Antialiasing is off, so a line redrawn in
// black covers exactly the pixels it lit and leaves no coloured fringe. Wide
// pens have round caps. Styles 1 dash, 2 dot, 3 dash-dot and 4 dash-dot-dot
// show only at DrawWidth 1; wider lines are solid. Style 5 draws nothing,
// style 6 is solid.
// Not implemented: the other drawing methods of a form (Circle, PSet, text).
//
// Where the pixels live: in an image of the canvas's own until the window
// offers one to draw on (SetTargetSource): Qt's backing store where it keeps
// one image (X11, offscreen; see QtSurfaceWidget::BackingImage), or the
// buffer a Wayland surface draws next (WaylandFrames). From then on the
// canvas draws straight into it, so one frame's pixels exist once, and
// showing a step is only sending the rectangles it changed. The target is
// asked for afresh each time drawing starts again after a pause (Pause),
// because the window may replace it while events run.
//
// What changed is kept as a grid of kTile x kTile tiles: marking a line costs
// a few tiles, and the area shown is a handful of rectangles however many
// lines a step drew.

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "runtime/base/Units.h"
#include "runtime/WindowBackend.h"

namespace vb {

class QtCanvas final : public Canvas {
public:
    // Tile edge of the change grid, in device pixels.
    static constexpr int kTile = 32;

    QtCanvas(const UnitScale& scale, Long backColor);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Sizes the drawing area: logical pixels times the device pixel ratio.
    // What was drawn stays where the old and new sizes overlap; new area is
    // the background colour.
    void Resize(QSize logicalSize, qreal devicePixelRatio);

    void Cls() override;
    void DrawWidth(Integer width) override;
    void DrawStyle(Integer style) override;
    void Rescale(const UnitScale& scale) override;
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override;

    // The pixels as drawn so far (the backing store's image once the canvas
    // draws there). Valid until the next call of any other method.
    const QImage& Image();
    QSize DeviceSize() const { return mDeviceSize; }
    qreal DevicePixelRatio() const { return mDevicePixelRatio; }
    const UnitScale& Scale() const { return mScale; }

    // The image the window offers to draw on, or nullptr while it offers
    // none; asked whenever drawing (re)starts. An offered image must have
    // the canvas's device size and Format_RGB32 or
    // Format_ARGB32_Premultiplied (the canvas draws only opaque pixels).
    using TargetSource = std::function<QImage*()>;
    void SetTargetSource(TargetSource source);
    // True when the pixels live in the window's image, not the canvas's own.
    bool DrawsOnTarget() const { return mOnTarget; }
    // Moves the pixels to the window's image now if it offers one.
    bool AdoptTarget() { return UseTarget(); }
    // Ends the painter, so that the toolkit may paint the target or replace
    // it. Drawing later starts again by itself.
    void Pause();
    // Takes the pixels back into an image of the canvas's own (the window's
    // image is about to go away or change size).
    void Detach();

    // The area drawn since the last call, in device pixels; clears it.
    QRegion TakeDirty();
    bool HasDirty() const { return mAnyDirty; }

    // A colour of the program (red + 256 * green + 65536 * blue) as Qt's.
    static QColor ToQColor(Long color);

private:
    // The image drawing goes to now, with the painter open on it.
    QImage& Begin();
    // Moves the pixels to the window's image when it offers one; true when
    // they are there (mTarget is then the image).
    bool UseTarget();
    // The canvas's own image, made (all background) when there is none.
    QImage& OwnImage();
    QImage* OfferedTarget() const;
    void UpdatePen();
    QPointF ToDevice(Single x, Single y) const;
    void MarkAll();
    void MarkRect(double left, double top, double right, double bottom);
    void MarkLine(QPointF from, QPointF to, double reach);

    UnitScale mScale;
    QColor mBackColor;
    TargetSource mTargetSource;
    // The canvas's own pixels while not on the target; null when they are
    // all the background colour.
    QImage mImage;
    QImage* mTarget = nullptr;  // valid only until events run
    bool mOnTarget = false;
    QSize mDeviceSize;
    QPainter mPainter;
    QPen mPen;
    qreal mDevicePixelRatio = 1;
    Integer mDrawWidth = 1;
    Integer mDrawStyle = 0;

    int mTilesX = 0, mTilesY = 0;
    std::vector<std::uint8_t> mTiles;
    bool mAnyDirty = false;
    std::pair<int, int> mDirtyRows{0, 0};  // first and last marked tile row
};

}  // namespace vb
