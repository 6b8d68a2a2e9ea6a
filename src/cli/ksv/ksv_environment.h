#pragma once
// What the strategy tool makes strategies with: a block factory with every
// kind registered, and the services those kinds are made with, as a program
// that never runs a strategy has them: no devices, no OPC, no DDE, no
// scripting, and a scheduler whose timer is never started (tasks enter its
// list when made and leave it when destroyed, nothing more).
//
// Every document made here must be destroyed before the environment.

#include <cstdint>
#include <functional>
#include <memory>

#include "blocks/block_services.h"
#include "document/strategy_document.h"
#include "engine/scheduler.h"
#include "engine/task_services.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"
#include "taskmodel/block_factory.h"

namespace kestrune::ksv {

class KsvEnvironment {
  public:
    KsvEnvironment();
    KsvEnvironment(const KsvEnvironment&) = delete;
    KsvEnvironment& operator=(const KsvEnvironment&) = delete;

    // 0 when every kind registered; otherwise the factory's refusal.
    const Status& registration() const { return registration_; }
    const BlockFactory& factory() const { return factory_; }

    // A new, empty strategy (one task). `randomKey` gives the protection
    // key's bits when saved (random when empty); `ui` is told what a reader
    // warns about.
    std::unique_ptr<StrategyDocument> newDocument(UserInterface* ui = nullptr,
                                                  std::function<std::uint32_t()> randomKey = {});

  private:
    MainQueue queue_;
    ManualTickSource ticks_;
    Scheduler scheduler_;
    BlockServices blockServices_;
    TaskServices taskServices_;
    BlockFactory factory_;
    Status registration_;
};

}  // namespace kestrune::ksv
