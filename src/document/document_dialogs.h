#pragma once
// The questions of opening and saving a strategy that are more than a
// message box. The desktop program shows real dialogs; the command-line tools
// answer from their options; tests script the answers. What the dialogs
// decide (matching entries, which password a save uses) is decided here, so
// that every front end behaves alike.

#include <optional>
#include <string>
#include <string_view>

#include "document/protection.h"
#include "platform/user_interface.h"

namespace kestrune {

// What the "Save with Password" dialog returns on OK.
struct SavePasswordEntry {
    // "Save with old password": only offered (checked and enabled) when the
    // strategy is protected already; the fields below are then disabled.
    bool useOldPassword = false;
    std::string newPassword;      // "New password:", at most 23 characters
    std::string confirmPassword;  // "Confirm new password:"
};

class DocumentDialogs {
  public:
    virtual ~DocumentDialogs() = default;
    // The "Save with Password" dialog; `alreadyProtected` sets up its check
    // box. nullopt: Cancel.
    virtual std::optional<SavePasswordEntry> askSavePassword(bool alreadyProtected) = 0;
    // The file dialog of Save As, starting at `currentPath`; nullopt: Cancel.
    virtual std::optional<std::string> chooseSavePath(std::string_view currentPath) = 0;
};

inline constexpr std::string_view kPasswordsDoNotMatchText =
    "The new and confirmed passwords do not match. Please type them again.";
inline constexpr std::string_view kPasswordTooLongText = "The new password is longer than 23 characters.";
inline constexpr std::string_view kLoadPasswordCaption = "Load File Password";
inline constexpr std::string_view kLoadPasswordPrompt = "Enter password:";

// Shows the "Save with Password" dialog until its entries are acceptable:
// entries that differ (or a password that is too long) are told with the
// warning icon and the dialog is shown again. Returns the protection the
// save is to write (the current one when the old password is kept), or
// nullopt when the user cancelled.
std::optional<Protection> runSavePasswordDialog(DocumentDialogs& dialogs, UserInterface& ui,
                                                const Protection& current);

// The "Load File Password" question: the typed password, nullopt when cancelled.
std::optional<std::string> askLoadPassword(UserInterface& ui);

}  // namespace kestrune
