#include "platform/scripted_user_interface.h"

#include <iostream>

namespace kestrune {

void ScriptedUserInterface::answer(Answer a) {
    std::lock_guard lock(mutex_);
    script_.emplace_back(a);
}

void ScriptedUserInterface::choose(std::optional<int> index) {
    std::lock_guard lock(mutex_);
    script_.emplace_back(index);
}

void ScriptedUserInterface::enterText(std::optional<std::string> text) {
    std::lock_guard lock(mutex_);
    script_.emplace_back(std::move(text));
}

std::vector<ScriptedUserInterface::Shown> ScriptedUserInterface::shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

std::vector<std::string> ScriptedUserInterface::messages() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Message) out.push_back(s.text);
    return out;
}

std::vector<std::string> ScriptedUserInterface::errors() const {
    std::lock_guard lock(mutex_);
    return errors_;
}

std::size_t ScriptedUserInterface::unusedAnswers() const {
    std::lock_guard lock(mutex_);
    return script_.size();
}

void ScriptedUserInterface::fail(std::string message) {
    std::cerr << "ScriptedUserInterface: " << message << std::endl;
    errors_.push_back(std::move(message));
}

template <typename T>
std::optional<T> ScriptedUserInterface::take(std::string_view what) {
    if (script_.empty()) {
        fail("unscripted " + std::string(what));
        return std::nullopt;
    }
    // A misfit is used up all the same, so the answers after it stay in step
    // with the questions they were written for.
    Scripted next = std::move(script_.front());
    script_.pop_front();
    if (T* value = std::get_if<T>(&next)) return std::move(*value);
    fail("the next scripted answer does not fit " + std::string(what));
    return std::nullopt;
}

void ScriptedUserInterface::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    shown_.push_back({Kind::Message, std::string(text), std::string(caption), icon, {}, false});
}

Answer ScriptedUserInterface::ask(QuestionKind kind, std::string_view text, std::string_view caption,
                                  MessageIcon icon) {
    static constexpr Kind kKinds[] = {Kind::OkCancel, Kind::YesNo, Kind::YesNoCancel};
    std::lock_guard lock(mutex_);
    shown_.push_back(
        {kKinds[static_cast<int>(kind)], std::string(text), std::string(caption), icon, {}, false});
    const std::string what = std::string(buttonsLabel(kind)) + " question \"" + std::string(text) + '"';
    const std::optional<Answer> a = take<Answer>(what);
    if (!a) return cautiousAnswer(kind);
    if (!isAnswerTo(kind, *a)) {
        fail(std::string(answerLabel(*a)) + " is not an answer to the " + what);
        return cautiousAnswer(kind);
    }
    return *a;
}

Answer ScriptedUserInterface::askOkCancel(std::string_view text, std::string_view caption, MessageIcon icon) {
    return ask(QuestionKind::OkCancel, text, caption, icon);
}

Answer ScriptedUserInterface::askYesNo(std::string_view text, std::string_view caption, MessageIcon icon) {
    return ask(QuestionKind::YesNo, text, caption, icon);
}

Answer ScriptedUserInterface::askYesNoCancel(std::string_view text, std::string_view caption,
                                             MessageIcon icon) {
    return ask(QuestionKind::YesNoCancel, text, caption, icon);
}

std::optional<int> ScriptedUserInterface::chooseFromList(std::string_view caption,
                                                         const std::vector<std::string>& items) {
    std::lock_guard lock(mutex_);
    shown_.push_back({Kind::List, "", std::string(caption), MessageIcon::None, items, false});
    const auto choice = take<std::optional<int>>("list \"" + std::string(caption) + '"');
    if (!choice || !*choice) return std::nullopt;
    if (**choice < 0 || static_cast<std::size_t>(**choice) >= items.size()) {
        fail("scripted entry " + std::to_string(**choice) + " is not in the list \"" + std::string(caption) +
             '"');
        return std::nullopt;
    }
    return *choice;
}

std::optional<std::string> ScriptedUserInterface::askText(std::string_view caption, std::string_view prompt,
                                                          bool secret) {
    std::lock_guard lock(mutex_);
    shown_.push_back({Kind::Text, std::string(prompt), std::string(caption), MessageIcon::None, {}, secret});
    const auto text = take<std::optional<std::string>>("text question \"" + std::string(prompt) + '"');
    if (!text) return std::nullopt;
    return *text;
}

}  // namespace kestrune
