// The settings table of the analog input block ("Analog Input Properties"
// and its "Scaling" dialog).

#include <limits>
#include <string>

#include "blocks/io/analog_input_block.h"

namespace kestrune {
namespace {

using B = AnalogInputBlock;

// One per-channel setting: its label, key prefix, upper limit and member.
struct ChannelField {
    const char* label;
    const char* key;
    std::int64_t max;
    std::uint16_t AiChannelSetting::*member;
};

constexpr ChannelField kChannelFields[] = {
    {"&Range:", "range", 0xFF, &AiChannelSetting::range},
    {"E&xp. channel:", "expChannel", 0xFF, &AiChannelSetting::expChannel},
    {"&Board ID:", "boardId", 0xF, &AiChannelSetting::boardId},
};

void addChannelFields(PropertyTable<B>& t) {
    for (std::size_t c = 0; c < kAiChannels; ++c) {
        t.group("C&hannel: " + std::to_string(c));
        for (const ChannelField& f : kChannelFields) {
            const auto member = f.member;
            t.addInt(
                 f.label, [c, member](const B& b) { return b.channelSetting(c).*member; },
                 [c, member](B& b, std::int64_t v) {
                     AiChannelSetting s = b.channelSetting(c);
                     s.*member = static_cast<std::uint16_t>(v);
                     b.setChannelSetting(c, s);
                 },
                 0, f.max)
                .key(f.key + std::to_string(c))
                .enabledWhen([c](const B& b) { return c >= b.firstChannel() && c <= b.lastChannel(); });
        }
    }
    t.group("");
}

void addScalingFields(PropertyTable<B>& t) {
    t.page("Scaling");
    t.addBool(
         "Enable scaling ", [](const B& b) { return b.scaling().enabled != 0; },
         [](B& b, bool on) {
             LinearScaling s = b.scaling();
             s.enabled = on ? 1 : 0;
             b.setScaling(s);
         })
        .key("scaling")
        .help("result = n2 + ( input - n1) x ( (m2 - n2) / (m1 - n1) )");
    struct Limit {
        const char* label;
        const char* key;
        float LinearScaling::*member;
    };
    static constexpr Limit kLimits[] = {
        {"n1", "inputMin", &LinearScaling::inputMin},
        {"m1", "inputMax", &LinearScaling::inputMax},
        {"n2", "scaleMin", &LinearScaling::scaleMin},
        {"m2", "scaleMax", &LinearScaling::scaleMax},
    };
    constexpr double kLimit = std::numeric_limits<float>::max();
    for (const Limit& l : kLimits) {
        const auto member = l.member;
        t.addFloat(
             l.label, [member](const B& b) { return b.scaling().*member; },
             [member](B& b, float v) {
                 LinearScaling s = b.scaling();
                 s.*member = v;
                 b.setScaling(s);
             },
             -kLimit, kLimit)
            .key(l.key)
            .enabledWhen([](const B& b) { return b.scaling().enabled != 0; });
    }
}

}  // namespace

PropertySet AnalogInputBlock::properties() {
    return propertyTable().bind(*this);
}

const PropertyTable<AnalogInputBlock>& AnalogInputBlock::propertyTable() {
    static const PropertyTable<B> table = [] {
        PropertyTable<B> t;
        addCommonProperties(t);
        t.addInt(
             "&From channel:", [](const B& b) { return b.firstChannel(); },
             [](B& b, std::int64_t c) { b.setFirstChannel(c); }, 0, kMaxChannel)
            .key("firstChannel");
        t.addInt(
             "&To channel:", [](const B& b) { return b.lastChannel(); },
             [](B& b, std::int64_t c) { b.setLastChannel(c); }, 0, kMaxChannel)
            .key("lastChannel");
        addChannelFields(t);
        addSourceProperties(t, "Connect to O&PC server");
        addUpdateTimesProperty(t);
        addDdeLinkProperty(t, "Establish DD&E link ( Channel 0 only)");
        addScalingFields(t);
        return t;
    }();
    return table;
}

}  // namespace kestrune
