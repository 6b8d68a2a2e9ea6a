#include "document/strategy_document.h"

#include <algorithm>
#include <random>

#include "platform/paths.h"
#include "resources/message_ids.h"

namespace kestrune {

StrategyDocument::StrategyDocument(DocumentServices services)
    : services_(std::move(services)), options_(StrategyOptions::defaults(services_.resolutionMs)) {
    clear();
}

StrategyDocument::~StrategyDocument() {
    virtualTags_.clear();
    // Later tasks first, so that the first task's object keeps the lowest
    // instance numbers to the end (nothing depends on it, but it is the order
    // the views close in).
    while (!tasks_.empty()) tasks_.pop_back();
}

StrategyTaskServices StrategyDocument::strategyTaskServices() {
    return {registry_, services_.factory, services_.tags, services_.ui, services_.outputRegistry};
}

void StrategyDocument::clear() {
    virtualTags_.clear();
    while (!tasks_.empty()) tasks_.pop_back();
    opaqueSections_.clear();
    networkTaskNames_.clear();
    networkSettings_ = {};
    options_ = StrategyOptions::defaults(services_.resolutionMs);
    protection_ = {};
    version_ = FileVersion::current();
    addTask();
    setModified(false);
}

StrategyTask* StrategyDocument::findTask(std::string_view name) const {
    for (const auto& task : tasks_) {
        if (task->name() == name) return task.get();
    }
    return nullptr;
}

StrategyTask* StrategyDocument::addTask(Status* why) {
    std::unique_ptr<StrategyTask> task = StrategyTask::create(strategyTaskServices(), why);
    if (task == nullptr) return nullptr;
    tasks_.push_back(std::move(task));
    modified_ = true;
    return tasks_.back().get();
}

bool StrategyDocument::deleteTask(StrategyTask& task) {
    const auto it =
        std::find_if(tasks_.begin(), tasks_.end(), [&](const auto& t) { return t.get() == &task; });
    if (it == tasks_.end()) return false;
    // Sections after the task stay after the tasks they followed.
    const auto index = static_cast<std::size_t>(it - tasks_.begin());
    for (OpaqueSection& section : opaqueSections_) {
        if (section.tasksBefore > index) --section.tasksBefore;
    }
    tasks_.erase(it);
    modified_ = true;
    return true;
}

Code StrategyDocument::validateAll() {
    Code first = kOk;
    for (const auto& task : tasks_) {
        const Code code = task->validate();
        if (first == kOk) first = code;
    }
    return first;
}

VirtualTag* StrategyDocument::findVirtualTag(std::string_view name) const {
    for (const auto& tag : virtualTags_) {
        if (tag->name() == name) return tag.get();
    }
    return nullptr;
}

VirtualTag* StrategyDocument::addVirtualTag(std::string_view name, std::uint16_t type, bool hold,
                                            Status* why) {
    auto refuse = [&](std::string_view text) -> VirtualTag* {
        if (why != nullptr) *why = {kMsgGenericError, std::string(text)};
        return nullptr;
    };
    if (!VirtualTag::isValidName(name)) return refuse(kVirtualTagLengthText);
    if (findVirtualTag(name) != nullptr) return refuse(kVirtualTagExistsText);
    virtualTags_.push_back(std::make_unique<VirtualTag>(services_.tags, name, type, hold));
    modified_ = true;
    return virtualTags_.back().get();
}

bool StrategyDocument::adoptVirtualTag(std::unique_ptr<VirtualTag> tag) {
    if (tag == nullptr || findVirtualTag(tag->name()) != nullptr) return false;
    virtualTags_.push_back(std::move(tag));
    return true;
}

bool StrategyDocument::removeVirtualTag(std::string_view name) {
    const auto it = std::find_if(virtualTags_.begin(), virtualTags_.end(),
                                 [&](const auto& t) { return t->name() == name; });
    if (it == virtualTags_.end()) return false;
    virtualTags_.erase(it);
    modified_ = true;
    return true;
}

std::string StrategyDocument::directory() const {
    return strategyDirectory(path_);
}

std::string StrategyDocument::holdFilePath() const {
    return kestrune::holdFilePath(path_);
}

void StrategyDocument::setModified(bool modified) {
    modified_ = modified;
    registry_.setModified(modified);
}

std::uint32_t StrategyDocument::randomKey() const {
    if (services_.randomKey) return services_.randomKey();
    std::random_device device;
    return device();
}

}  // namespace kestrune
