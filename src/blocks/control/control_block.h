#pragma once
// What the control and calculation kinds (PID, ON-OFF, calculation, average,
// ramp) share beyond Block: named inputs, offered by caption in the
// "Connect to:" list while a wire is made; the source of an input as their
// properties dialogs show it ("Control input from:"); an input that switches
// something when it is wired and non-zero; and the test for optional
// trailing fields of their records.
//
// A kind keeps its settings in plain members (the record and the properties
// dialog work on them, on the user-interface thread) and hands them to its
// block-independent arithmetic at Start; the arithmetic then belongs to the
// task thread until Stop.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"
#include "properties/property_table.h"
#include "taskmodel/block.h"
#include "taskmodel/data_type.h"
#include "taskmodel/output_value.h"

namespace kestrune {

// One input of a kind: the caption the port list shows and the types it takes.
struct ControlInput {
    std::string_view caption;
    DataType mask = kMaskNumber;
};

class ControlBlock : public Block {
  public:
    // The title of the port list shown when a wire ends at one of these blocks.
    static constexpr std::string_view kConnectCaption = "Connect to:";
    // The limits of the number fields the dialogs read into floats.
    static constexpr double kFloatLimit = std::numeric_limits<float>::max();

    // Offers the inputs by caption and takes the one the user picks (a cancel
    // refuses the wire), then the common checks.
    Code ConnectTo(ConnectRequest& request) override;

    // The caption of an input; empty beyond the table.
    std::string_view inputCaption(std::size_t input) const;
    bool isWired(std::size_t input) const;
    // The name of the block an input is wired to; empty when it is not wired
    // or the source is gone.
    std::string sourceName(std::size_t input) const;

  protected:
    // `inputs` must outlive the block (the kinds pass static tables).
    ControlBlock(const NodeContext& context, std::int16_t kind, std::span<const ControlInput> inputs,
                 DataType outputType);

    // An input's cached source read as a number, with the conversions every
    // consumer uses, or `fallback` when it has no source. What Block's
    // readFloat / readInteger give, without the round trip through the
    // scratch values and an optional: these sit on every scan.
    float readNumber(std::size_t input, float fallback = 0.0f) const {
        const OutputValue* value = inputValue(input);
        return value != nullptr ? value->toFloat() : fallback;
    }
    std::int32_t readDigital(std::size_t input, std::int32_t fallback = 0) const {
        const OutputValue* value = inputValue(input);
        return value != nullptr ? value->toInteger() : fallback;
    }
    // Whether a wired input reads non-zero as a number. An input without a
    // source is off.
    bool isOn(std::size_t input) const { return readNumber(input) != 0.0f; }

    // A trailing field of a record is read only when the record still holds
    // all of its bytes: older versions wrote fewer fields.
    static bool hasRoom(const BinaryReader& in, std::size_t bytes) { return in.remaining() >= bytes; }

    // A read-only field showing the source of `input` ("Reset from:").
    template <class K>
    static void addSourceProperty(PropertyTable<K>& table, std::string label, std::size_t input,
                                  std::string key) {
        table
            .addString(
                std::move(label), [input](const K& b) { return b.sourceName(input); }, nullptr, 0)
            .key(std::move(key));
    }

  private:
    std::span<const ControlInput> inputSpecs_;
};

}  // namespace kestrune
