#pragma once
// The window of one scan task in the main frame's MDI area ("Task Designer:
// TASK1"): the task view in a scrolling area, placed where the strategy
// file says. A task window cannot be closed on its own; it goes with its
// strategy.

#include <QMdiSubWindow>

#include "document/window_placement.h"
#include "gui/task_view.h"

class QScrollArea;

namespace kestrune {

class TaskWindow final : public QMdiSubWindow {
    Q_OBJECT

  public:
    TaskWindow(StrategyTask& task, TaskView::StatusText statusText, QWidget* parent = nullptr);

    static QString titleFor(const StrategyTask& task);
    TaskView* view() const { return view_; }
    StrategyTask& task() const { return view_->task(); }

    // The placement the strategy file holds, applied to this window, and the
    // window's placement now (for saving).
    void applyPlacement(const WindowPlacement& placement);
    WindowPlacement currentPlacement() const;

    // The strategy is closing: the window may go.
    void allowClose() { closable_ = true; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TaskView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    bool closable_ = false;
};

}  // namespace kestrune
