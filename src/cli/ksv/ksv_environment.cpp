#include "cli/ksv/ksv_environment.h"

#include "blocks/register_all_blocks.h"
#include "platform/clock.h"

namespace kestrune::ksv {

KsvEnvironment::KsvEnvironment()
    : scheduler_(ticks_, SystemClock::instance(), queue_), taskServices_{scheduler_, queue_} {
    registration_ = registerAllBlockKinds(factory_, blockServices_, taskServices_);
}

std::unique_ptr<StrategyDocument> KsvEnvironment::newDocument(UserInterface* ui,
                                                              std::function<std::uint32_t()> randomKey) {
    DocumentServices services{
        .factory = factory_,
        .ui = ui,
        .resolutionMs = static_cast<std::uint32_t>(scheduler_.settings().resolutionMs),
        .randomKey = std::move(randomKey),
        .fileCalls = nullptr,
    };
    return std::make_unique<StrategyDocument>(std::move(services));
}

}  // namespace kestrune::ksv
