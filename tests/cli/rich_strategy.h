#pragma once
// A strategy that holds a bit of everything a file can: every registered
// block kind, settings changed from their defaults, wires with routed
// points, task scripts and periods, virtual tags of each type, network
// tasks, network settings and options. The strategy tool's round trips run
// over it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/strategy_document.h"
#include "engine/scan_task.h"
#include "properties/property_set.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune::ksv::testing {

// A value other than the current one for each setting the block takes: all
// at once (as the dialog's OK does, so that cross-field checks see a whole
// configuration), or one at a time when that is refused (leaving out what
// is refused). The round trip then meets settings away from their defaults.
inline void perturbSettings(Block& block) {
    PropertySet set = block.properties();
    std::vector<PropertySet::Change> changes;
    for (std::size_t i = 0; i < set.size(); ++i) {
        const PropertyField& f = set.field(i);
        if (f.readOnly || f.key == "name" || f.key == "caption") continue;
        const PropertyValue now = set.value(i);
        PropertyValue other;
        switch (f.type) {
            case PropertyType::Bool:
                other = !std::get<bool>(now);
                break;
            case PropertyType::Choice:
                other = f.choices.back().value == std::get<std::int64_t>(now) ? f.choices.front().value
                                                                              : f.choices.back().value;
                break;
            case PropertyType::Int:
                other = std::get<std::int64_t>(now) == f.intMin ? f.intMin + 1 : f.intMin;
                break;
            case PropertyType::Float:
                other = std::get<double>(now) == 0.125 ? 0.25 : 0.125;
                break;
            case PropertyType::Colour:
                other = std::int64_t{0x123456};
                break;
            case PropertyType::String:
            case PropertyType::FilePath:
            case PropertyType::Device:
            case PropertyType::OpcItem:
                // A device is a number and a kind.
                other = std::string(f.key == "device" ? "2:1" : "X1");
                break;
            default:
                continue;
        }
        changes.emplace_back(i, other);
    }
    if (set.apply(changes)) return;
    // Twice: a change refused before another one took (a device chosen) may pass then.
    for (int pass = 0; pass < 2; ++pass) {
        for (const PropertySet::Change& change : changes) set.apply({&change, 1});
    }
}

// Two tasks: every kind of `factory` once in the first (with settings away
// from their defaults when `perturb`), a small loop with a routed wire and
// scripts in the second; three virtual tags, a network task, changed
// network settings and options.
inline void fillRichStrategy(StrategyDocument& document, const BlockFactory& factory, bool perturb) {
    StrategyTask& first = document.task(0);
    int x = 40;
    for (const std::int16_t kind : factory.RegisteredKinds()) {
        if (kind == kTaskKind) continue;
        Placement made = first.addBlock(kind, {x, 40, x + 32, 72});
        ASSERT_NE(made.block, nullptr) << kind;
        if (perturb) perturbSettings(*made.block);
        x += 80;
    }
    StrategyTask* second = document.addTask();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(second->rename("LOOP").ok());
    Block* ai = second->addBlock(kAnalogInputKind, {40, 40, 72, 72}).block;
    Block* pid = second->addBlock(kPidKind, {200, 80, 232, 112}).block;
    ASSERT_TRUE(ai != nullptr && pid != nullptr);
    const Point route[] = {{71, 56}, {120, 56}, {120, 96}, {200, 96}};
    ASSERT_TRUE(second->graph().Connect(*ai, 0, *pid, 0, route).accepted());
    auto& task = dynamic_cast<ScanTask&>(second->taskObject());
    task.preTaskScript().setText("Sub PRE_LOOP()\r\n    x = 1\r\nEnd Sub\r\n");
    task.timing().setPeriod({0, 0, 2, 500});
    task.setCaption("Level loop");
    second->placement().normal = {5, 6, 705, 506};

    VirtualTag* level = document.addVirtualTag("LEVEL", VirtualTag::kFloat, true);
    VirtualTag* count = document.addVirtualTag("COUNT", VirtualTag::kInteger, false);
    VirtualTag* label = document.addVirtualTag("LABEL", VirtualTag::kString, true);
    ASSERT_TRUE(level != nullptr && count != nullptr && label != nullptr);
    level->setInitialFloat(0.1f);
    count->setInitialInteger(-7);
    label->setInitialText("pump \"A\"");
    document.networkTaskNames().push_back({"NPLANT2", "10.0.0.2"});
    document.networkSettings().stationName = "LINE1";
    document.networkSettings().retryTimes = 3;
    document.options().beepOnError = true;
    document.options().printEvents = PrintEvents::AlarmsOnly;
    document.options().errorLimit = 12;
    document.options().frameLayout = kLayoutMenuBar;
}

// On top of fillRichStrategy: a third task whose blocks are chained by wires
// with points (one of them a block that reads its source without a wire),
// another network task and every option away from a new strategy's.
inline void extendRichStrategy(StrategyDocument& document) {
    StrategyTask* third = document.addTask();
    ASSERT_NE(third, nullptr);
    ASSERT_TRUE(third->rename("CHAIN").ok());
    std::vector<Block*> chain;
    int x = 40;
    for (const std::int16_t kind : {kAnalogInputKind, kCalculationKind, kAverageKind, kAnalogOutputKind}) {
        Placement made = third->addBlock(kind, {x, 200, x + 32, 232});
        ASSERT_NE(made.block, nullptr) << kind;
        chain.push_back(made.block);
        x += 120;
    }
    for (std::size_t i = 1; i < chain.size(); ++i) {
        const Rect& from = chain[i - 1]->box();
        const Rect& to = chain[i]->box();
        const int middle = (from.right + to.left) / 2;
        const Point route[] = {{from.right - 1, 216}, {middle, 216}, {middle, 230}, {to.left, 230}};
        ASSERT_TRUE(third->graph().Connect(*chain[i - 1], 0, *chain[i], 0, route).accepted()) << i;
    }
    chain.front()->AddConsumer(chain.back()->id());
    third->placement().normal = {20, 30, 820, 630};
    auto& task = dynamic_cast<ScanTask&>(third->taskObject());
    task.postTaskScript().setText("Sub POST_CHAIN()\r\nEnd Sub\r\n");
    task.timing().setPeriod({0, 1, 0, 0});

    VirtualTag* limit = document.addVirtualTag("LIMIT", VirtualTag::kFloat, false);
    ASSERT_NE(limit, nullptr);
    limit->setInitialFloat(-1.5e-7f);
    document.networkTaskNames().push_back({"NPLANT3", "plant3.local"});
    document.networkSettings().responseTimeoutMs = 750;
    document.networkSettings().reconnectIntervalMs = 9000;
    document.networkSettings().logMessages = 0;
    StrategyOptions& options = document.options();
    options.logErrors = true;
    options.eventLog = true;
    options.displayRefreshMs = 250;
    options.securityChecking = true;
    options.startLocked = true;
    options.deviceTarget = true;
    options.deviceWidth = 320;
    options.deviceHeight = 240;
}

}  // namespace kestrune::ksv::testing
