#pragma once
// A block-like kind for the property tests: a few settings of every type,
// one of them on a base class, one behind a setter that can refuse, one that
// moves another field, and a cross-field check.

#include <string>

#include "platform/canvas_types.h"
#include "properties/property_table.h"

namespace kestrune::testing {

enum class Orientation : std::uint8_t { Up, Down, Right, Left };

struct FakeIoBase {
    std::uint16_t updateTimes = 1;
};

struct FakeKind : FakeIoBase {
    std::uint16_t firstChannel = 0;
    std::uint16_t lastChannel = 0;
    std::uint8_t ticks = 10;
    float gain = 1.0f;
    double span = 300.0;
    std::uint8_t scaling = 0;
    float inMin = 0.0f;
    float inMax = 10.0f;
    Orientation orientation = Orientation::Up;
    std::string description = "AI1";
    std::string file;
    Rgb colour = 0x0000FF;
    LogFont font;
    std::string name = "AI1";
    int renames = 0;

    // The last channel follows the first so that the range is never reversed.
    void setFirstChannel(std::int64_t c) {
        firstChannel = static_cast<std::uint16_t>(c);
        if (lastChannel < firstChannel) lastChannel = firstChannel;
    }
    // Renaming has a side effect (the tag moves) and refuses an empty name.
    Status rename(const std::string& n) {
        if (n.empty()) return Status(32869, "Unconfigured block: ");
        name = n;
        ++renames;
        return {};
    }

    static const PropertyTable<FakeKind>& table();
    PropertySet properties() { return table().bind(*this); }
};

inline const PropertyTable<FakeKind>& FakeKind::table() {
    static const PropertyTable<FakeKind> t = [] {
        PropertyTable<FakeKind> p;
        p.addString(
            "Tag", [](const FakeKind& k) { return k.name; }, nullptr, 0);
        p.addString(
             "Name", [](const FakeKind& k) { return k.name; }, &FakeKind::rename, 9)
            .key("name");
        p.addString("Description:", &FakeKind::description, 9);
        p.group("Channels");
        p.addInt(
            "&From channel:", [](const FakeKind& k) { return k.firstChannel; }, &FakeKind::setFirstChannel, 0,
            31);
        p.addInt("&To channel:", &FakeKind::lastChannel, 0, 31);
        p.addInt("&Update times", &FakeKind::updateTimes, 1, 10000).defaultValue(std::int64_t{1});
        p.addInt("Ticks", &FakeKind::ticks, 2, 20).rangeMessage(33014);
        p.page("Scaling");
        p.addBool("Enable scaling ", &FakeKind::scaling).key("scaling").help("Scale the readings linearly.");
        p.addFloat("n1", &FakeKind::inMin, -1e30, 1e30).enabledWhen([](const FakeKind& k) {
            return k.scaling != 0;
        });
        p.addFloat("m1", &FakeKind::inMax, -1e30, 1e30).enabledWhen([](const FakeKind& k) {
            return k.scaling != 0;
        });
        p.addFloat("Gain", &FakeKind::gain, 0.0, 100.0).defaultValue(1.0);
        p.addFloat("Span", &FakeKind::span, 0.001, 359.999);
        p.page("Look");
        p.addChoice("Orientation", &FakeKind::orientation,
                    {{0, "Up"}, {1, "Down"}, {2, "Right"}, {3, "Left"}})
            .defaultValue(std::int64_t{0});
        p.addColour("Colour", &FakeKind::colour);
        p.addFont("Font ...", &FakeKind::font).key("font");
        p.addString("File name", &FakeKind::file, 259, PropertyType::FilePath);
        p.addCheck([](const FakeKind& k) {
            return k.inMin < k.inMax ? Status{}
                                     : Status(32963, "Min. value should be smaller than Max. value.");
        });
        return p;
    }();
    return t;
}

}  // namespace kestrune::testing
