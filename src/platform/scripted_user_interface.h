#pragma once
// The user interface of the tests. A test scripts the answers in the order
// the questions will come, runs the code, and then looks at everything that
// was shown (text, caption, icon). A question nobody scripted, or a scripted
// answer of the wrong kind (which is used up all the same), is recorded as an
// error (and printed), and the cautious answer is given, so the test fails loudly rather than hanging or
// taking a branch by accident.
//
// Thread-safe, although the program only calls it from its main thread.

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/question_kind.h"
#include "platform/user_interface.h"

namespace kestrune {

class ScriptedUserInterface final : public UserInterface {
  public:
    enum class Kind { Message, OkCancel, YesNo, YesNoCancel, List, Text };

    struct Shown {
        Kind kind = Kind::Message;
        std::string text;  // the message or question; the prompt of a text question
        std::string caption;
        MessageIcon icon = MessageIcon::None;
        std::vector<std::string> items;  // the entries of a list
        bool secret = false;             // a text question that hides what is typed
    };

    // The next button question gets `a`.
    void answer(Answer a);
    // The next list gets this entry (nullopt: cancelled).
    void choose(std::optional<int> index);
    // The next text question gets this text (nullopt: cancelled).
    void enterText(std::optional<std::string> text);

    std::vector<Shown> shown() const;
    // Texts of the plain messages only, in order.
    std::vector<std::string> messages() const;
    std::vector<std::string> errors() const;
    // Scripted answers nobody asked for (usually also a test failure).
    std::size_t unusedAnswers() const;

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) override;
    Answer askYesNoCancel(std::string_view text, std::string_view caption, MessageIcon icon) override;
    std::optional<int> chooseFromList(std::string_view caption,
                                      const std::vector<std::string>& items) override;
    std::optional<std::string> askText(std::string_view caption, std::string_view prompt,
                                       bool secret) override;

  private:
    using Scripted = std::variant<Answer, std::optional<int>, std::optional<std::string>>;

    Answer ask(QuestionKind kind, std::string_view text, std::string_view caption, MessageIcon icon);
    // Takes the next scripted answer; records an error when there is none or it is not a T.
    template <typename T>
    std::optional<T> take(std::string_view what);
    void fail(std::string message);

    mutable std::mutex mutex_;
    std::deque<Scripted> script_;
    std::vector<Shown> shown_;
    std::vector<std::string> errors_;
};

}  // namespace kestrune
