#include "blocks/io/dde_server_item.h"

#include <cstdio>

#include "blocks/dde_link.h"

namespace kestrune {

void DdeServerItem::switchTo(bool on, DdeService* dde, std::string_view name) {
    enabled_.store(on);
    if (on) {
        offer(dde, name);
    } else {
        withdraw(dde);
    }
}

void DdeServerItem::offer(DdeService* dde, std::string_view name) {
    if (!enabled() || dde == nullptr) return;
    const std::string topic = dde->topic();
    if (topic.empty()) return;
    if (offered() && topic == topic_ && name == name_) return;
    withdraw(dde);
    const DdeItemHandle handle = dde->offerItem(topic, name, type_);
    if (handle == 0) return;
    topic_ = topic;
    name_ = std::string(name);
    handle_.store(handle);
}

void DdeServerItem::withdraw(DdeService* dde) {
    if (!offered()) return;
    if (dde != nullptr) dde->withdrawItem(topic_, name_);
    handle_.store(0);
    topic_.clear();
    name_.clear();
}

bool DdeServerItem::takeText(double value, std::string text) {
    if (lastSent_ && *lastSent_ == value) return false;
    lastSent_ = value;
    std::lock_guard guard(lock_);
    text_ = std::move(text);
    return true;
}

bool DdeServerItem::changed(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return takeText(value, text);
}

bool DdeServerItem::changed(std::int32_t value) {
    return takeText(value, std::to_string(value));
}

void DdeServerItem::update(DdeService* dde) const {
    const DdeItemHandle handle = handle_.load();
    if (dde == nullptr || handle == 0) return;
    std::lock_guard guard(lock_);
    dde->updateItem(handle, type_, text_);
}

std::string DdeServerItem::text() const {
    std::lock_guard guard(lock_);
    return text_;
}

std::string DdeServerItem::copyLink(DdeService* dde, std::string_view name) {
    if (dde == nullptr) return {};
    const std::string topic = dde->topic();
    std::string link = makeClipboardLink({std::string(kDdeOwnService), topic, std::string(name)});
    if (link.empty()) return {};
    enabled_.store(true);
    offer(dde, name);
    return link;
}

}  // namespace kestrune
