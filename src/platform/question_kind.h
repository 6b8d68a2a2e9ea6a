#pragma once
// What the UserInterface implementations that answer by themselves (the
// command-line runtime, the scripted one of the tests) share: which answers a
// button question allows, and which answer is the cautious one.

#include <string_view>

#include "platform/user_interface.h"

namespace kestrune {

enum class QuestionKind { OkCancel, YesNo, YesNoCancel };

// Whether `a` is one of the buttons of a question of `kind`.
bool isAnswerTo(QuestionKind kind, Answer a);
// The answer that changes nothing: Cancel, or No where there is no Cancel.
Answer cautiousAnswer(QuestionKind kind);
// The answer that goes ahead: OK or Yes.
Answer affirmativeAnswer(QuestionKind kind);

std::string_view buttonsLabel(QuestionKind kind);  // "OK/Cancel", "Yes/No", "Yes/No/Cancel"
std::string_view answerLabel(Answer a);            // "OK", "Cancel", "Yes", "No"
std::string_view iconLabel(MessageIcon icon);      // "", "information", "warning", "error", "question"

}  // namespace kestrune
