#pragma once
// Registration of the analog and digital I/O kinds with the block factory.

#include "platform/status.h"

namespace kestrune {

class NodeFactory;
using BlockFactory = NodeFactory;
struct BlockServices;

// Registers analog input (11), analog output (12), digital input (13) and
// digital output (14). Every block made keeps a reference to `services`,
// which must outlive the factory's blocks; the application fills it at
// start-up (a pointer may still be set after this call).
Status registerIoBlockKinds(BlockFactory& factory, const BlockServices& services);

}  // namespace kestrune
