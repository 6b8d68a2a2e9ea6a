#include "platform/stderr_user_interface.h"

namespace kestrune {

void StderrUserInterface::printHead(std::string_view caption, MessageIcon icon) {
    out_ << caption;
    if (const auto label = iconLabel(icon); !label.empty()) out_ << " [" << label << ']';
    out_ << ": ";
}

void StderrUserInterface::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    printHead(caption, icon);
    out_ << text << std::endl;
}

Answer StderrUserInterface::ask(QuestionKind kind, std::string_view text, std::string_view caption,
                                MessageIcon icon) {
    const Answer a =
        answers_.questions == AutomaticAnswers::Policy::Yes ? affirmativeAnswer(kind) : cautiousAnswer(kind);
    std::lock_guard lock(mutex_);
    printHead(caption, icon);
    out_ << text << " (" << buttonsLabel(kind) << ") -> " << answerLabel(a) << std::endl;
    return a;
}

Answer StderrUserInterface::askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) {
    return ask(QuestionKind::OkCancel, text, caption, icon);
}

Answer StderrUserInterface::askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) {
    return ask(QuestionKind::YesNo, text, caption, icon);
}

Answer StderrUserInterface::askYesNoCancel(std::string_view text, std::string_view caption,
                                           MessageIcon icon) {
    return ask(QuestionKind::YesNoCancel, text, caption, icon);
}

std::optional<int> StderrUserInterface::chooseFromList(std::string_view caption,
                                                       const std::vector<std::string>& items) {
    std::optional<int> choice = answers_.listChoice;
    if (choice && (*choice < 0 || static_cast<std::size_t>(*choice) >= items.size())) choice.reset();
    std::lock_guard lock(mutex_);
    out_ << caption << ": " << items.size() << " entries -> ";
    if (choice) {
        out_ << *choice << " (" << items[static_cast<std::size_t>(*choice)] << ')' << std::endl;
    } else {
        out_ << "cancelled" << std::endl;
    }
    return choice;
}

std::optional<std::string> StderrUserInterface::askText(std::string_view caption, std::string_view prompt,
                                                        bool secret) {
    std::lock_guard lock(mutex_);
    out_ << caption << ": " << prompt << " -> ";
    if (!answers_.text) {
        out_ << "cancelled" << std::endl;
    } else {
        out_ << (secret ? std::string("(given)") : *answers_.text) << std::endl;
    }
    return answers_.text;
}

}  // namespace kestrune
