#pragma once
// The core's questions as Qt dialogs: message boxes with the caption the
// core gives (34200 for the program's own messages), OK/Cancel, Yes/No and
// Yes/No/Cancel, the port list, and a line of text (hidden for passwords).
// Modal to the main window once it exists.
//
// User-interface thread only: the core asks from there.

#include <QPointer>
#include <QWidget>

#include "platform/user_interface.h"

namespace kestrune {

class QtUserInterface final : public UserInterface {
  public:
    // The window the dialogs belong to (nullptr: none yet).
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askYesNoCancel(std::string_view text, std::string_view caption, MessageIcon icon) override;
    std::optional<int> chooseFromList(std::string_view caption,
                                      const std::vector<std::string>& items) override;
    std::optional<std::string> askText(std::string_view caption, std::string_view prompt,
                                       bool secret) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace kestrune
