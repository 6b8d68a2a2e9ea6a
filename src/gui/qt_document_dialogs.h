#pragma once
// The save commands' dialogs for the desktop: "Save with Password" and the
// file dialog of Save As, over the main window.

#include <QPointer>
#include <QWidget>

#include "document/document_dialogs.h"

namespace kestrune {

// The file dialogs' filter: the strategy template's files.
QString strategyFileFilter();

class QtDocumentDialogs final : public DocumentDialogs {
  public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    std::optional<SavePasswordEntry> askSavePassword(bool alreadyProtected) override;
    std::optional<std::string> chooseSavePath(std::string_view currentPath) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace kestrune
