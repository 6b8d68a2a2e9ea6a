#include "gui/save_password_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "document/protection.h"

namespace kestrune {
namespace {

constexpr int kMaxPasswordLength = 23;

QLineEdit* passwordField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    field->setMaxLength(kMaxPasswordLength);
    return field;
}

}  // namespace

SavePasswordDialog::SavePasswordDialog(bool alreadyProtected, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Save with Password"));
    auto* layout = new QVBoxLayout(this);
    useOld_ = new QCheckBox(QStringLiteral("Save with old password"), this);
    useOld_->setChecked(alreadyProtected);
    useOld_->setEnabled(alreadyProtected);
    layout->addWidget(useOld_);
    auto* form = new QFormLayout;
    newPassword_ = passwordField(this);
    confirm_ = passwordField(this);
    form->addRow(QStringLiteral("New password:"), newPassword_);
    form->addRow(QStringLiteral("Confirm new password:"), confirm_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(useOld_, &QCheckBox::toggled, this, &SavePasswordDialog::followCheckBox);
    followCheckBox();
}

void SavePasswordDialog::followCheckBox() {
    const bool typing = !useOld_->isChecked();
    newPassword_->setEnabled(typing);
    confirm_->setEnabled(typing);
}

SavePasswordEntry SavePasswordDialog::entry() const {
    SavePasswordEntry out;
    out.useOldPassword = useOld_->isChecked();
    out.newPassword = newPassword_->text().toStdString();
    out.confirmPassword = confirm_->text().toStdString();
    return out;
}

}  // namespace kestrune
