#include "runtime/qt/QtCanvas.h"

#include "runtime/base/Pen.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vb {
namespace {

// A line's dirty area reaches this far past half the pen width, so that the
// rasteriser's rounding never lights a pixel outside it.
constexpr qreal kDirtyMargin = 2;

Qt::PenStyle QtPenStyle(PenStyle style) {
    switch (style) {
    case PenStyle::Dash: return Qt::DashLine;
    case PenStyle::Dot: return Qt::DotLine;
    case PenStyle::DashDot: return Qt::DashDotLine;
    case PenStyle::DashDotDot: return Qt::DashDotDotLine;
    case PenStyle::Invisible: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

// Row by row, so that images with different row padding copy too.
void CopyPixels(const QImage& from, QImage& to) {
    const int rows = std::min(from.height(), to.height());
    const qsizetype bytes = qsizetype(std::min(from.width(), to.width())) * 4;
    for (int y = 0; y < rows; ++y) std::memcpy(to.scanLine(y), from.constScanLine(y), size_t(bytes));
}

// Lights every pixel whose centre lies within radius of the segment from a
// to b: a line with round caps. Rows and columns count half-open (a centre
// exactly on the top or left edge is in, on the bottom or right edge out),
// so a line of width w on whole coordinates covers w pixels across. The
// same segment gives the same pixels every time, which is what lets a line
// be erased by drawing it again in black. A segment of no length draws
// nothing, as the toolkit's pen does.
void FillCapsule(QImage& image, QPointF a, QPointF b, double radius, QRgb pixel) {
    if (!(std::isfinite(a.x()) && std::isfinite(a.y()) && std::isfinite(b.x()) && std::isfinite(b.y())) ||
        !(radius > 0))
        return;
    const int width = image.width(), height = image.height();
    const double top = std::min(a.y(), b.y()) - radius, bottom = std::max(a.y(), b.y()) + radius;
    const int firstRow = std::max(0, int(std::ceil(std::max(-1.0, top) - 0.5)));
    const int endRow = std::min(height, int(std::ceil(std::min(double(height) + 1, bottom) - 0.5)));
    if (firstRow >= endRow) return;

    // The body: the rectangle a + t (b - a) + s n, 0 <= t <= 1, |s| <= radius.
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 0)) return;
    const QPointF n(-d.y() / length * radius, d.x() / length * radius);
    const QPointF corner[4] = {a + n, b + n, b - n, a - n};
    const double r2 = radius * radius;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();

    for (int row = firstRow; row < endRow; ++row) {
        const double y = row + 0.5;
        double left = HUGE_VAL, right = -HUGE_VAL;
        for (const QPointF& c : {a, b}) {
            const double dy = y - c.y(), rest = r2 - dy * dy;
            if (rest < 0) continue;
            const double half = std::sqrt(rest);
            left = std::min(left, c.x() - half);
            right = std::max(right, c.x() + half);
        }
        for (int i = 0; i < 4; ++i) {
            const QPointF& p = corner[i];
            const QPointF& q = corner[(i + 1) % 4];
            if ((p.y() > y) == (q.y() > y)) {
                if (p.y() == y) left = std::min(left, p.x()), right = std::max(right, p.x());
                continue;
            }
            const double x = p.x() + (y - p.y()) * (q.x() - p.x()) / (q.y() - p.y());
            left = std::min(left, x);
            right = std::max(right, x);
        }
        if (!(left <= right)) continue;
        const int x0 = std::max(0, int(std::ceil(std::max(-1.0, left) - 0.5)));
        const int x1 = std::min(width, int(std::ceil(std::min(double(width) + 1, right) - 0.5)));
        if (x0 < x1) std::fill(reinterpret_cast<QRgb*>(bits + row * stride) + x0, reinterpret_cast<QRgb*>(bits + row * stride) + x1, pixel);
    }
}

}  // namespace

QColor QtCanvas::ToQColor(Long color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QtCanvas::QtCanvas(const UnitScale& scale, Long backColor) : mScale(scale), mBackColor(ToQColor(backColor)) {
    Resize(QSize(1, 1), 1);
}

QtCanvas::~QtCanvas() { Pause(); }

void QtCanvas::SetTargetSource(TargetSource source) {
    Detach();
    mTargetSource = std::move(source);
}

QImage* QtCanvas::OfferedTarget() const {
    if (!mTargetSource) return nullptr;
    QImage* target = mTargetSource();
    // A shared image would be copied by the first painter, and the drawing
    // would miss the window.
    // Opaque pixels are laid out alike in both formats.
    const bool sameLayout =
        target && (target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32_Premultiplied);
    if (!sameLayout || target->size() != mDeviceSize || !target->isDetached())
        return nullptr;
    return target;
}

bool QtCanvas::UseTarget() {
    if (mPainter.isActive()) return mOnTarget;
    QImage* target = OfferedTarget();
    if (target) {
        if (!mOnTarget) {
            if (mImage.isNull())
                target->fill(mBackColor);
            else
                CopyPixels(mImage, *target);
            mImage = QImage();
            mOnTarget = true;
        }
    } else if (mOnTarget) {
        // The window took its image away without a Detach first: what was
        // drawn is lost, so start again from the background.
        mOnTarget = false;
        MarkAll();
    }
    mTarget = target;
    return mOnTarget;
}

QImage& QtCanvas::OwnImage() {
    if (mImage.isNull()) {
        mImage = QImage(mDeviceSize, QImage::Format_RGB32);
        mImage.fill(mBackColor);
    }
    return mImage;
}

QImage& QtCanvas::Begin() {
    if (mPainter.isActive()) return mOnTarget ? *mTarget : mImage;
    QImage& image = UseTarget() ? *mTarget : OwnImage();
    mPainter.begin(&image);
    mPainter.setRenderHint(QPainter::Antialiasing, false);
    mPainter.setCompositionMode(QPainter::CompositionMode_Source);
    mPainter.setPen(mPen);
    return image;
}

void QtCanvas::Pause() {
    if (mPainter.isActive()) mPainter.end();
    mTarget = nullptr;
}

void QtCanvas::Detach() {
    Pause();
    if (!mOnTarget) return;
    if (QImage* target = OfferedTarget()) {
        mImage = target->copy();
    } else {
        mImage = QImage();  // lost: the background
        MarkAll();
    }
    mOnTarget = false;
}

const QImage& QtCanvas::Image() {
    if (mPainter.isActive()) return mOnTarget ? *mTarget : mImage;
    if (UseTarget()) return *mTarget;
    return OwnImage();
}

void QtCanvas::Resize(QSize logicalSize, qreal devicePixelRatio) {
    const QSize device(std::max(1, int(std::ceil(logicalSize.width() * devicePixelRatio))),
                       std::max(1, int(std::ceil(logicalSize.height() * devicePixelRatio))));
    if (device == mDeviceSize && devicePixelRatio == mDevicePixelRatio) return;

    Detach();
    // An image of the canvas's own exists only once something other than
    // the background is drawn while the window offers none, so that the
    // pixels are not held twice while the window comes up.
    if (!mImage.isNull()) {
        QImage image(device, QImage::Format_RGB32);
        image.fill(mBackColor);
        CopyPixels(mImage, image);
        mImage = std::move(image);
    }
    mDeviceSize = device;
    mDevicePixelRatio = devicePixelRatio;
    mTilesX = (device.width() + kTile - 1) / kTile;
    mTilesY = (device.height() + kTile - 1) / kTile;
    mTiles.assign(size_t(mTilesX) * size_t(mTilesY), 0);
    UpdatePen();
    MarkAll();
}

void QtCanvas::Cls() {
    MarkAll();
    if (!UseTarget()) {
        Pause();
        mImage = QImage();  // all background
        return;
    }
    QImage& image = Begin();
    mPainter.fillRect(image.rect(), mBackColor);
}

void QtCanvas::DrawWidth(Integer width) {
    mDrawWidth = width;
    UpdatePen();
}

void QtCanvas::Rescale(const UnitScale& scale) {
    mScale = scale;
    UpdatePen();
}

void QtCanvas::DrawStyle(Integer style) {
    mDrawStyle = style;
    UpdatePen();
}

void QtCanvas::UpdatePen() {
    const Pen pen = ResolvePen(mDrawWidth, mDrawStyle, mScale, mDevicePixelRatio);
    mPen = QPen(mPen.color(), pen.widthPx, QtPenStyle(pen.style), Qt::RoundCap, Qt::RoundJoin);
    if (mPainter.isActive()) mPainter.setPen(mPen);
}

QPointF QtCanvas::ToDevice(Single x, Single y) const {
    return QPointF(mScale.UnitsToPixels(x) * mDevicePixelRatio, mScale.UnitsToPixels(y) * mDevicePixelRatio);
}

void QtCanvas::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    const QPointF from = ToDevice(x1, y1), to = ToDevice(x2, y2);
    if (mPen.style() == Qt::NoPen) return;
    QImage& image = Begin();
    const QColor qcolor = ToQColor(color);
    if (mPen.style() == Qt::SolidLine && mPen.widthF() > 1) {
        // Wide solid pens: spans written straight into the pixels, far
        // cheaper than the toolkit's stroker (which builds a path of curves
        // for each round cap and fills it).
        FillCapsule(image, from, to, mPen.widthF() / 2, qcolor.rgb());
    } else {
        // The thinnest pens (and dashes) take the toolkit's fast line path.
        mPen.setColor(qcolor);
        mPainter.setPen(mPen);
        mPainter.drawLine(QLineF(from, to));
    }
    MarkLine(from, to, mPen.widthF() / 2 + kDirtyMargin);
}

void QtCanvas::MarkAll() {
    std::fill(mTiles.begin(), mTiles.end(), std::uint8_t(1));
    mAnyDirty = true;
    mDirtyRows = {0, mTilesY - 1};
}

void QtCanvas::MarkRect(double left, double top, double right, double bottom) {
    const double width = mDeviceSize.width(), height = mDeviceSize.height();
    // Also rejects NaN: every comparison with it is false.
    if (!(right >= 0 && bottom >= 0 && left < width && top < height)) return;
    const int x0 = int(std::max(0.0, left)) / kTile, y0 = int(std::max(0.0, top)) / kTile;
    const int x1 = int(std::min(width - 1, right)) / kTile, y1 = int(std::min(height - 1, bottom)) / kTile;
    for (int y = y0; y <= y1; ++y)
        std::fill_n(mTiles.begin() + std::ptrdiff_t(y) * mTilesX + x0, x1 - x0 + 1, std::uint8_t(1));
    if (!mAnyDirty) mDirtyRows = {y0, y1};
    mDirtyRows = {std::min(mDirtyRows.first, y0), std::max(mDirtyRows.second, y1)};
    mAnyDirty = true;
}

void QtCanvas::MarkLine(QPointF from, QPointF to, double reach) {
    // In pieces no longer than a tile, so that a long diagonal marks the
    // tiles along it, not its whole bounding box.
    const QPointF delta = to - from;
    const double length = std::hypot(delta.x(), delta.y());
    const int pieces = std::clamp(int(std::ceil(length / kTile)), 1, mTilesX + mTilesY + 1);
    for (int i = 0; i < pieces; ++i) {
        const QPointF a = from + delta * (double(i) / pieces), b = from + delta * (double(i + 1) / pieces);
        MarkRect(std::min(a.x(), b.x()) - reach, std::min(a.y(), b.y()) - reach, std::max(a.x(), b.x()) + reach,
                 std::max(a.y(), b.y()) + reach);
    }
}

QRegion QtCanvas::TakeDirty() {
    QRegion dirty;
    if (!mAnyDirty) return dirty;
    const QRect bounds(QPoint(0, 0), mDeviceSize);
    // Runs of marked tiles, each grown downwards while the rows below have
    // the very same run.
    struct Run {
        int first, last, top, rows;
    };
    std::vector<Run> open, next;
    auto close = [&](const Run& run) {
        dirty += QRect(run.first * kTile, run.top * kTile, (run.last - run.first + 1) * kTile, run.rows * kTile) &
                 bounds;
    };
    // Only the rows that were marked.
    const auto [firstRow, lastRow] = mDirtyRows;
    for (int y = firstRow; y <= lastRow; ++y) {
        next.clear();
        const std::uint8_t* row = mTiles.data() + std::ptrdiff_t(y) * mTilesX;
        for (int x = 0; x < mTilesX;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < mTilesX && row[x]) ++x;
            next.push_back({first, x - 1, y, 1});
        }
        for (const Run& run : open) {
            auto same = std::find_if(next.begin(), next.end(),
                                     [&](const Run& n) { return n.first == run.first && n.last == run.last; });
            if (same != next.end())
                *same = {run.first, run.last, run.top, run.rows + 1};
            else
                close(run);
        }
        std::swap(open, next);
    }
    for (const Run& run : open) close(run);
    std::fill(mTiles.begin() + std::ptrdiff_t(firstRow) * mTilesX, mTiles.begin() + std::ptrdiff_t(lastRow + 1) * mTilesX,
              std::uint8_t(0));
    mAnyDirty = false;
    return dirty;
}

}  // namespace vb
