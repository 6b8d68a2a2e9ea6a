#pragma once
// Port tables of a node. An input names its source by node id and output
// index (so that it survives saving and loading) and the types it accepts; an
// output names the type it produces. Name ids are string-table ids of the
// captions shown in port lists; 0 means the port has none.

#include <cstdint>

#include "taskmodel/data_type.h"

namespace kestrune {

struct InputPort {
    std::uint32_t sourceId = 0;  // 0: unconnected
    std::uint32_t sourceOutput = 0;
    DataType acceptedMask = 0;
    std::int32_t nameId = 0;

    bool isConnected() const { return sourceId != 0; }
    void disconnect() {
        sourceId = 0;
        sourceOutput = 0;
    }
};

struct OutputPort {
    DataType dataType = 0;
    std::int32_t nameId = 0;
};

}  // namespace kestrune
