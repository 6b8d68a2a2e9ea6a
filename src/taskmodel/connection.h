#pragma once
// The logical part of a wire: which output of which node feeds which input of
// which other node. The second source and target are kept only so that they
// survive a save and load; an id of 0 stands for "the same as the first".

#include <cstdint>

#include "taskmodel/graph_object.h"

namespace kestrune {

class Node;

class Connection : public GraphObject {
  public:
    Connection(ObjectRegistry& registry, std::int16_t kind, FourCC fileTag)
        : GraphObject(registry, kind, fileTag) {}

    // Wires are never copied.
    void CopyTo(GraphObject& other) const override {}

    Node* source() const { return source_; }
    Node* target() const { return target_; }
    std::uint16_t sourceOutput() const { return sourceOutput_; }
    std::uint16_t targetInput() const { return targetInput_; }
    std::uint32_t secondSourceId() const { return secondSourceId_; }
    std::uint32_t secondTargetId() const { return secondTargetId_; }
    void setSecondEnds(std::uint32_t sourceId, std::uint32_t targetId) {
        secondSourceId_ = sourceId;
        secondTargetId_ = targetId;
    }

  protected:
    void setEnds(Node* source, std::uint16_t sourceOutput, Node* target, std::uint16_t targetInput) {
        source_ = source;
        sourceOutput_ = sourceOutput;
        target_ = target;
        targetInput_ = targetInput;
    }
    void forgetEnd(const Node& node) {
        if (source_ == &node) source_ = nullptr;
        if (target_ == &node) target_ = nullptr;
    }

    // The connection part of the record, after the root part: source, target,
    // second source and second target ids (32 bit each), then (file version 2
    // on) the source output and target input (16 bit each). Older files did
    // not store the indices: the output is 0 and the input is the first of
    // the target that names the source. Ids resolve through the registry; an
    // id that names no node leaves that end empty and gives an error.
    Status loadConnection(BinaryReader& in, int fileVersion);
    void saveConnection(BinaryWriter& out) const;

  private:
    std::uint16_t sourceOutput_ = 0;
    std::uint16_t targetInput_ = 0;
    Node* source_ = nullptr;
    Node* target_ = nullptr;
    std::uint32_t secondSourceId_ = 0;
    std::uint32_t secondTargetId_ = 0;
};

}  // namespace kestrune
