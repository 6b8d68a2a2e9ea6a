#include "document/scripted_document_dialogs.h"

namespace kestrune {

std::optional<SavePasswordEntry> ScriptedDocumentDialogs::askSavePassword(bool alreadyProtected) {
    passwordDialogs_.push_back(alreadyProtected);
    if (passwords_.empty()) {
        ++unscripted_;
        return std::nullopt;
    }
    std::optional<SavePasswordEntry> next = std::move(passwords_.front());
    passwords_.pop_front();
    return next;
}

std::optional<std::string> ScriptedDocumentDialogs::chooseSavePath(std::string_view) {
    ++pathDialogs_;
    if (paths_.empty()) {
        ++unscripted_;
        return std::nullopt;
    }
    std::optional<std::string> next = std::move(paths_.front());
    paths_.pop_front();
    return next;
}

}  // namespace kestrune
