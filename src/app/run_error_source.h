#pragma once
// The node that a main-window message names, and what the run-error report
// needs to know of it. Messages 0x415 and 0x416 carry a node's address; one
// may still wait in the queue when its node is gone (a strategy closed after
// its run), so an address is looked up among the strategy's objects first
// and never followed blindly.

#include <cstdint>

#include "app/run_error_report.h"

namespace kestrune {

class Node;
class ObjectRegistry;

// The node at `lParam` when it is one of the strategy's; nullptr otherwise.
Node* findMessageNode(const ObjectRegistry& registry, std::int64_t lParam);

// Task and block name, caption, and for I/O blocks their device and OPC item.
// An empty source for no node.
RunErrorSource runErrorSourceOf(const Node* node);

}  // namespace kestrune
