#include "gui/task_window.h"

#include <QCloseEvent>
#include <QScrollArea>

#include "document/strategy_task.h"
#include "gui/qt_canvas.h"

namespace kestrune {

TaskWindow::TaskWindow(StrategyTask& task, TaskView::StatusText statusText, QWidget* parent)
    : QMdiSubWindow(parent) {
    view_ = new TaskView(task, std::move(statusText));
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setBackgroundRole(QPalette::Base);
    setWidget(scroll_);
    setWindowTitle(titleFor(task));
    // No close button: the window lives as long as its task.
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    setAttribute(Qt::WA_DeleteOnClose);
}

QString TaskWindow::titleFor(const StrategyTask& task) {
    return QStringLiteral("Task Designer: ") + QString::fromStdString(task.name());
}

void TaskWindow::applyPlacement(const WindowPlacement& placement) {
    const Rect normal = placement.normal.normalized();
    if (!normal.isEmpty()) setGeometry(QtCanvas::toQRect(normal));
    if (placement.showCommand == WindowPlacement::kShowMaximized)
        showMaximized();
    else if (placement.showCommand == WindowPlacement::kShowMinimized)
        showMinimized();
}

WindowPlacement TaskWindow::currentPlacement() const {
    WindowPlacement placement = task().placement();
    placement.showCommand = isMaximized()   ? WindowPlacement::kShowMaximized
                            : isMinimized() ? WindowPlacement::kShowMinimized
                                            : WindowPlacement::kShowNormal;
    if (placement.showCommand == WindowPlacement::kShowNormal)
        placement.normal = QtCanvas::fromQRect(geometry());
    return placement;
}

void TaskWindow::closeEvent(QCloseEvent* event) {
    if (!closable_) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace kestrune
