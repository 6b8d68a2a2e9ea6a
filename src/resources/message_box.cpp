#include "resources/message_box.h"

#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {

std::string messageCaption() {
    return strings::text(kMsgMessageCaption);
}

std::string composeMessage(int id, std::span<const std::string_view> details) {
    std::string text = strings::text(id);
    for (std::size_t i = 0; i < details.size(); ++i) {
        if (i > 0) text += ", ";
        text += details[i];
    }
    return text;
}

std::string composeMessage(int id, Details details) {
    return composeMessage(id, std::span<const std::string_view>(details.begin(), details.size()));
}

void showMessageBox(UserInterface& ui, int id, Details details, MessageIcon icon) {
    ui.showMessage(composeMessage(id, details), messageCaption(), icon);
}

Answer askOkCancel(UserInterface& ui, int id, Details details, MessageIcon icon) {
    return ui.askOkCancel(composeMessage(id, details), messageCaption(), icon);
}

Answer askYesNo(UserInterface& ui, int id, Details details, MessageIcon icon) {
    return ui.askYesNo(composeMessage(id, details), messageCaption(), icon);
}

Answer askYesNoCancel(UserInterface& ui, int id, Details details, MessageIcon icon) {
    return ui.askYesNoCancel(composeMessage(id, details), messageCaption(), icon);
}

void showMessageText(UserInterface& ui, std::string_view text, MessageIcon icon) {
    ui.showMessage(text, messageCaption(), icon);
}

}  // namespace kestrune
