#include "document/document_dialogs.h"

#include "resources/message_box.h"

namespace kestrune {

std::optional<Protection> runSavePasswordDialog(DocumentDialogs& dialogs, UserInterface& ui,
                                                const Protection& current) {
    for (;;) {
        std::optional<SavePasswordEntry> entry = dialogs.askSavePassword(current.isProtected());
        if (!entry) return std::nullopt;
        // The check box is disabled without a password to keep.
        if (entry->useOldPassword && current.isProtected()) return current;
        if (entry->newPassword != entry->confirmPassword) {
            showMessageText(ui, kPasswordsDoNotMatchText, MessageIcon::Warning);
            continue;
        }
        Protection chosen;
        if (!chosen.protect(entry->newPassword)) {
            showMessageText(ui, kPasswordTooLongText, MessageIcon::Warning);
            continue;
        }
        return chosen;
    }
}

std::optional<std::string> askLoadPassword(UserInterface& ui) {
    return ui.askText(kLoadPasswordCaption, kLoadPasswordPrompt, true);
}

}  // namespace kestrune
