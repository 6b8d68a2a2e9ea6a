#include "engine/running_script.h"

#include "engine/script_host.h"

namespace kestrune {
namespace {

thread_local RunningScriptSlot* tSlot = nullptr;

}  // namespace

RunningScriptSlot::Scope::Scope(RunningScriptSlot* slot, PreparedScript& script) : slot_(slot) {
    if (slot_ == nullptr) return;
    std::lock_guard lock(slot_->mutex_);
    outer_ = slot_->current_;
    slot_->current_ = &script;
}

RunningScriptSlot::Scope::~Scope() {
    if (slot_ == nullptr) return;
    std::lock_guard lock(slot_->mutex_);
    slot_->current_ = outer_;
}

void RunningScriptSlot::cancel() {
    std::lock_guard lock(mutex_);
    if (current_ != nullptr) current_->cancel();
}

RunningScriptSlot* RunningScriptSlot::ofThisThread() {
    return tSlot;
}

void RunningScriptSlot::setForThisThread(RunningScriptSlot* slot) {
    tSlot = slot;
}

}  // namespace kestrune
