#pragma once
// A designer tool box: a floating, dockable window of tool buttons with the
// tools' icons and their tooltips from the string table. Exactly one tool
// is current and its button is checked; choosing a button makes its tool
// current. Hidden at creation.

#include <QDockWidget>
#include <map>
#include <vector>

class QAction;
class QActionGroup;

namespace kestrune {

class Toolbox final : public QDockWidget {
    Q_OBJECT

  public:
    // `tools` in button order; the first is current at first.
    Toolbox(const QString& caption, const std::vector<int>& tools, int columns, QWidget* parent = nullptr);

    int currentTool() const { return current_; }
    // Ignored for an id that has no button here.
    void setCurrentTool(int toolId);
    // The button's action (nullptr for an id that has none).
    QAction* toolAction(int toolId) const;
    std::vector<int> tools() const;

    // The tooltip of a tool: its string-table text up to the line break.
    static QString tooltipFor(int toolId);

  signals:
    void toolChosen(int toolId);

  private:
    QActionGroup* group_ = nullptr;
    std::map<int, QAction*> actions_;
    int current_ = 0;
};

// The tool ids of a range that have icons, in id order.
std::vector<int> toolsInRange(int first, int last);

}  // namespace kestrune
