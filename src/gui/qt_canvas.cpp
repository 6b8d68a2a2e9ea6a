#include "gui/qt_canvas.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPolygon>
#include <algorithm>
#include <vector>

#include "gui/tool_icon_images.h"

namespace kestrune {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPolygon toPolygon(std::span<const Point> points) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& p : points) polygon.append(QPoint(p.x, p.y));
    return polygon;
}

int alignmentOf(const TextFormat& format) {
    int flags = 0;
    switch (format.horizontal) {
        case HAlign::Left:
            flags |= Qt::AlignLeft;
            break;
        case HAlign::Centre:
            flags |= Qt::AlignHCenter;
            break;
        case HAlign::Right:
            flags |= Qt::AlignRight;
            break;
    }
    switch (format.vertical) {
        case VAlign::Top:
            flags |= Qt::AlignTop;
            break;
        case VAlign::Centre:
            flags |= Qt::AlignVCenter;
            break;
        case VAlign::Bottom:
            flags |= Qt::AlignBottom;
            break;
    }
    if (format.singleLine) flags |= Qt::TextSingleLine;
    if (format.wordBreak && !format.singleLine) flags |= Qt::TextWordWrap;
    if (!format.clip) flags |= Qt::TextDontClip;
    return flags;
}

}  // namespace

QtCanvas::QtCanvas(QPainter& painter, Invalidator invalidator)
    : painter_(painter), invalidator_(std::move(invalidator)), deviceFont_(painter.font()) {
    painter_.save();
    applyPen();
    applyBrush();
    applyFont();
    applyRasterOp();
    applyClip();
}

QtCanvas::~QtCanvas() {
    painter_.restore();
}

QColor QtCanvas::toQColor(Rgb colour) {
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

QRect QtCanvas::toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

Rect QtCanvas::fromQRect(const QRect& r) {
    return Rect::fromSize({r.x(), r.y()}, {r.width(), r.height()});
}

QFont QtCanvas::toQFont(const LogFont& font, const QFont& fallback) {
    QFont out = fallback;
    if (font.isDefault()) return out;
    const std::string face = font.face();
    if (!face.empty()) out.setFamily(QString::fromStdString(face));
    // A negative height is the characters' own height; a positive one the
    // cell, of which the characters take roughly four fifths.
    const int pixels = font.height < 0 ? -font.height : std::max(1, font.height * 4 / 5);
    out.setPixelSize(std::max(1, pixels));
    if (font.weight > 0) out.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
    out.setItalic(font.italic != 0);
    out.setUnderline(font.underline != 0);
    out.setStrikeOut(font.strikeOut != 0);
    return out;
}

void QtCanvas::changed(Change what) {
    switch (what) {
        case Change::Pen:
            applyPen();
            break;
        case Change::Brush:
            applyBrush();
            break;
        case Change::Font:
            applyFont();
            break;
        case Change::RasterOp:
            applyRasterOp();
            break;
        case Change::TextColour:
        case Change::Background:
            break;  // taken at each text call
        case Change::Save:
            break;
        case Change::Restore:
            applyPen();
            applyBrush();
            applyFont();
            applyRasterOp();
            break;
        case Change::PushClip:
        case Change::PopClip:
            applyClip();
            break;
    }
}

void QtCanvas::applyPen() {
    const Pen& pen = state().pen;
    if (pen.style == PenStyle::Null) {
        painter_.setPen(Qt::NoPen);
        return;
    }
    QPen qpen(toQColor(pen.colour));
    qpen.setWidth(std::max(1, pen.width));
    qpen.setStyle(pen.style == PenStyle::Dash  ? Qt::DashLine
                  : pen.style == PenStyle::Dot ? Qt::DotLine
                                               : Qt::SolidLine);
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(qpen);
}

void QtCanvas::applyBrush() {
    const Brush& brush = state().brush;
    if (brush.style == BrushStyle::Null)
        painter_.setBrush(Qt::NoBrush);
    else
        painter_.setBrush(toQColor(brush.colour));
}

void QtCanvas::applyFont() {
    painter_.setFont(toQFont(state().font, deviceFont_));
}

void QtCanvas::applyRasterOp() {
    // Only raster surfaces combine with what is there; others draw plainly.
    const bool raster =
        painter_.paintEngine() != nullptr && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    switch (state().rasterOp) {
        case RasterOp::Copy:
            painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
            break;
        case RasterOp::Xor:
            if (raster) painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case RasterOp::Invert:
            if (raster) painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
            break;
    }
}

void QtCanvas::applyClip() {
    if (const auto clip = clipRect())
        painter_.setClipRect(toQRect(*clip));
    else
        painter_.setClipping(false);
}

QRect QtCanvas::outlineRect(const Rect& r) const {
    // Qt strokes a 1-unit outline on the rectangle's last row and column
    // when they are given as width - 1 and height - 1.
    return QRect(r.left, r.top, std::max(0, r.width() - 1), std::max(0, r.height() - 1));
}

void QtCanvas::drawLine(Point from, Point to) {
    painter_.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QtCanvas::drawPolyline(std::span<const Point> points) {
    if (points.size() < 2) return;
    painter_.drawPolyline(toPolygon(points));
}

void QtCanvas::drawPolygon(std::span<const Point> points) {
    if (points.size() < 3) return;
    painter_.drawPolygon(toPolygon(points));
}

void QtCanvas::drawRect(const Rect& r) {
    const Rect n = r.normalized();
    if (n.isEmpty()) return;
    painter_.drawRect(outlineRect(n));
}

void QtCanvas::fillRect(const Rect& r, Rgb colour) {
    const Rect n = r.normalized();
    if (n.isEmpty()) return;
    painter_.fillRect(toQRect(n), toQColor(colour));
}

void QtCanvas::drawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) {
    const Rect n = r.normalized();
    if (n.isEmpty()) return;
    painter_.drawRoundedRect(outlineRect(n), cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::drawEllipse(const Rect& bounds) {
    const Rect n = bounds.normalized();
    if (n.isEmpty()) return;
    painter_.drawEllipse(outlineRect(n));
}

void QtCanvas::drawArc(const Rect& bounds, double startDegrees, double sweepDegrees) {
    const Rect n = bounds.normalized();
    if (n.isEmpty()) return;
    painter_.drawArc(outlineRect(n), static_cast<int>(startDegrees * 16),
                     static_cast<int>(sweepDegrees * 16));
}

void QtCanvas::drawPie(const Rect& bounds, double startDegrees, double sweepDegrees) {
    const Rect n = bounds.normalized();
    if (n.isEmpty()) return;
    painter_.drawPie(outlineRect(n), static_cast<int>(startDegrees * 16),
                     static_cast<int>(sweepDegrees * 16));
}

void QtCanvas::setPixel(Point p, Rgb colour) {
    painter_.fillRect(QRect(p.x, p.y, 1, 1), toQColor(colour));
}

void QtCanvas::drawTextAt(Point topLeft, std::string_view text) {
    const QString s = toQString(text);
    const QFontMetrics metrics(painter_.font());
    if (state().backgroundMode == BackgroundMode::Opaque)
        painter_.fillRect(QRect(topLeft.x, topLeft.y, metrics.horizontalAdvance(s), metrics.height()),
                          toQColor(state().backgroundColour));
    painter_.save();
    painter_.setPen(toQColor(state().textColour));
    painter_.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), s);
    painter_.restore();
}

void QtCanvas::drawTextInRect(const Rect& r, std::string_view text, const TextFormat& format) {
    const QRect area = toQRect(r.normalized());
    const int flags = alignmentOf(format);
    const QString s = toQString(text);
    painter_.save();
    if (state().backgroundMode == BackgroundMode::Opaque) {
        const QRect used = painter_.boundingRect(area, flags, s);
        painter_.fillRect(format.clip ? used.intersected(area) : used, toQColor(state().backgroundColour));
    }
    painter_.setPen(toQColor(state().textColour));
    painter_.drawText(area, flags, s);
    painter_.restore();
}

Size QtCanvas::textExtent(std::string_view text) const {
    const QFontMetrics metrics(painter_.font());
    return {metrics.horizontalAdvance(toQString(text)), metrics.height()};
}

void QtCanvas::drawBitmap(int id, const Rect& r) {
    const QImage& image = toolIconImage(id);
    if (image.isNull() || r.normalized().isEmpty()) return;
    painter_.drawImage(toQRect(r.normalized()), image);
}

void QtCanvas::invalidate(const Rect& r, bool erase) {
    if (invalidator_) invalidator_(r, erase);
}

}  // namespace kestrune
