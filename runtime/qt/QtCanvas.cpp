#include "runtime/qt/QtCanvas.h"

#include <algorithm>
#include <cmath>

namespace vb {
namespace {

constexpr Integer kStyleInvisible = 5;
// A line's dirty rectangle reaches this far past half the pen width, so that
// the rasteriser's rounding never lights a pixel outside it.
constexpr qreal kDirtyMargin = 2;

Qt::PenStyle QtPenStyle(Integer style) {
    switch (style) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case kStyleInvisible: return Qt::NoPen;
    default: return Qt::SolidLine;  // 0 solid, 6 inside solid
    }
}

}  // namespace

QColor QtCanvas::ToQColor(Long color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QtCanvas::QtCanvas(const UnitScale& scale, Long backColor) : mScale(scale), mBackColor(ToQColor(backColor)) {
    Resize(QSize(1, 1), 1);
}

QtCanvas::~QtCanvas() {
    if (mPainter.isActive()) mPainter.end();
}

void QtCanvas::Resize(QSize logicalSize, qreal devicePixelRatio) {
    const QSize device(std::max(1, int(std::ceil(logicalSize.width() * devicePixelRatio))),
                       std::max(1, int(std::ceil(logicalSize.height() * devicePixelRatio))));
    if (device == mImage.size() && devicePixelRatio == mDevicePixelRatio) return;

    QImage image(device, QImage::Format_RGB32);
    image.fill(mBackColor);
    if (mPainter.isActive()) mPainter.end();
    if (!mImage.isNull()) {
        QPainter copy(&image);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        copy.drawImage(0, 0, mImage);
    }
    mImage = std::move(image);
    mDevicePixelRatio = devicePixelRatio;

    // One painter for the life of the image: lines are many and short.
    mPainter.begin(&mImage);
    mPainter.setRenderHint(QPainter::Antialiasing, false);
    mPainter.setCompositionMode(QPainter::CompositionMode_Source);
    UpdatePen();
    mDirty = QRegion(mImage.rect());
}

void QtCanvas::Cls() {
    mPainter.fillRect(mImage.rect(), mBackColor);
    mDirty = QRegion(mImage.rect());
}

void QtCanvas::DrawWidth(Integer width) {
    mDrawWidth = width;
    UpdatePen();
}

void QtCanvas::DrawStyle(Integer style) {
    mDrawStyle = style;
    UpdatePen();
}

void QtCanvas::UpdatePen() {
    const qreal width = mScale.PenPixels(mDrawWidth) * mDevicePixelRatio;
    // Dash patterns show only on the thinnest pen; an invisible pen stays
    // invisible at every width.
    Qt::PenStyle style = QtPenStyle(mDrawStyle);
    if (mDrawWidth > 1 && style != Qt::NoPen) style = Qt::SolidLine;
    mPen = QPen(mPen.color(), width, style, Qt::RoundCap, Qt::RoundJoin);
    mPainter.setPen(mPen);
}

QPointF QtCanvas::ToDevice(Single x, Single y) const {
    return QPointF(mScale.UnitsToPixels(x) * mDevicePixelRatio, mScale.UnitsToPixels(y) * mDevicePixelRatio);
}

void QtCanvas::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    const QPointF from = ToDevice(x1, y1), to = ToDevice(x2, y2);
    mPen.setColor(ToQColor(color));
    mPainter.setPen(mPen);
    mPainter.drawLine(QLineF(from, to));

    const qreal reach = mPen.widthF() / 2 + kDirtyMargin;
    const QRect touched =
        QRectF(from, to).normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect() & mImage.rect();
    if (!touched.isEmpty()) mDirty += touched;
}

QRegion QtCanvas::TakeDirty() {
    QRegion dirty;
    std::swap(dirty, mDirty);
    return dirty;
}

}  // namespace vb
