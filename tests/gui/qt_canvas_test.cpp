// The QPainter canvas on an image: which pixels the core's shapes cover,
// clipping, text colour, tool icons, and the invalidation hook.

#include <QImage>
#include <QPainter>
#include <QTest>
#include <vector>

#include "gui/gui_test_registry.h"
#include "gui/qt_canvas.h"
#include "gui/tool_icon_images.h"
#include "resources/tool_icons.h"

using namespace kestrune;

namespace {

QImage whiteImage(int w = 64, int h = 64) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

bool isColour(const QImage& image, int x, int y, Rgb colour) {
    return image.pixelColor(x, y) == QtCanvas::toQColor(colour);
}

int countNonWhite(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    return n;
}

}  // namespace

class QtCanvasTest : public QObject {
    Q_OBJECT

  private slots:
    void colourValuesKeepTheFileOrder() {
        // 0x00BBGGRR as strategy files store colours.
        QCOMPARE(QtCanvas::toQColor(0x00FF0000), QColor(0, 0, 255));
        QCOMPARE(QtCanvas::toQColor(rgb(10, 20, 30)), QColor(10, 20, 30));
        QCOMPARE(QtCanvas::toQRect({10, 10, 42, 42}), QRect(10, 10, 32, 32));
        QCOMPARE(QtCanvas::fromQRect(QRect(10, 10, 32, 32)), (Rect{10, 10, 42, 42}));
    }

    void fillRectCoversExactlyItsRectangle() {
        QImage image = whiteImage();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            canvas.fillRect({10, 10, 20, 15}, colours::kRed);
        }
        QVERIFY(isColour(image, 10, 10, colours::kRed));
        QVERIFY(isColour(image, 19, 14, colours::kRed));
        QVERIFY(isColour(image, 20, 14, colours::kWhite));  // right edge is outside
        QVERIFY(isColour(image, 19, 15, colours::kWhite));  // so is the bottom edge
        QCOMPARE(countNonWhite(image, image.rect()), 50);
    }

    void anOutlineStaysInsideItsRectangle() {
        QImage image = whiteImage();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            canvas.setBrush(Brush::hollow());
            canvas.drawRect({10, 10, 20, 20});
        }
        QVERIFY(isColour(image, 10, 10, colours::kBlack));
        QVERIFY(isColour(image, 19, 19, colours::kBlack));
        QVERIFY(isColour(image, 15, 15, colours::kWhite));
        QVERIFY(isColour(image, 20, 20, colours::kWhite));
        QCOMPARE(countNonWhite(image, image.rect()), 36);
    }

    void theBrushFillsAndANullPenDrawsNoOutline() {
        QImage image = whiteImage();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            canvas.setPen(Pen::none());
            canvas.setBrush(Brush::solid(colours::kBlue));
            canvas.drawRect({0, 0, 8, 8});
        }
        QVERIFY(isColour(image, 0, 0, colours::kBlue));
        QVERIFY(isColour(image, 4, 4, colours::kBlue));
    }

    void drawingOutsideTheClipLeavesNothing() {
        QImage image = whiteImage();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            ClipScope clip(canvas, {0, 0, 10, 10});
            canvas.fillRect({5, 5, 30, 30}, colours::kGreen);
        }
        QCOMPARE(countNonWhite(image, image.rect()), 25);
        QVERIFY(isColour(image, 9, 9, colours::kGreen));
        QVERIFY(isColour(image, 10, 10, colours::kWhite));
    }

    void restoreBringsBackThePen() {
        QImage image = whiteImage();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            {
                CanvasSaver saver(canvas);
                canvas.setPen(Pen{colours::kRed, 1, PenStyle::Solid});
            }
            canvas.drawLine({0, 5}, {20, 5});
        }
        QVERIFY(isColour(image, 10, 5, colours::kBlack));
    }

    void textTakesTheTextColour() {
        QImage image = whiteImage(120, 40);
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            canvas.setTextColour(colours::kRed);
            canvas.setPen(Pen{colours::kBlue, 1, PenStyle::Solid});
            canvas.drawTextInRect({0, 0, 120, 40}, "WWW", TextFormat::centred());
            const Size extent = canvas.textExtent("WWW");
            QVERIFY(extent.width > 0 && extent.height > 0);
        }
        int red = 0, blue = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 120 && c.blue() < 120 ? 1 : 0;
                blue += c.blue() > 200 && c.red() < 120 ? 1 : 0;
            }
        QVERIFY(red > 0);
        QCOMPARE(blue, 0);
    }

    void toolIconsAreDrawnByTheirToolId() {
        QImage image = whiteImage();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            canvas.drawBitmap(34111, Rect::fromSize({16, 16}, toolIconSize()));
            canvas.drawBitmap(34130, {0, 0, 16, 16});  // no icon: nothing
        }
        QVERIFY(countNonWhite(image, QRect(16, 16, 32, 32)) > 100);
        QCOMPARE(countNonWhite(image, QRect(0, 0, 16, 16)), 0);
        QCOMPARE(toolIconImage(34111).size(), QSize(32, 32));
        QVERIFY(toolIconImage(34130).isNull());
        QVERIFY(toolIcon(34001).availableSizes().size() > 0);
    }

    void invalidationGoesToTheOwner() {
        QImage image = whiteImage();
        std::vector<Rect> asked;
        {
            QPainter painter(&image);
            QtCanvas canvas(painter, [&](const Rect& r, bool) { asked.push_back(r); });
            canvas.invalidate({1, 2, 3, 4}, true);
        }
        QCOMPARE(asked.size(), std::size_t{1});
        QCOMPARE(asked[0], (Rect{1, 2, 3, 4}));
    }

    void theFontOfARecordIsUsed() {
        LogFont font;
        font.height = -20;
        font.weight = LogFont::kWeightBold;
        font.italic = 1;
        const QFont q = QtCanvas::toQFont(font, QFont());
        QCOMPARE(q.pixelSize(), 20);
        QVERIFY(q.bold());
        QVERIFY(q.italic());
        QFont fallback;
        fallback.setPixelSize(13);
        QCOMPARE(QtCanvas::toQFont(LogFont{}, fallback).pixelSize(), 13);
    }
};

KESTRUNE_GUI_TEST(QtCanvasTest);
#include "qt_canvas_test.moc"
