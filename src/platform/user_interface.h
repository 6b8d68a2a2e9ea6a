#pragma once
// How the core talks to the person in front of the program. The desktop
// application shows real dialogs; the command-line runtime prints to stderr and
// answers from its options; tests script the answers. The core never assumes
// which one it has.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

enum class MessageIcon { None, Information, Warning, Error, Question };

enum class Answer { Ok, Cancel, Yes, No };

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A message box with an OK button.
    virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    // OK/Cancel: returns Answer::Ok or Answer::Cancel.
    virtual Answer askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    // Yes/No: returns Answer::Yes or Answer::No.
    virtual Answer askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    // Yes/No/Cancel (unsaved changes): Answer::Yes, Answer::No or Answer::Cancel.
    virtual Answer askYesNoCancel(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    // A list to pick one entry from (the port list of a block, a device list):
    // the chosen index, or nullopt when the user cancelled.
    virtual std::optional<int> chooseFromList(std::string_view caption, const std::vector<std::string>& items) = 0;
    // One line of text (a password when `secret`): nullopt when cancelled.
    virtual std::optional<std::string> askText(std::string_view caption, std::string_view prompt, bool secret) = 0;
};

}  // namespace kestrune
