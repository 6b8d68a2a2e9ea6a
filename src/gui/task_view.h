#pragma once
// The drawing surface of a task designer window: the task's blocks and
// wires on a 1600 x 1200 canvas, painted by the core's drawing code through
// a QPainter canvas. A click selects the object under the pointer (and says
// what it is in the status bar); editing comes with the task designer.
//
// The view is the host the task's blocks ask for repaints while it is
// attached; it detaches itself before it goes away.

#include <QWidget>
#include <functional>
#include <string>

#include "taskmodel/node_host.h"

namespace kestrune {

class GraphObject;
class StrategyTask;

class TaskView final : public QWidget, public NodeHost {
    Q_OBJECT

  public:
    static constexpr int kCanvasWidth = 1600;
    static constexpr int kCanvasHeight = 1200;
    using StatusText = std::function<void(const std::string&)>;

    TaskView(StrategyTask& task, StatusText statusText, QWidget* parent = nullptr);
    ~TaskView() override;

    StrategyTask& task() const { return task_; }
    // The single selected object, or nullptr.
    GraphObject* selection() const;
    // Selects what lies under `p` (nothing on empty canvas).
    void selectAt(QPoint p);
    void clearSelection();

    // NodeHost
    std::string ownerName() const override;
    NodeGraph* ownerGraph() const override;
    bool showCaptions() const override;
    bool showOrderNumbers() const override;
    void invalidate(const Rect& area, bool erase) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    StrategyTask& task_;
    StatusText statusText_;
};

// What the status bar says of a selected object: a block's name and caption
// ("%s:%s", the name alone without a caption); for a wire both ends with
// their port captions ("AI1:AI1:[Channel 0] --> PID1:PID1:[Feedback]").
std::string selectionText(const GraphObject& object);

}  // namespace kestrune
