#pragma once
// "Save with Password": the check box "Save with old password" (checked and
// enabled only for a strategy that is protected already; while checked the
// two entries are disabled), "New password:" and "Confirm new password:",
// each at most 23 characters. Whether the entries are acceptable is the
// core's decision (document_dialogs.h), which shows the dialog again when
// they are not.

#include <QDialog>

#include "document/document_dialogs.h"

class QCheckBox;
class QLineEdit;

namespace kestrune {

class SavePasswordDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit SavePasswordDialog(bool alreadyProtected, QWidget* parent = nullptr);

    SavePasswordEntry entry() const;
    QCheckBox* useOldPassword() const { return useOld_; }
    QLineEdit* newPassword() const { return newPassword_; }
    QLineEdit* confirmPassword() const { return confirm_; }

  private:
    void followCheckBox();

    QCheckBox* useOld_ = nullptr;
    QLineEdit* newPassword_ = nullptr;
    QLineEdit* confirm_ = nullptr;
};

}  // namespace kestrune
