#pragma once
// A process-wide piece that the application starts at a fixed step of its
// start-up and stops, in reverse order, at exit: the script engine with the
// program's extension library, the companion automation server that carries
// the DDE service. Their modules implement it; an application made without
// one simply has no such piece.

#include <string_view>

#include "platform/status.h"

namespace kestrune {

class AppComponent {
  public:
    virtual ~AppComponent() = default;

    // For logs and failure texts ("script engine").
    virtual std::string_view componentName() const = 0;
    // 0, or the failure's code after the component has shown its own
    // message (32977, 32978, "Can not launch ..."); start-up then ends.
    virtual Status start() = 0;
    // Called once for every component whose start succeeded.
    virtual void stop() = 0;
};

}  // namespace kestrune
