#pragma once
// Users and privileges as run control needs them: the check before a run
// whose strategy asks for operational security, and the operator lock. The
// security module implements it. An application without one refuses to run
// a strategy that asks for security checking and to lock, with 32972 "Cannot
// locate password file.": a strategy that wants its operators checked never
// runs unchecked.
//
// Main thread only.

#include "platform/status.h"

namespace kestrune {

class RunSecurity {
  public:
    virtual ~RunSecurity() = default;

    // Start with security checking on: the current user must be logged in,
    // and that user's rights are applied. 0 lets the start go on; any other
    // code refuses it (the check has told the user why).
    virtual Code checkStart() = 0;
    // The Lock command while running: 0 when the operator input is now
    // locked (the lock event is written and the displays re-evaluated), or
    // the refusal's code (32972 without a password file).
    virtual Code lock() = 0;
};

}  // namespace kestrune
