#include "gui/qt_user_interface.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "gui/port_list_dialog.h"

namespace kestrune {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon toQIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ask(QWidget* parent, std::string_view text, std::string_view caption,
                                MessageIcon icon, QMessageBox::StandardButtons buttons) {
    QMessageBox box(toQIcon(icon), toQString(caption), toQString(text), buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtUserInterface::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    ask(parent_, text, caption, icon, QMessageBox::Ok);
}

Answer QtUserInterface::askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) {
    return ask(parent_, text, caption, icon, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok
               ? Answer::Ok
               : Answer::Cancel;
}

Answer QtUserInterface::askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) {
    return ask(parent_, text, caption, icon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

Answer QtUserInterface::askYesNoCancel(std::string_view text, std::string_view caption, MessageIcon icon) {
    switch (ask(parent_, text, caption, icon, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<int> QtUserInterface::chooseFromList(std::string_view caption,
                                                   const std::vector<std::string>& items) {
    PortListDialog dialog(toQString(caption), items, parent_);
    dialog.exec();
    return dialog.chosen();
}

std::optional<std::string> QtUserInterface::askText(std::string_view caption, std::string_view prompt,
                                                    bool secret) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, toQString(caption), toQString(prompt),
                              secret ? QLineEdit::Password : QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

}  // namespace kestrune
