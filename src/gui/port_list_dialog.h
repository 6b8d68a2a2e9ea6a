#pragma once
// The port list: a caption ("Connect to:", "Output From:"), a list with one
// line per port, OK, Cancel and Help. OK or a double click takes the line
// selected; OK with nothing selected does nothing; Cancel (or closing the
// dialog) chooses nothing.

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace kestrune {

class PortListDialog final : public QDialog {
    Q_OBJECT

  public:
    PortListDialog(const QString& caption, const std::vector<std::string>& items, QWidget* parent = nullptr);

    // The line taken; nullopt until OK or a double click took one.
    std::optional<int> chosen() const { return chosen_; }
    QListWidget* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }

  private:
    void takeSelection();

    QListWidget* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::optional<int> chosen_;
};

}  // namespace kestrune
