#include "scripting/extension_library.h"

#include <algorithm>
#include <cctype>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

bool takes(const ExtensionEntry& e, std::size_t arguments) {
    return arguments >= e.minArguments && arguments <= e.maxArguments;
}

bool isMember(ExtensionKind kind) {
    return kind == ExtensionKind::Method || kind == ExtensionKind::Property;
}

}  // namespace

Status ExtensionLibrary::add(ExtensionEntry entry) {
    if (!entries_.empty() && entry.id <= entries_.back().id)
        return {kMsgScriptExtensionError, "extension " + entry.name + ": id out of order"};
    if (!entry.handler) return {kMsgScriptExtensionError, "extension " + entry.name + ": no handler"};
    if (entry.maxArguments < entry.minArguments)
        return {kMsgScriptExtensionError, "extension " + entry.name + ": argument counts"};
    if (isMember(entry.kind)) {
        const bool classKnown = std::any_of(entries_.begin(), entries_.end(), [&](const ExtensionEntry& e) {
            return e.kind == ExtensionKind::Class && sameName(e.name, entry.className);
        });
        if (!classKnown) return {kMsgScriptExtensionError, "extension " + entry.name + ": unknown class"};
    }
    entries_.push_back(std::move(entry));
    return {};
}

const ExtensionEntry* ExtensionLibrary::find(int id) const {
    auto it = std::find_if(entries_.begin(), entries_.end(), [id](const ExtensionEntry& e) { return e.id == id; });
    return it == entries_.end() ? nullptr : &*it;
}

const ExtensionEntry* ExtensionLibrary::findGlobal(std::string_view name, std::size_t arguments) const {
    for (const ExtensionEntry& e : entries_) {
        if (isMember(e.kind) || !takes(e, arguments)) continue;
        if (sameName(e.name, name) || (!e.companion.empty() && sameName(e.companion, name))) return &e;
    }
    return nullptr;
}

const ExtensionEntry* ExtensionLibrary::findMember(std::string_view className, std::string_view name,
                                                   std::size_t arguments) const {
    for (const ExtensionEntry& e : entries_) {
        if (isMember(e.kind) && takes(e, arguments) && sameName(e.className, className) && sameName(e.name, name))
            return &e;
    }
    return nullptr;
}

bool ExtensionLibrary::dispatch(int id, ExtensionCall& call, bool editorBusy) const {
    const ExtensionEntry* entry = find(id);
    if (entry == nullptr) return false;
    if (editorBusy && !entry->worksWhileEditing) return true;
    entry->handler(call);
    return true;
}

}  // namespace kestrune
