#include "gui/tool_icon_images.h"

#include <QPainter>
#include <QPixmap>
#include <map>

#include "gui/qt_canvas.h"
#include "resources/tool_icons.h"

namespace kestrune {

const QImage& toolIconImage(int toolId) {
    static std::map<int, QImage> cache;
    static const QImage none;
    if (!hasToolIcon(toolId)) return none;
    auto found = cache.find(toolId);
    if (found != cache.end()) return found->second;
    const Size size = toolIconSize();
    QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        drawToolIcon(canvas, toolId, Rect::fromSize({0, 0}, size));
    }
    return cache.emplace(toolId, std::move(image)).first->second;
}

QIcon toolIcon(int toolId) {
    const QImage& image = toolIconImage(toolId);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

}  // namespace kestrune
