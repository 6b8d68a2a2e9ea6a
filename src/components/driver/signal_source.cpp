#include "components/driver/signal_source.h"

#include <cmath>
#include <locale>
#include <numbers>
#include <sstream>

#include "components/driver/param_text.h"

namespace kestrune {
namespace {

struct KindName {
    SignalKind kind;
    const char* name;
    const char* keys;  // the keys the kind accepts, blank-separated
};

constexpr KindName kKinds[] = {
    {SignalKind::Constant, "constant", " value "},
    {SignalKind::Sine, "sine", " amplitude offset period phase "},
    {SignalKind::Ramp, "ramp", " low high period "},
    {SignalKind::Square, "square", " low high period duty "},
    {SignalKind::Random, "random", " low high seed "},
    {SignalKind::Plant, "plant", " ao gain tau dead noise initial seed "},
};

const KindName* findKind(std::string_view name) {
    for (const auto& k : kKinds)
        if (name == k.name) return &k;
    return nullptr;
}

const KindName& kindOf(SignalKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind) return k;
    return kKinds[0];
}

double fraction(double x) {
    return x - std::floor(x);
}

// Applies one key=value to the spec; false with `error` set when the value is bad.
bool applyKey(SignalSpec& s, const std::string& key, const std::string& text, std::string& error) {
    auto bad = [&](const char* why) {
        error = "'" + key + "=" + text + "': " + why;
        return false;
    };
    if (key == "ao" || key == "seed") {
        std::uint64_t u = 0;
        if (!parseUnsigned(text, u) || u > 0xFFFFFFFFu) return bad("expected a non-negative integer");
        if (key == "ao") {
            if (u > 31) return bad("analog output channel must be 0..31");
            s.aoChannel = static_cast<int>(u);
        } else {
            s.seed = static_cast<std::uint32_t>(u);
            s.plant.seed = s.seed;
        }
        return true;
    }
    double v = 0;
    if (!parseDouble(text, v)) return bad("expected a number");
    if (key == "value")
        s.value = v;
    else if (key == "amplitude")
        s.amplitude = v;
    else if (key == "offset")
        s.offset = v;
    else if (key == "phase")
        s.phase = v;
    else if (key == "low")
        s.low = v;
    else if (key == "high")
        s.high = v;
    else if (key == "gain")
        s.plant.gain = v;
    else if (key == "initial")
        s.plant.initial = v;
    else if (key == "period") {
        if (v <= 0) return bad("period must be positive");
        s.period = v;
    } else if (key == "duty") {
        if (v < 0 || v > 1) return bad("duty must be 0..1");
        s.duty = v;
    } else if (key == "tau") {
        if (v < 0) return bad("time constant must not be negative");
        s.plant.tau = v;
    } else if (key == "dead") {
        if (v < 0 || v > 3600) return bad("dead time must be 0..3600 seconds");
        s.plant.deadTime = v;
    } else if (key == "noise") {
        if (v < 0) return bad("noise must not be negative");
        s.plant.noise = v;
    }
    return true;
}

}  // namespace

bool parseSignalSpec(std::string_view text, SignalSpec& out, std::string& error) {
    ParamText p;
    if (!parseParamText(text, p, error)) return false;
    const KindName* kind = findKind(p.head);
    if (!kind) {
        error = p.head.empty() ? "missing signal kind (constant, sine, ramp, square, random or plant)"
                               : "unknown signal kind '" + p.head + "'";
        return false;
    }
    SignalSpec s;
    s.kind = kind->kind;
    for (const auto& [key, value] : p.pairs) {
        if (std::string_view(kind->keys).find(" " + key + " ") == std::string_view::npos) {
            error = "'" + key + "' is not a parameter of a " + kind->name + " signal";
            return false;
        }
        if (!applyKey(s, key, value, error)) return false;
    }
    if (s.kind == SignalKind::Plant && s.aoChannel < 0) {
        error = "a plant signal needs ao=<analog output channel>";
        return false;
    }
    out = s;
    return true;
}

std::string formatSignalSpec(const SignalSpec& s) {
    std::ostringstream o;
    o.imbue(std::locale::classic());
    o << kindOf(s.kind).name;
    switch (s.kind) {
        case SignalKind::Constant:
            o << " value=" << s.value;
            break;
        case SignalKind::Sine:
            o << " amplitude=" << s.amplitude << " offset=" << s.offset << " period=" << s.period
              << " phase=" << s.phase;
            break;
        case SignalKind::Ramp:
            o << " low=" << s.low << " high=" << s.high << " period=" << s.period;
            break;
        case SignalKind::Square:
            o << " low=" << s.low << " high=" << s.high << " period=" << s.period << " duty=" << s.duty;
            break;
        case SignalKind::Random:
            o << " low=" << s.low << " high=" << s.high << " seed=" << s.seed;
            break;
        case SignalKind::Plant:
            o << " ao=" << s.aoChannel << " gain=" << s.plant.gain << " tau=" << s.plant.tau
              << " dead=" << s.plant.deadTime << " noise=" << s.plant.noise;
            if (s.plant.initial != 0) o << " initial=" << s.plant.initial;
            o << " seed=" << s.plant.seed;
            break;
    }
    return o.str();
}

SignalGenerator::SignalGenerator(const SignalSpec& spec) : spec_(spec), rng_(spec.seed) {}

double SignalGenerator::value(double t) {
    const SignalSpec& s = spec_;
    switch (s.kind) {
        case SignalKind::Constant:
            return s.value;
        case SignalKind::Sine:
            return s.offset + s.amplitude * std::sin(2 * std::numbers::pi * (t / s.period + s.phase / 360.0));
        case SignalKind::Ramp:
            return s.low + (s.high - s.low) * fraction(t / s.period);
        case SignalKind::Square:
            return fraction(t / s.period) < s.duty ? s.high : s.low;
        case SignalKind::Random: {
            std::uniform_real_distribution<double> d(std::min(s.low, s.high), std::max(s.low, s.high));
            return d(rng_);
        }
        case SignalKind::Plant:
            return 0.0;
    }
    return 0.0;
}

}  // namespace kestrune
