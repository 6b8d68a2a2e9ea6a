#include "components/driver/sim_board_settings.h"

#include <string>
#include <string_view>

#include "components/driver/param_text.h"

namespace kestrune {
namespace {

using Line = DeviceSetting;

Status fail(int line, const std::string& what) {
    return sectionError(line, what);
}

// "ai.12" with prefix "ai." gives 12; false when the rest is not a number.
bool indexedKey(std::string_view key, std::string_view prefix, std::uint64_t& index) {
    if (key.substr(0, prefix.size()) != prefix) return false;
    return parseUnsigned(key.substr(prefix.size()), index) && key.find("0x") == std::string_view::npos;
}

Status applyScalar(BoardSettings& e, const Line& l, bool& handled) {
    handled = true;
    Status st;
    std::size_t n = 0;
    double d = 0;
    const std::string& k = l.key;
    if (k == "ai.count") {
        if (!readCount(l, kMaxAiChannels, n, st)) return st;
        e.ai.assign(n, SignalSpec{});
    } else if (k == "ai.mode") {
        if (l.value == "single")
            e.inputMode = kInputModeSingleEnded;
        else if (l.value == "differential")
            e.inputMode = kInputModeDifferential;
        else
            return fail(l.line, "'ai.mode' must be single or differential");
    } else if (k == "ai.cjc") {
        std::int64_t v = 0;
        if (!parseInteger(l.value, v) || v < -1 || v >= static_cast<std::int64_t>(kMaxAiChannels))
            return fail(l.line, "'ai.cjc' must be -1 or a channel number");
        e.cjcChannel = static_cast<std::int16_t>(v);
    } else if (k == "ao.count") {
        if (!readCount(l, kMaxAoChannels, n, st)) return st;
        e.aoCount = static_cast<std::uint16_t>(n);
    } else if (k == "ao.low" || k == "ao.high") {
        if (!parseDouble(l.value, d)) return fail(l.line, "'" + k + "' must be a number");
        (k == "ao.low" ? e.aoLow : e.aoHigh) = static_cast<float>(d);
    } else if (k == "dio.ports") {
        if (!readCount(l, kMaxPorts, n, st)) return st;
        e.ports.assign(n, PortSpec{});
    } else if (k == "counter.count") {
        if (!readCount(l, kMaxCounters, n, st)) return st;
        e.counters.assign(n, CounterSpec{});
    } else if (k == "alarm.count") {
        if (!readCount(l, kMaxAiChannels, n, st)) return st;
        e.alarmCount = static_cast<std::uint16_t>(n);
    } else {
        handled = false;
    }
    return {};
}

Status applyPort(PortSpec& port, const Line& l) {
    ParamText p;
    std::string error;
    if (!parseParamText(l.value, p, error)) return fail(l.line, error);
    if (p.head == "input")
        port.mode = kPortInput;
    else if (p.head == "output")
        port.mode = kPortOutput;
    else if (p.head == "bidirectional")
        port.mode = kPortBidirectional;
    else
        return fail(l.line, "a port must be input, output or bidirectional");
    for (const auto& [key, value] : p.pairs) {
        std::uint64_t v = 0;
        if (key != "pins") return fail(l.line, "'" + key + "' is not a parameter of a port");
        if (!parseUnsigned(value, v) || v > 255) return fail(l.line, "'pins' must be 0..255 (0xFF)");
        port.pins = static_cast<std::uint8_t>(v);
    }
    return {};
}

Status applyCounter(CounterSpec& c, const Line& l) {
    ParamText p;
    std::string error;
    if (!parseParamText(l.value, p, error)) return fail(l.line, error);
    if (!p.head.empty()) return fail(l.line, "expected rate=... gate=...");
    for (const auto& [key, value] : p.pairs) {
        double d = 0;
        if (key == "rate") {
            if (!parseDouble(value, d) || d < 0) return fail(l.line, "'rate' must be a number >= 0");
            c.rate = d;
        } else if (key == "gate") {
            if (value != "high" && value != "low") return fail(l.line, "'gate' must be high or low");
            c.gateHigh = value == "high";
        } else {
            return fail(l.line, "'" + key + "' is not a parameter of a counter");
        }
    }
    return {};
}

Status applyExpansion(AiChannelConfig& x, const Line& l) {
    ParamText p;
    std::string error;
    if (!parseParamText(l.value, p, error)) return fail(l.line, error);
    if (!p.head.empty()) return fail(l.line, "expected board=... channels=... ids=...");
    for (const auto& [key, value] : p.pairs) {
        std::uint64_t v = 0;
        if (!parseUnsigned(value, v) || v > 0xFFFF) return fail(l.line, "'" + key + "' must be 0..65535");
        if (key == "board")
            x.boardType = static_cast<std::uint16_t>(v);
        else if (key == "channels")
            x.expChannels = static_cast<std::uint16_t>(v);
        else if (key == "ids")
            x.boardIds = static_cast<std::uint16_t>(v);
        else
            return fail(l.line, "'" + key + "' is not a parameter of an expansion board");
    }
    return {};
}

Status applyIndexed(BoardSettings& e, const Line& l) {
    std::uint64_t i = 0;
    std::string error;
    auto beyond = [&](const char* what, std::size_t count) {
        return fail(l.line, "'" + l.key + "': " + what + " " + std::to_string(i) + " is beyond the count " +
                                std::to_string(count));
    };
    if (indexedKey(l.key, "ai.", i)) {
        if (i >= e.ai.size()) return beyond("channel", e.ai.size());
        if (!parseSignalSpec(l.value, e.ai[i], error)) return fail(l.line, error);
        if (e.ai[i].kind == SignalKind::Plant && e.ai[i].aoChannel >= e.aoCount)
            return fail(l.line, "the plant's analog output " + std::to_string(e.ai[i].aoChannel) +
                                    " is beyond ao.count " + std::to_string(e.aoCount));
        return {};
    }
    if (indexedKey(l.key, "tc.", i)) {
        if (i >= e.ai.size()) return beyond("channel", e.ai.size());
        SignalSpec s;
        if (!parseSignalSpec(l.value, s, error)) return fail(l.line, error);
        if (s.kind == SignalKind::Plant) return fail(l.line, "a thermocouple cannot be a plant signal");
        e.thermocouples[static_cast<std::uint16_t>(i)] = s;
        return {};
    }
    if (indexedKey(l.key, "exp.", i)) {
        if (i >= kAiConfigEntries) return beyond("entry", kAiConfigEntries);
        return applyExpansion(e.expansion[i], l);
    }
    if (indexedKey(l.key, "dio.", i)) {
        if (i >= e.ports.size()) return beyond("port", e.ports.size());
        return applyPort(e.ports[i], l);
    }
    if (indexedKey(l.key, "counter.", i)) {
        if (i >= e.counters.size()) return beyond("counter", e.counters.size());
        return applyCounter(e.counters[i], l);
    }
    return fail(l.line, "unknown key '" + l.key + "'");
}

}  // namespace

Status parseBoardSettings(const DeviceSection& section, BoardSettings& out) {
    BoardSettings e;
    // Counts first, so that channel lines may come in any order.
    std::vector<const Line*> indexed;
    for (const auto& l : section.settings) {
        bool handled = false;
        if (Status st = applyScalar(e, l, handled); !st.ok()) return st;
        if (!handled) indexed.push_back(&l);
    }
    for (const Line* l : indexed)
        if (Status st = applyIndexed(e, *l); !st.ok()) return st;
    if (e.alarmCount > e.ai.size())
        return fail(section.line, "alarm.count is larger than the number of analog input channels");
    if (e.cjcChannel >= static_cast<int>(e.ai.size()))
        return fail(section.line, "ai.cjc is not an analog input channel");
    if (!(e.aoLow < e.aoHigh)) return fail(section.line, "ao.low must be below ao.high");
    out = std::move(e);
    return {};
}

}  // namespace kestrune
