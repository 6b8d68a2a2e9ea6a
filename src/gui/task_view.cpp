#include "gui/task_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "document/strategy_task.h"
#include "document/task_drawing.h"
#include "gui/qt_canvas.h"
#include "resources/string_table.h"
#include "taskmodel/block.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

std::string nodeText(const Node& node) {
    const std::string_view caption = node.Caption();
    return caption.empty() ? node.name() : node.name() + ":" + std::string(caption);
}

// ":[caption]" of a port; nothing for a port without a caption.
std::string portText(std::int32_t nameId, std::size_t index) {
    if (nameId == 0) return {};
    const auto text = strings::lookup(nameId);
    return ":[" + (text ? std::string(*text) : "Channel " + std::to_string(index)) + "]";
}

}  // namespace

std::string selectionText(const GraphObject& object) {
    if (const auto* wire = dynamic_cast<const Wire*>(&object)) {
        std::string text;
        if (const Node* source = wire->source()) {
            text += nodeText(*source);
            const auto outputs = source->outputs();
            if (wire->sourceOutput() < outputs.size())
                text += portText(outputs[wire->sourceOutput()].nameId, wire->sourceOutput());
        }
        text += " --> ";
        if (const Node* target = wire->target()) {
            text += nodeText(*target);
            const auto inputs = target->inputs();
            if (wire->targetInput() < inputs.size())
                text += portText(inputs[wire->targetInput()].nameId, wire->targetInput());
        }
        return text;
    }
    if (const auto* node = dynamic_cast<const Node*>(&object)) return nodeText(*node);
    return {};
}

TaskView::TaskView(StrategyTask& task, StatusText statusText, QWidget* parent)
    : QWidget(parent), task_(task), statusText_(std::move(statusText)) {
    setFixedSize(kCanvasWidth, kCanvasHeight);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    task_.attachView(this);
}

TaskView::~TaskView() {
    task_.attachView(nullptr);
}

GraphObject* TaskView::selection() const {
    GraphObject* found = nullptr;
    for (GraphObject* object : task_.graph().objects().items()) {
        if (!object->hasFlag(kFlagSelected)) continue;
        if (found != nullptr) return nullptr;
        found = object;
    }
    return found;
}

void TaskView::clearSelection() {
    for (GraphObject* object : task_.graph().objects().items()) object->setFlag(kFlagSelected, false);
    update();
}

void TaskView::selectAt(QPoint p) {
    GraphObject* hit = HitTestTask(task_, {p.x(), p.y()});
    clearSelection();
    if (hit == nullptr) return;
    hit->setFlag(kFlagSelected);
    if (statusText_) statusText_(selectionText(*hit));
}

std::string TaskView::ownerName() const {
    return task_.name();
}

NodeGraph* TaskView::ownerGraph() const {
    return &task_.graph();
}

bool TaskView::showCaptions() const {
    return task_.showCaptions();
}

bool TaskView::showOrderNumbers() const {
    return task_.showOrderNumbers();
}

void TaskView::invalidate(const Rect& area, bool /*erase*/) {
    update(QtCanvas::toQRect(area.normalized()));
}

void TaskView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    QtCanvas canvas(painter, [this](const Rect& area, bool erase) { invalidate(area, erase); });
    DrawTaskObjects(task_, canvas, QtCanvas::fromQRect(event->rect()));
}

void TaskView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) selectAt(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

}  // namespace kestrune
