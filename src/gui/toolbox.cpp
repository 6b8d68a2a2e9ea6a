#include "gui/toolbox.h"

#include <QAction>
#include <QActionGroup>
#include <QGridLayout>
#include <QToolButton>

#include "app/command_table.h"
#include "gui/tool_icon_images.h"
#include "resources/string_table.h"
#include "resources/tool_icons.h"

namespace kestrune {

std::vector<int> toolsInRange(int first, int last) {
    std::vector<int> out;
    for (int id : toolIconIds())
        if (id >= first && id <= last) out.push_back(id);
    return out;
}

QString Toolbox::tooltipFor(int toolId) {
    if (const auto text = strings::lookup(toolId)) {
        const std::string_view s = *text;
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.substr(0, s.find('\n')).size()));
    }
    // The two pointers have no text of their own.
    if (toolId == kFirstTaskTool || toolId == kFirstDisplayTool) return QStringLiteral("Selection Pointer");
    return {};
}

Toolbox::Toolbox(const QString& caption, const std::vector<int>& tools, int columns, QWidget* parent)
    : QDockWidget(caption, parent) {
    setObjectName(caption);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                QDockWidget::DockWidgetClosable);
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setSpacing(1);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    group_ = new QActionGroup(this);
    group_->setExclusive(true);
    const QSize iconSize(toolIconSize().width, toolIconSize().height);
    int index = 0;
    for (int id : tools) {
        auto* action = new QAction(toolIcon(id), tooltipFor(id), this);
        action->setCheckable(true);
        action->setToolTip(tooltipFor(id));
        action->setData(id);
        group_->addAction(action);
        actions_[id] = action;
        auto* button = new QToolButton(panel);
        button->setDefaultAction(action);
        button->setIconSize(iconSize);
        button->setAutoRaise(true);
        button->setFixedSize(iconSize + QSize(6, 6));
        grid->addWidget(button, index / columns, index % columns);
        ++index;
        connect(action, &QAction::triggered, this, [this, id] {
            current_ = id;
            emit toolChosen(id);
        });
    }
    setWidget(panel);
    if (!tools.empty()) setCurrentTool(tools.front());
    hide();
}

void Toolbox::setCurrentTool(int toolId) {
    QAction* action = toolAction(toolId);
    if (action == nullptr) return;
    action->setChecked(true);
    current_ = toolId;
}

QAction* Toolbox::toolAction(int toolId) const {
    const auto found = actions_.find(toolId);
    return found == actions_.end() ? nullptr : found->second;
}

std::vector<int> Toolbox::tools() const {
    std::vector<int> out;
    for (const auto& [id, action] : actions_) out.push_back(id);
    return out;
}

}  // namespace kestrune
