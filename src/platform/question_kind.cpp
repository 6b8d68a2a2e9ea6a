#include "platform/question_kind.h"

namespace kestrune {

bool isAnswerTo(QuestionKind kind, Answer a) {
    switch (kind) {
        case QuestionKind::OkCancel:
            return a == Answer::Ok || a == Answer::Cancel;
        case QuestionKind::YesNo:
            return a == Answer::Yes || a == Answer::No;
        case QuestionKind::YesNoCancel:
            return a == Answer::Yes || a == Answer::No || a == Answer::Cancel;
    }
    return false;
}

Answer cautiousAnswer(QuestionKind kind) {
    return kind == QuestionKind::YesNo ? Answer::No : Answer::Cancel;
}

Answer affirmativeAnswer(QuestionKind kind) {
    return kind == QuestionKind::OkCancel ? Answer::Ok : Answer::Yes;
}

std::string_view buttonsLabel(QuestionKind kind) {
    switch (kind) {
        case QuestionKind::OkCancel:
            return "OK/Cancel";
        case QuestionKind::YesNo:
            return "Yes/No";
        case QuestionKind::YesNoCancel:
            return "Yes/No/Cancel";
    }
    return "";
}

std::string_view answerLabel(Answer a) {
    switch (a) {
        case Answer::Ok:
            return "OK";
        case Answer::Cancel:
            return "Cancel";
        case Answer::Yes:
            return "Yes";
        case Answer::No:
            return "No";
    }
    return "";
}

std::string_view iconLabel(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return "";
        case MessageIcon::Information:
            return "information";
        case MessageIcon::Warning:
            return "warning";
        case MessageIcon::Error:
            return "error";
        case MessageIcon::Question:
            return "question";
    }
    return "";
}

}  // namespace kestrune
