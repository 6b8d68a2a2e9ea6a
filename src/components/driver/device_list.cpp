#include "components/driver/device_list.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "components/driver/driver_codes.h"
#include "components/driver/param_text.h"
#include "platform/safe_file.h"

namespace kestrune {
namespace {

struct Line {
    int number = 0;
    std::string key;
    std::string value;
};

struct Section {
    int line = 0;
    std::int32_t number = 0;
    std::vector<Line> lines;
};

Status fail(int line, const std::string& what) {
    return {driverCode(DriverError::DeviceListInvalid), "line " + std::to_string(line) + ": " + what};
}

// "ai.12" with prefix "ai." gives 12; false when the rest is not a number.
bool indexedKey(std::string_view key, std::string_view prefix, std::uint64_t& index) {
    if (key.substr(0, prefix.size()) != prefix) return false;
    return parseUnsigned(key.substr(prefix.size()), index) && key.find("0x") == std::string_view::npos;
}

bool readCount(const Line& l, std::size_t max, std::size_t& out, Status& st) {
    std::uint64_t v = 0;
    if (!parseUnsigned(l.value, v) || v > max) {
        st = fail(l.number, "'" + l.key + "' must be a number from 0 to " + std::to_string(max));
        return false;
    }
    out = static_cast<std::size_t>(v);
    return true;
}

bool unescape(const Line& l, std::string& out, Status& st) {
    out.clear();
    const std::string& s = l.value;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i >= s.size()) break;
        switch (s[i]) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            case 'x': {
                std::uint64_t v = 0;
                if (i + 2 >= s.size() || !parseUnsigned("0x" + s.substr(i + 1, 2), v)) {
                    st = fail(l.number, "'\\x' needs two hexadecimal digits");
                    return false;
                }
                out += static_cast<char>(v);
                i += 2;
                break;
            }
            default:
                st = fail(l.number, std::string("unknown escape '\\") + s[i] + "'");
                return false;
        }
    }
    return true;
}

Status applyScalar(DeviceEntry& e, const Line& l, bool& handled) {
    handled = true;
    Status st;
    std::size_t n = 0;
    double d = 0;
    const bool board = e.type == DeviceType::Board;
    const std::string& k = l.key;
    if (k == "type") {
        // Read before the other keys.
    } else if (k == "description") {
        e.description = l.value;
    } else if (k == "kind") {
        if (!readCount(l, 255, n, st)) return st;
        e.kind = static_cast<std::uint8_t>(n);
    } else if (board && k == "ai.count") {
        if (!readCount(l, kMaxAiChannels, n, st)) return st;
        e.ai.assign(n, SignalSpec{});
    } else if (board && k == "ai.mode") {
        if (l.value == "single")
            e.inputMode = kInputModeSingleEnded;
        else if (l.value == "differential")
            e.inputMode = kInputModeDifferential;
        else
            return fail(l.number, "'ai.mode' must be single or differential");
    } else if (board && k == "ai.cjc") {
        std::int64_t v = 0;
        if (!parseInteger(l.value, v) || v < -1 || v >= static_cast<std::int64_t>(kMaxAiChannels))
            return fail(l.number, "'ai.cjc' must be -1 or a channel number");
        e.cjcChannel = static_cast<std::int16_t>(v);
    } else if (board && k == "ao.count") {
        if (!readCount(l, kMaxAoChannels, n, st)) return st;
        e.aoCount = static_cast<std::uint16_t>(n);
    } else if (board && (k == "ao.low" || k == "ao.high")) {
        if (!parseDouble(l.value, d)) return fail(l.number, "'" + k + "' must be a number");
        (k == "ao.low" ? e.aoLow : e.aoHigh) = static_cast<float>(d);
    } else if (board && k == "dio.ports") {
        if (!readCount(l, kMaxPorts, n, st)) return st;
        e.ports.assign(n, PortSpec{});
    } else if (board && k == "counter.count") {
        if (!readCount(l, kMaxCounters, n, st)) return st;
        e.counters.assign(n, CounterSpec{});
    } else if (board && k == "alarm.count") {
        if (!readCount(l, kMaxAiChannels, n, st)) return st;
        e.alarmCount = static_cast<std::uint16_t>(n);
    } else if (!board && k == "mode") {
        if (l.value == "loopback")
            e.comMode = ComMode::Loopback;
        else if (l.value == "reply")
            e.comMode = ComMode::Reply;
        else if (l.value == "silent")
            e.comMode = ComMode::Silent;
        else
            return fail(l.number, "'mode' must be loopback, reply or silent");
    } else if (!board && k == "reply") {
        if (!unescape(l, e.reply, st)) return st;
    } else {
        handled = false;
    }
    return {};
}

Status applyPort(PortSpec& port, const Line& l) {
    ParamText p;
    std::string error;
    if (!parseParamText(l.value, p, error)) return fail(l.number, error);
    if (p.head == "input")
        port.mode = kPortInput;
    else if (p.head == "output")
        port.mode = kPortOutput;
    else if (p.head == "bidirectional")
        port.mode = kPortBidirectional;
    else
        return fail(l.number, "a port must be input, output or bidirectional");
    for (const auto& [key, value] : p.pairs) {
        std::uint64_t v = 0;
        if (key != "pins") return fail(l.number, "'" + key + "' is not a parameter of a port");
        if (!parseUnsigned(value, v) || v > 255) return fail(l.number, "'pins' must be 0..255 (0xFF)");
        port.pins = static_cast<std::uint8_t>(v);
    }
    return {};
}

Status applyCounter(CounterSpec& c, const Line& l) {
    ParamText p;
    std::string error;
    if (!parseParamText(l.value, p, error)) return fail(l.number, error);
    if (!p.head.empty()) return fail(l.number, "expected rate=... gate=...");
    for (const auto& [key, value] : p.pairs) {
        double d = 0;
        if (key == "rate") {
            if (!parseDouble(value, d) || d < 0) return fail(l.number, "'rate' must be a number >= 0");
            c.rate = d;
        } else if (key == "gate") {
            if (value != "high" && value != "low") return fail(l.number, "'gate' must be high or low");
            c.gateHigh = value == "high";
        } else {
            return fail(l.number, "'" + key + "' is not a parameter of a counter");
        }
    }
    return {};
}

Status applyExpansion(AiChannelConfig& x, const Line& l) {
    ParamText p;
    std::string error;
    if (!parseParamText(l.value, p, error)) return fail(l.number, error);
    if (!p.head.empty()) return fail(l.number, "expected board=... channels=... ids=...");
    for (const auto& [key, value] : p.pairs) {
        std::uint64_t v = 0;
        if (!parseUnsigned(value, v) || v > 0xFFFF) return fail(l.number, "'" + key + "' must be 0..65535");
        if (key == "board")
            x.boardType = static_cast<std::uint16_t>(v);
        else if (key == "channels")
            x.expChannels = static_cast<std::uint16_t>(v);
        else if (key == "ids")
            x.boardIds = static_cast<std::uint16_t>(v);
        else
            return fail(l.number, "'" + key + "' is not a parameter of an expansion board");
    }
    return {};
}

Status applyIndexed(DeviceEntry& e, const Line& l) {
    std::uint64_t i = 0;
    std::string error;
    auto beyond = [&](const char* what, std::size_t count) {
        return fail(l.number, "'" + l.key + "': " + what + " " + std::to_string(i) + " is beyond the count " +
                                  std::to_string(count));
    };
    if (indexedKey(l.key, "ai.", i)) {
        if (i >= e.ai.size()) return beyond("channel", e.ai.size());
        if (!parseSignalSpec(l.value, e.ai[i], error)) return fail(l.number, error);
        if (e.ai[i].kind == SignalKind::Plant && e.ai[i].aoChannel >= e.aoCount)
            return fail(l.number, "the plant's analog output " + std::to_string(e.ai[i].aoChannel) +
                                      " is beyond ao.count " + std::to_string(e.aoCount));
        return {};
    }
    if (indexedKey(l.key, "tc.", i)) {
        if (i >= e.ai.size()) return beyond("channel", e.ai.size());
        SignalSpec s;
        if (!parseSignalSpec(l.value, s, error)) return fail(l.number, error);
        if (s.kind == SignalKind::Plant) return fail(l.number, "a thermocouple cannot be a plant signal");
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
    return fail(l.number, "unknown key '" + l.key + "'");
}

Status buildEntry(const Section& s, DeviceEntry& e) {
    e.number = s.number;
    for (const auto& l : s.lines) {
        e.source += l.key + "=" + l.value + "\n";
        if (l.key != "type") continue;
        if (l.value == "board")
            e.type = DeviceType::Board;
        else if (l.value == "com")
            e.type = DeviceType::ComPort;
        else
            return fail(l.number, "'type' must be board or com");
    }
    // Counts first, so that channel lines may come in any order.
    std::vector<const Line*> indexed;
    for (const auto& l : s.lines) {
        bool handled = false;
        if (Status st = applyScalar(e, l, handled); !st.ok()) return st;
        if (!handled) {
            if (e.type == DeviceType::ComPort)
                return fail(l.number, "unknown key '" + l.key + "' for a COM port");
            indexed.push_back(&l);
        }
    }
    for (const Line* l : indexed)
        if (Status st = applyIndexed(e, *l); !st.ok()) return st;
    if (e.alarmCount > e.ai.size())
        return fail(s.line, "alarm.count is larger than the number of analog input channels");
    if (e.cjcChannel >= static_cast<int>(e.ai.size()))
        return fail(s.line, "ai.cjc is not an analog input channel");
    if (!(e.aoLow < e.aoHigh)) return fail(s.line, "ao.low must be below ao.high");
    if (e.description.empty())
        e.description = (e.type == DeviceType::ComPort ? "COM port " : "Device ") + std::to_string(e.number);
    return {};
}

}  // namespace

const DeviceEntry* DeviceList::find(std::int32_t number) const {
    for (const auto& d : devices)
        if (d.number == number) return &d;
    return nullptr;
}

Status parseDeviceList(std::string_view text, DeviceList& out) {
    std::vector<Section> sections;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        const std::string_view line = trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[') {
            std::int64_t n = -1;
            constexpr std::string_view kHead = "[device ";
            if (line.back() != ']' || line.substr(0, kHead.size()) != kHead ||
                !parseInteger(line.substr(kHead.size(), line.size() - kHead.size() - 1), n) || n < 0 ||
                n > 65535)
                return fail(lineNo, "expected a section header [device N] with N from 0 to 65535");
            for (const auto& s : sections)
                if (s.number == n) return fail(lineNo, "device " + std::to_string(n) + " is listed twice");
            sections.push_back({lineNo, static_cast<std::int32_t>(n), {}});
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) return fail(lineNo, "expected key = value");
        if (sections.empty()) return fail(lineNo, "a key before the first [device N] section");
        Line l{lineNo, std::string(trim(line.substr(0, eq))), std::string(trim(line.substr(eq + 1)))};
        if (l.key.empty()) return fail(lineNo, "missing key before '='");
        for (const auto& other : sections.back().lines)
            if (other.key == l.key) return fail(lineNo, "'" + l.key + "' given twice in this section");
        sections.back().lines.push_back(std::move(l));
    }
    DeviceList list;
    for (const auto& s : sections) {
        DeviceEntry e;
        if (Status st = buildEntry(s, e); !st.ok()) return st;
        list.devices.push_back(std::move(e));
    }
    out = std::move(list);
    return {};
}

Status loadDeviceList(const std::filesystem::path& path, DeviceList& out) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        const std::string text = defaultDeviceListText();
        std::filesystem::create_directories(path.parent_path(), ec);
        // A list that cannot be written is still used for this run.
        replaceFileSafely(path.string(), text);
        return parseDeviceList(text, out);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return {driverCode(DriverError::DeviceListInvalid), path.string() + ": cannot be read"};
    std::ostringstream text;
    text << in.rdbuf();
    Status st = parseDeviceList(text.str(), out);
    if (!st.ok()) st.context = path.string() + ", " + st.context;
    return st;
}

}  // namespace kestrune
