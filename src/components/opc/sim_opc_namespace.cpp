#include "components/opc/sim_opc_namespace.h"

#include <cmath>

#include "components/opc/opc_codes.h"

namespace kestrune {
namespace {

constexpr const char* kPlantInput = "Plant.Input";
constexpr const char* kPlantOutput = "Plant.Output";
constexpr const char* kCounter = "Signals.Counter";

SignalSpec wave(SignalKind kind, double a, double b, double period) {
    SignalSpec s;
    s.kind = kind;
    s.period = period;
    if (kind == SignalKind::Sine) {
        s.amplitude = a;
        s.offset = b;
    } else {
        s.low = a;
        s.high = b;
        s.value = a;
        s.seed = 7;
    }
    return s;
}

PlantParams plantParams() {
    PlantParams p;
    p.gain = 2.0;
    p.tau = 5.0;
    p.deadTime = 1.0;
    return p;
}

}  // namespace

SimOpcNamespace::SimOpcNamespace(std::shared_ptr<const SimClock> clock)
    : clock_(std::move(clock)), plant_(plantParams(), clock_->seconds()) {
    auto signal = [&](const char* id, const SignalSpec& spec, std::uint16_t quality = kQualityGood) {
        Item item;
        item.signal.emplace(spec);
        item.quality = quality;
        items_.emplace(id, std::move(item));
    };
    signal("Signals.Sine", wave(SignalKind::Sine, 5.0, 0.0, 10.0));
    signal("Signals.Ramp", wave(SignalKind::Ramp, 0.0, 100.0, 60.0));
    signal("Signals.Square", wave(SignalKind::Square, 0.0, 1.0, 4.0));
    signal("Signals.Random", wave(SignalKind::Random, -1.0, 1.0, 1.0));
    signal("Signals.Constant", wave(SignalKind::Constant, 2.5, 2.5, 1.0));
    signal("Signals.BadQuality", wave(SignalKind::Constant, 0.0, 0.0, 1.0), kQualityCommFailure);

    auto memory = [&](const std::string& id, VarType type, bool writable = true) {
        Item item;
        item.type = type;
        item.writable = writable;
        item.memory = Variant::ofType(type);
        items_.emplace(id, std::move(item));
    };
    memory(kCounter, VarType::I4, false);
    memory(kPlantInput, VarType::R4);
    memory(kPlantOutput, VarType::R4, false);
    for (int i = 1; i <= 4; ++i) {
        memory("Memory.Float" + std::to_string(i), VarType::R4);
        memory("Memory.Int" + std::to_string(i), VarType::I4);
    }
    for (int i = 1; i <= 2; ++i) memory("Memory.Bool" + std::to_string(i), VarType::Bool);
    memory("Memory.Double1", VarType::R8);
    memory("Memory.Short1", VarType::I2);
    memory("Memory.Word1", VarType::UI2);
    memory("Memory.DWord1", VarType::UI4);
    memory("Memory.String1", VarType::BStr);
}

SimOpcNamespace::Item* SimOpcNamespace::find(std::string_view id) {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : &it->second;
}

const SimOpcNamespace::Item* SimOpcNamespace::find(std::string_view id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : &it->second;
}

std::vector<OpcBrowseEntry> SimOpcNamespace::browse() const {
    std::lock_guard lock(mutex_);
    std::vector<OpcBrowseEntry> out;
    for (const auto& [id, item] : items_)
        out.push_back({"", kSimOpcServerName, id, "", item.type, item.writable});
    return out;
}

bool SimOpcNamespace::exists(std::string_view id) const {
    std::lock_guard lock(mutex_);
    return find(id) != nullptr;
}

Code SimOpcNamespace::read(std::string_view id, Variant& value, std::uint16_t& quality) {
    std::lock_guard lock(mutex_);
    Item* item = find(id);
    if (!item) return opcCode(OpcError::ItemNotFound);
    const double t = clock_->seconds();
    if (item->signal) {
        value = static_cast<float>(item->signal->value(t));
    } else if (id == kCounter) {
        value = static_cast<std::int32_t>(std::fmod(std::floor(t), 2147483648.0));
    } else if (id == kPlantOutput) {
        value = static_cast<float>(plant_.read(t));
    } else {
        value = item->memory;
    }
    quality = item->quality;
    return kOk;
}

Code SimOpcNamespace::write(std::string_view id, const Variant& value) {
    std::lock_guard lock(mutex_);
    Item* item = find(id);
    if (!item) return opcCode(OpcError::ItemNotFound);
    if (!item->writable) return opcCode(OpcError::ItemReadOnly);
    Variant converted = value;
    if (!converted.changeType(item->type)) return opcCode(OpcError::TypeMismatch);
    // A NaN would stay in the plant's state for good.
    if (id == kPlantInput && !std::isfinite(converted.toDouble())) return opcCode(OpcError::TypeMismatch);
    item->memory = std::move(converted);
    if (id == kPlantInput) plant_.setInput(clock_->seconds(), item->memory.toDouble());
    return kOk;
}

bool SimOpcNamespace::setQuality(std::string_view id, std::uint16_t quality) {
    std::lock_guard lock(mutex_);
    Item* item = find(id);
    if (!item) return false;
    item->quality = quality;
    return true;
}

}  // namespace kestrune
