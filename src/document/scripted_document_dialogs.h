#pragma once
// The document dialogs of the tests (and of anything else that answers
// without a person): answers are queued in the order the dialogs will come.
// A dialog with no answer left is cancelled and counted, so a test that
// forgot one fails on its checks instead of hanging.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "document/document_dialogs.h"

namespace kestrune {

class ScriptedDocumentDialogs final : public DocumentDialogs {
  public:
    // The next "Save with Password" dialog gets this (nullopt: Cancel).
    void answerSavePassword(std::optional<SavePasswordEntry> entry) {
        passwords_.push_back(std::move(entry));
    }
    // The next Save As file dialog gets this (nullopt: Cancel).
    void answerSavePath(std::optional<std::string> path) { paths_.push_back(std::move(path)); }

    std::optional<SavePasswordEntry> askSavePassword(bool alreadyProtected) override;
    std::optional<std::string> chooseSavePath(std::string_view currentPath) override;

    // How each password dialog was set up, in order.
    const std::vector<bool>& passwordDialogs() const { return passwordDialogs_; }
    std::size_t pathDialogs() const { return pathDialogs_; }
    std::size_t unscripted() const { return unscripted_; }
    std::size_t unusedAnswers() const { return passwords_.size() + paths_.size(); }

  private:
    std::deque<std::optional<SavePasswordEntry>> passwords_;
    std::deque<std::optional<std::string>> paths_;
    std::vector<bool> passwordDialogs_;
    std::size_t pathDialogs_ = 0;
    std::size_t unscripted_ = 0;
};

}  // namespace kestrune
