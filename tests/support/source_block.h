#pragma once
// The upstream end of a wire in block tests: a block with one output of a
// chosen type whose value the test sets by hand. Made as a tag block, it
// publishes no tag of its own.

#include <cstdint>
#include <string_view>

#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune::test_support {

class SourceBlock : public Block {
  public:
    SourceBlock(const NodeContext& context, DataType type) : Block(context, kTagBlockKind) {
        setOutputPorts({{type, 0}});
        createOutputValues();
    }
    void set(float v) { outputValue(0)->setFloat(v); }
    void setInteger(std::int32_t v) { outputValue(0)->setInteger(v); }
    void setText(std::string_view v) { outputValue(0)->setText(v); }
};

}  // namespace kestrune::test_support
