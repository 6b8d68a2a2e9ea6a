#include "gui/screenshot.h"

#include <QApplication>
#include <QMdiArea>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "gui/cmain_frame.h"
#include "gui/task_window.h"
#include "gui/toolbox.h"

namespace kestrune {
namespace {

constexpr int kTitleHeight = 20;
constexpr int kGap = 12;

// The task windows side by side with the tool boxes: the first task large at
// the top, the others in a row below it, all left of the tool boxes.
void arrangeForPicture(CMainFrame& frame, int toolboxWidth) {
    const std::vector<TaskWindow*> windows = frame.taskWindows();
    if (windows.empty()) return;
    const QRect area = frame.mdiArea()->viewport()->rect();
    const int width = std::max(200, area.width() - toolboxWidth - 2 * kGap);
    const int firstHeight = windows.size() == 1 ? area.height() - 2 * kGap : area.height() * 3 / 5;
    windows.front()->setGeometry(kGap, kGap, width, firstHeight);
    const int rest = static_cast<int>(windows.size()) - 1;
    for (int i = 0; i < rest; ++i) {
        const int each = (width - (rest - 1) * kGap) / rest;
        windows[static_cast<std::size_t>(i) + 1]->setGeometry(
            kGap + i * (each + kGap), firstHeight + 2 * kGap, each, area.height() - firstHeight - 3 * kGap);
    }
}

// A floating tool box with the caption bar a window manager would give it.
void paintToolbox(QPainter& painter, Toolbox& box, QPoint at) {
    const QPixmap body = box.grab();
    const QRect title(at.x(), at.y(), body.width(), kTitleHeight);
    painter.fillRect(title, QColor(0x3c, 0x5a, 0x8c));
    painter.setPen(Qt::white);
    const QRect text = title.adjusted(6, 0, -4, 0);
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(box.windowTitle(), Qt::ElideRight, text.width()));
    painter.drawPixmap(at + QPoint(0, kTitleHeight), body);
    painter.setPen(QColor(0x30, 0x30, 0x30));
    painter.drawRect(QRect(at, QSize(body.width() - 1, body.height() + kTitleHeight - 1)));
}

}  // namespace

bool grabMainWindow(CMainFrame& frame, const QString& pngPath, QSize size) {
    frame.move(0, 0);
    frame.resize(size);
    frame.show();
    QApplication::processEvents();
    if (!frame.runtimeMode()) {
        frame.showTaskToolbox(true);
        frame.showDisplayToolbox(true);
    }
    QApplication::processEvents();
    Toolbox& tasks = *frame.taskToolbox();
    Toolbox& displays = *frame.displayToolbox();
    const int toolboxWidth = frame.runtimeMode() ? 0 : tasks.width() + displays.width() + 2 * kGap;
    arrangeForPicture(frame, toolboxWidth);
    // Bring the first task window forward, as after opening.
    if (!frame.taskWindows().empty()) frame.mdiArea()->setActiveSubWindow(frame.taskWindows().front());
    for (int i = 0; i < 5; ++i) QApplication::processEvents();

    QPixmap picture = frame.grab();
    if (!frame.runtimeMode()) {
        QPainter painter(&picture);
        const QPoint origin = frame.mdiArea()->mapTo(&frame, QPoint(0, 0));
        const int right = picture.width() - kGap;
        const QPoint taskAt(right - tasks.width(), origin.y() + kGap);
        const QPoint displayAt(taskAt.x() - kGap - displays.width(), taskAt.y());
        // The tool boxes float there, and the picture shows them there.
        tasks.move(frame.mapToGlobal(taskAt + QPoint(0, kTitleHeight)));
        displays.move(frame.mapToGlobal(displayAt + QPoint(0, kTitleHeight)));
        paintToolbox(painter, tasks, taskAt);
        paintToolbox(painter, displays, displayAt);
    }
    return picture.save(pngPath, "PNG");
}

}  // namespace kestrune
