#pragma once
// The three names of a DDE link (service, topic, item) and the two forms
// they travel in: the "Link" clipboard format (each name zero-terminated,
// then one more zero) and the text the dialogs show ("service|topic!item").

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

struct DdeLinkNames {
    std::string service;
    std::string topic;
    std::string item;

    bool empty() const { return service.empty() && topic.empty() && item.empty(); }
    bool complete() const { return !service.empty() && !topic.empty() && !item.empty(); }
    friend bool operator==(const DdeLinkNames&, const DdeLinkNames&) = default;
};

// The clipboard format holds at most this many bytes.
inline constexpr std::size_t kDdeClipboardLinkSize = 128;

// "service\0topic\0item\0\0"; empty when the topic is empty (there is nothing
// to link to) or the names do not fit the format.
inline std::string makeClipboardLink(const DdeLinkNames& names) {
    if (names.topic.empty()) return {};
    std::string out;
    for (const std::string* name : {&names.service, &names.topic, &names.item}) {
        out += *name;
        out += '\0';
    }
    out += '\0';
    if (out.size() > kDdeClipboardLinkSize) return {};
    return out;
}

// The names of a clipboard link; nullopt when the data does not hold three
// terminated names. Only the first kDdeClipboardLinkSize bytes count.
inline std::optional<DdeLinkNames> parseClipboardLink(std::string_view data) {
    data = data.substr(0, kDdeClipboardLinkSize);
    DdeLinkNames names;
    for (std::string* name : {&names.service, &names.topic, &names.item}) {
        const std::size_t end = data.find('\0');
        if (end == std::string_view::npos) return std::nullopt;
        *name = std::string(data.substr(0, end));
        data.remove_prefix(end + 1);
    }
    return names;
}

// "service|topic!item", or "" when all three are empty.
inline std::string formatLinkText(const DdeLinkNames& names) {
    if (names.empty()) return {};
    return names.service + "|" + names.topic + "!" + names.item;
}

// The reverse of formatLinkText: "" gives three empty names; a text without
// '|' followed later by '!' is not a link.
inline std::optional<DdeLinkNames> parseLinkText(std::string_view text) {
    if (text.empty()) return DdeLinkNames{};
    const std::size_t bar = text.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    const std::size_t bang = text.find('!', bar + 1);
    if (bang == std::string_view::npos) return std::nullopt;
    return DdeLinkNames{std::string(text.substr(0, bar)), std::string(text.substr(bar + 1, bang - bar - 1)),
                        std::string(text.substr(bang + 1))};
}

}  // namespace kestrune
