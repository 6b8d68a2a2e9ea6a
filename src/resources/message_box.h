#pragma once
// The one way the program shows its own messages: the text of a string-table
// id, followed by the details (one detail is appended as it is; with two or
// more, the later ones follow after ", ", so a block check reads
// "Unconfigured block: TASK1, PID1"), in a box captioned "Kestrune Message".
// An id without a text shows "ER:<id>", so a missing string is visible but
// never fatal.
//
// A box given no icon shows the warning icon for OK and OK/Cancel boxes and
// the question icon for Yes/No boxes.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/user_interface.h"

namespace kestrune {

using Details = std::initializer_list<std::string_view>;

// The caption of every message box (string 34200).
std::string messageCaption();

std::string composeMessage(int id, std::span<const std::string_view> details);
std::string composeMessage(int id, Details details = {});

void showMessageBox(UserInterface& ui, int id, Details details = {}, MessageIcon icon = MessageIcon::Warning);
Answer askOkCancel(UserInterface& ui, int id, Details details = {}, MessageIcon icon = MessageIcon::Warning);
Answer askYesNo(UserInterface& ui, int id, Details details = {}, MessageIcon icon = MessageIcon::Question);
Answer askYesNoCancel(UserInterface& ui, int id, Details details = {},
                      MessageIcon icon = MessageIcon::Question);

// A text that is not a string-table message (one built elsewhere, or a fixed
// text of its own), under the same caption.
void showMessageText(UserInterface& ui, std::string_view text, MessageIcon icon = MessageIcon::Warning);

}  // namespace kestrune
