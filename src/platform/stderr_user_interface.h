#pragma once
// The user interface of the command-line runtime: messages are printed (to
// stderr unless told otherwise) and every question is answered at once from
// the options the program was started with. By default the answers are the
// cautious ones (Cancel, No, no choice, no text), so an unattended run never
// agrees to anything it was not told to.

#include <iostream>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "platform/question_kind.h"
#include "platform/user_interface.h"

namespace kestrune {

struct AutomaticAnswers {
    enum class Policy { Cautious, Yes };
    Policy questions = Policy::Cautious;  // Yes: OK to OK/Cancel, Yes to the others
    std::optional<int> listChoice;        // the entry picked from every list; none cancels
    std::optional<std::string> text;      // the answer to every text prompt; none cancels
};

class StderrUserInterface final : public UserInterface {
  public:
    explicit StderrUserInterface(std::ostream& out = std::cerr, AutomaticAnswers answers = {})
        : out_(out), answers_(std::move(answers)) {}

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askYesNoCancel(std::string_view text, std::string_view caption, MessageIcon icon) override;
    std::optional<int> chooseFromList(std::string_view caption,
                                      const std::vector<std::string>& items) override;
    std::optional<std::string> askText(std::string_view caption, std::string_view prompt,
                                       bool secret) override;

  private:
    Answer ask(QuestionKind kind, std::string_view text, std::string_view caption, MessageIcon icon);
    void printHead(std::string_view caption, MessageIcon icon);

    std::mutex mutex_;  // one message at a time, whole lines
    std::ostream& out_;
    const AutomaticAnswers answers_;
};

}  // namespace kestrune
