#include "gui/qt_document_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "gui/save_password_dialog.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {

QString strategyFileFilter() {
    // The template's fourth field: "Kestrune Files (*.ksv; *.kce)". Qt
    // separates patterns with spaces.
    const QStringList fields = QString::fromStdString(strings::text(kStrTaskTemplate)).split('\n');
    QString filter = fields.size() > 3 ? fields[3] : QStringLiteral("Kestrune Files (*.ksv *.kce)");
    filter.replace(QStringLiteral("; "), QStringLiteral(" "));
    return filter;
}

std::optional<SavePasswordEntry> QtDocumentDialogs::askSavePassword(bool alreadyProtected) {
    SavePasswordDialog dialog(alreadyProtected, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.entry();
}

std::optional<std::string> QtDocumentDialogs::chooseSavePath(std::string_view currentPath) {
    const QString path =
        QFileDialog::getSaveFileName(parent_, QStringLiteral("Save As"),
                                     QString::fromStdString(std::string(currentPath)), strategyFileFilter());
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

}  // namespace kestrune
