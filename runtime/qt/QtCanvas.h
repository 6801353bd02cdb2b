#pragma once
// The drawing surface of a Qt window: a backing image in device pixels that
// the window shows.
//
// Implemented: Cls, Line with the pen's width and style, colour as
// red + 256 * green + 65536 * blue. Antialiasing is off, so a line redrawn in
// black covers exactly the pixels it lit and leaves no coloured fringe. Wide
// pens have round caps. Styles 1 dash, 2 dot, 3 dash-dot and 4 dash-dot-dot
// show only at DrawWidth 1; wider lines are solid. Style 5 draws nothing,
// style 6 is solid.
// Not implemented: the other drawing methods of a form (Circle, PSet, text).

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QSize>

#include "runtime/base/Units.h"
#include "runtime/WindowBackend.h"

namespace vb {

class QtCanvas final : public Canvas {
public:
    QtCanvas(const UnitScale& scale, Long backColor);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Sizes the image to the drawing area: logical pixels times the device
    // pixel ratio. What was drawn stays where the old and new sizes overlap;
    // new area is the background colour.
    void Resize(QSize logicalSize, qreal devicePixelRatio);

    void Cls() override;
    void DrawWidth(Integer width) override;
    void DrawStyle(Integer style) override;
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override;

    const QImage& Image() const { return mImage; }
    qreal DevicePixelRatio() const { return mDevicePixelRatio; }
    const UnitScale& Scale() const { return mScale; }

    // The area drawn since the last call, in device pixels; clears it.
    QRegion TakeDirty();
    bool HasDirty() const { return !mDirty.isEmpty(); }

    // A colour of the program (red + 256 * green + 65536 * blue) as Qt's.
    static QColor ToQColor(Long color);

private:
    void UpdatePen();
    QPointF ToDevice(Single x, Single y) const;

    UnitScale mScale;
    QColor mBackColor;
    QImage mImage;
    QPainter mPainter;
    QPen mPen;
    qreal mDevicePixelRatio = 1;
    Integer mDrawWidth = 1;
    Integer mDrawStyle = 0;
    QRegion mDirty;
};

}  // namespace vb
