#include "gui/port_list_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrune {

PortListDialog::PortListDialog(const QString& caption, const std::vector<std::string>& items, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (const std::string& item : items) list_->addItem(QString::fromStdString(item));
    layout->addWidget(list_);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    // OK only acts on a selection: the dialog stays open without one.
    connect(buttons, &QDialogButtonBox::accepted, this, &PortListDialog::takeSelection);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &PortListDialog::takeSelection);
}

void PortListDialog::takeSelection() {
    const int row = list_->currentRow();
    if (row < 0 || list_->selectedItems().isEmpty()) return;
    chosen_ = row;
    accept();
}

}  // namespace kestrune
