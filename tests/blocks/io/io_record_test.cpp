// Records of the four I/O kinds: what is saved loads back the same, older
// layouts by file version, records longer than this version reads, and
// damaged records, which give 32910 and never read past the record.

#include <gtest/gtest.h>

#include "blocks/io/analog_input_block.h"
#include "blocks/io/analog_output_block.h"
#include "blocks/io/digital_input_block.h"
#include "blocks/io/digital_output_block.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

// Records are loaded into a second task "TASK2" of another strategy.
class IoRecordTest : public IoBlockTest {
  protected:
    IoRecordTest() { otherView.name = "TASK2"; }

    template <class K>
    std::unique_ptr<K> make(std::int16_t kind) {
        BlockCreation made = factory.CreateForKind(kind, other);
        EXPECT_TRUE(made.status.ok());
        return std::unique_ptr<K>(dynamic_cast<K*>(made.block.release()));
    }
    // Loads `bytes` (a whole record) into a new block of `kind`.
    template <class K>
    std::unique_ptr<K> loaded(std::int16_t kind, const std::vector<std::uint8_t>& bytes,
                              Status* status = nullptr, int version = kFileVersion) {
        auto block = make<K>(kind);
        BinaryReader in(bytes);
        Status s = load(*block, in, version);
        if (status != nullptr) {
            *status = s;
        } else {
            EXPECT_TRUE(s.ok()) << s.context;
            EXPECT_TRUE(in.atEnd());
        }
        return block;
    }
    // A hand-made record: the common part of `version` and the payload.
    template <class F>
    static std::vector<std::uint8_t> record(const char (&tag)[5], int version, std::int16_t kind, F payload,
                                            const std::vector<InputPort>& inputs = {},
                                            const std::vector<DataType>& outputs = {}) {
        BinaryWriter out;
        RecordWriter framing(out, fourcc(tag));
        writeCommonPart(out, version, kind, "OLD1", inputs, outputs);
        payload(out);
        EXPECT_TRUE(framing.finish().ok());
        return out.take();
    }
    static void writeText(BinaryWriter& out, std::string_view text) {
        out.u32(static_cast<std::uint32_t>(text.size()));
        out.bytes(text.data(), text.size());
    }

    TaskView otherView{&otherGraph};
    ObjectRegistry otherRegistry;
    TaskGraph otherGraph{otherRegistry};
    NodeContext other{otherRegistry, nullptr, nullptr, &ui, true, &otherView, &tags};
};

// ---- round trips ----

TEST_F(IoRecordTest, AnalogInputLoadsBackTheSame) {
    auto& ai = add<AnalogInputBlock>(kAnalogInputKind);
    IoSource s;
    s.kind = IoSourceKind::Opc;
    s.opcItem = simItem("Memory.Float1");
    s.opcItem.setText(1, "node");
    s.opcItem.setText(4, "path");
    s.opcItem.setFlag(7);
    ai.setSource(s);
    ai.setFirstChannel(3);
    ai.setLastChannel(5);
    ai.setChannelSetting(4, {2, 1, 3});
    ai.setScaling({1, 10.0f, 0.0f, 100.0f, -5.0f});
    ai.setUpdateTimes(12);
    const auto bytes = bytesOf(ai);

    auto copy = loaded<AnalogInputBlock>(kAnalogInputKind, bytes);
    EXPECT_EQ(copy->source(), s);
    EXPECT_EQ(copy->firstChannel(), 3);
    EXPECT_EQ(copy->lastChannel(), 5);
    EXPECT_EQ(copy->channelSetting(4), (AiChannelSetting{2, 1, 3}));
    EXPECT_EQ(copy->scaling(), ai.scaling());
    EXPECT_EQ(copy->updateTimes(), 12);
    EXPECT_EQ(copy->outputCount(), 32u);
    EXPECT_TRUE(tags.IsTagExist("TASK2", "AI1"));
    EXPECT_EQ(bytesOf(*copy), bytes);
}

TEST_F(IoRecordTest, AnalogOutputLoadsBackTheSame) {
    auto& ao = add<AnalogOutputBlock>(kAnalogOutputKind);
    IoSource s;
    s.deviceNumber = 3;
    s.deviceKind = 1;
    ao.setSource(s);
    ao.setChannel(1);
    ao.setInitialMode(InitialValueMode::Restore);
    ao.setInitialValue(-2.5f);
    ao.ddeInput().setEnabled(true);
    ao.ddeInput().setNames({"EXCEL", "Sheet1", "R1C1"});
    ao.setUpdateTimes(3);
    const auto bytes = bytesOf(ao);

    auto copy = loaded<AnalogOutputBlock>(kAnalogOutputKind, bytes);
    EXPECT_EQ(copy->source(), s);
    EXPECT_EQ(copy->channel(), 1);
    EXPECT_EQ(copy->initialMode(), InitialValueMode::Restore);
    EXPECT_FLOAT_EQ(copy->initialValue(), -2.5f);
    EXPECT_TRUE(copy->ddeInput().enabled());
    EXPECT_EQ(copy->ddeInput().names(), ao.ddeInput().names());
    EXPECT_EQ(copy->updateTimes(), 3);
    EXPECT_EQ(bytesOf(*copy), bytes);
}

TEST_F(IoRecordTest, DigitalInputLoadsBackTheSame) {
    auto& di = add<DigitalInputBlock>(kDigitalInputKind);
    IoSource s;
    s.deviceNumber = 0;
    di.setSource(s);
    di.setPort(2);
    di.setUpdateTimes(5);
    const auto bytes = bytesOf(di);
    auto copy = loaded<DigitalInputBlock>(kDigitalInputKind, bytes);
    EXPECT_EQ(copy->port(), 2);
    EXPECT_EQ(copy->source(), s);
    EXPECT_EQ(copy->updateTimes(), 5);
    EXPECT_EQ(bytesOf(*copy), bytes);
}

TEST_F(IoRecordTest, DigitalOutputLoadsBackTheSame) {
    auto& dout = add<DigitalOutputBlock>(kDigitalOutputKind);
    IoSource s;
    s.kind = IoSourceKind::Opc;
    s.opcItem = simItem("Memory.Bool1");
    dout.setSource(s);
    dout.setPort(1);
    dout.setBlockOutput(false);
    dout.setBit(9);
    dout.setInitialMode(InitialValueMode::Value);
    dout.setInitialValue(1);
    dout.ddeInput().setNames({"S", "T", "I"});
    const auto bytes = bytesOf(dout);
    auto copy = loaded<DigitalOutputBlock>(kDigitalOutputKind, bytes);
    EXPECT_EQ(copy->port(), 1);
    EXPECT_FALSE(copy->blockOutput());
    EXPECT_EQ(copy->bit(), 9);
    EXPECT_EQ(copy->initialMode(), InitialValueMode::Value);
    EXPECT_EQ(copy->initialValue(), 1);
    EXPECT_FALSE(copy->ddeInput().enabled());
    EXPECT_EQ(copy->ddeInput().names().topic, "T");
    EXPECT_EQ(bytesOf(*copy), bytes);
}

// ---- older layouts ----

TEST_F(IoRecordTest, AnalogInputOfFormat3HoldsTwoDeviceValuesAndNoTrailer) {
    auto payload = [](std::int32_t a, std::int32_t b) {
        return [a, b](BinaryWriter& out) {
            out.u16(1);  // first
            out.u16(2);  // last
            out.u16(2);
            for (int i = 0; i < 6; ++i) out.u16(static_cast<std::uint16_t>(i));
            out.i32(a);
            out.i32(b);
        };
    };
    auto ai = loaded<AnalogInputBlock>(kAnalogInputKind, record("BAIN", 3, kAnalogInputKind, payload(2, -1)),
                                       nullptr, 3);
    EXPECT_EQ(ai->source().deviceNumber, 2);
    EXPECT_EQ(ai->source().deviceKind, 0);
    EXPECT_EQ(ai->channelSetting(2), (AiChannelSetting{3, 4, 5}));
    EXPECT_FALSE(ai->ddeLink());
    EXPECT_EQ(ai->updateTimes(), 1);
    EXPECT_EQ(ai->scaling().enabled, 0);
    EXPECT_EQ(ai->name(), "OLD1");

    ai = loaded<AnalogInputBlock>(kAnalogInputKind, record("BAIN", 3, kAnalogInputKind, payload(9, 3)),
                                  nullptr, 3);
    EXPECT_EQ(ai->source().deviceNumber, 3);
    EXPECT_EQ(ai->source().deviceKind, 1);
}

TEST_F(IoRecordTest, AnalogInputTrailingFieldsAreReadWhileThereIsRoom) {
    auto bytes = record("BAIN", 4, kAnalogInputKind, [](BinaryWriter& out) {
        out.u16(0);
        out.u16(0);
        out.u16(1);
        out.u16(0), out.u16(0), out.u16(0);
        out.u16(0);  // device
        out.i32(0);
        out.u8(0);
        out.u16(0);   // DDE off
        out.u16(50);  // update times; nothing after
    });
    auto ai = loaded<AnalogInputBlock>(kAnalogInputKind, bytes);
    EXPECT_EQ(ai->updateTimes(), 50);
    EXPECT_EQ(ai->scaling(), LinearScaling{});
}

TEST_F(IoRecordTest, AnalogOutputOfFormat3KeepsNoInitialValue) {
    auto bytes = record("BAOT", 3, kAnalogOutputKind, [](BinaryWriter& out) {
        out.u16(1);
        out.i32(4);
        out.i32(-1);
    });
    auto ao = loaded<AnalogOutputBlock>(kAnalogOutputKind, bytes, nullptr, 3);
    EXPECT_EQ(ao->channel(), 1);
    EXPECT_EQ(ao->source().deviceNumber, 4);
    EXPECT_EQ(ao->initialMode(), InitialValueMode::None);
    EXPECT_EQ(ao->updateTimes(), 1);
}

TEST_F(IoRecordTest, DigitalInputOfFormat3) {
    auto bytes = record("BDIN", 3, kDigitalInputKind, [](BinaryWriter& out) {
        out.u16(2);  // port
        out.u16(0);
        out.u16(0);
        out.u8(255);
        out.i32(0);
        out.i32(-1);
        out.u16(1);  // DDE
        out.u16(4);  // update times
    });
    auto di = loaded<DigitalInputBlock>(kDigitalInputKind, bytes, nullptr, 3);
    EXPECT_EQ(di->port(), 2);
    EXPECT_EQ(di->source().deviceNumber, 0);
    EXPECT_TRUE(di->ddeLink());
    EXPECT_EQ(di->updateTimes(), 4);
}

TEST_F(IoRecordTest, DigitalOutputOfFormat3DecodesTheMode) {
    auto payload = [](std::uint8_t mode) {
        return [mode](BinaryWriter& out) {
            out.u16(1);
            out.u16(0);
            out.u16(0);
            out.u8(mode);
            out.u8(0x3C);
            out.i32(0);
            out.i32(-1);
        };
    };
    auto dout = loaded<DigitalOutputBlock>(kDigitalOutputKind,
                                           record("BDOT", 3, kDigitalOutputKind, payload(255)), nullptr, 3);
    EXPECT_TRUE(dout->blockOutput());
    EXPECT_EQ(dout->bit(), 0);
    EXPECT_EQ(dout->initialValue(), 0x3C);
    EXPECT_EQ(dout->initialMode(), InitialValueMode::None);
    dout = loaded<DigitalOutputBlock>(kDigitalOutputKind, record("BDOT", 3, kDigitalOutputKind, payload(5)),
                                      nullptr, 3);
    EXPECT_FALSE(dout->blockOutput());
    EXPECT_EQ(dout->bit(), 5);
}

TEST_F(IoRecordTest, DigitalOutputOfVersions40000To40004) {
    auto tail = [](BinaryWriter& out) {
        out.u16(0);  // source: device
        out.u8(1);   // initial value mode
        out.i32(0);  // device 0
        out.u8(0);
    };
    auto byteMode = record("BDOT", 4, kDigitalOutputKind, [&](BinaryWriter& out) {
        out.u16(0);
        out.u8(2);  // bit 2
        out.u8(1);
        tail(out);
    });
    auto dout = loaded<DigitalOutputBlock>(kDigitalOutputKind, byteMode, nullptr, 40001);
    EXPECT_FALSE(dout->blockOutput());
    EXPECT_EQ(dout->bit(), 2);
    EXPECT_EQ(dout->initialValue(), 1);
    EXPECT_EQ(dout->initialMode(), InitialValueMode::Value);

    auto wordMode = record("BDOT", 4, kDigitalOutputKind, [&](BinaryWriter& out) {
        out.u16(0);
        out.u16(0xFFFF);  // block output
        out.u16(0xA5);
        tail(out);
    });
    dout = loaded<DigitalOutputBlock>(kDigitalOutputKind, wordMode, nullptr, 40004);
    EXPECT_TRUE(dout->blockOutput());
    EXPECT_EQ(dout->initialValue(), 0xA5);
    EXPECT_EQ(dout->source().deviceNumber, 0);
}

TEST_F(IoRecordTest, OlderOutputLayoutsBecomeTheSeventeenOutputsAndTheInputStays) {
    const std::vector<DataType> nineOutputs(9, kTypeInteger);
    auto bytes = record(
        "BDOT", 3, kDigitalOutputKind,
        [](BinaryWriter& out) {
            out.u16(0);
            out.u16(0), out.u16(0);
            out.u8(255), out.u8(0);
            out.i32(0), out.i32(-1);
        },
        {{77, 2, kTypeInteger, 0}}, nineOutputs);
    auto dout = loaded<DigitalOutputBlock>(kDigitalOutputKind, bytes, nullptr, 3);
    EXPECT_EQ(dout->outputCount(), 17u);
    ASSERT_NE(dout->outputValue(16), nullptr);
    ASSERT_EQ(dout->inputCount(), 1u);
    EXPECT_EQ(dout->inputs()[0].sourceId, 77u);
    EXPECT_EQ(dout->inputs()[0].sourceOutput, 2u);
    EXPECT_EQ(dout->inputs()[0].acceptedMask, kMaskNumber);

    auto di = loaded<DigitalInputBlock>(kDigitalInputKind,
                                        record(
                                            "BDIN", 3, kDigitalInputKind,
                                            [](BinaryWriter& out) {
                                                out.u16(0);
                                                out.u16(0), out.u16(0);
                                                out.u8(255);
                                                out.i32(0), out.i32(-1);
                                            },
                                            {}, std::vector<DataType>(20, kTypeFloat)),
                                        nullptr, 3);
    EXPECT_EQ(di->outputCount(), 17u);
    EXPECT_EQ(di->outputs()[3].dataType, kTypeInteger);
}

// ---- longer and damaged records ----

TEST_F(IoRecordTest, ALongerRecordIsSkippedToItsEnd) {
    auto& ai = add<AnalogInputBlock>(kAnalogInputKind);
    ai.setUpdateTimes(7);
    auto bytes = bytesOf(ai);
    // A later version's extra fields, then the next record.
    const std::uint8_t extra[] = {1, 2, 3, 4, 5};
    bytes.insert(bytes.end(), std::begin(extra), std::end(extra));
    const std::size_t length = bytes.size() - 6;
    bytes[4] = static_cast<std::uint8_t>(length);
    bytes[5] = static_cast<std::uint8_t>(length >> 8);
    auto& di = add<DigitalInputBlock>(kDigitalInputKind);
    di.setPort(6);
    const auto next = bytesOf(di);
    bytes.insert(bytes.end(), next.begin(), next.end());

    BinaryReader in(bytes);
    auto first = make<AnalogInputBlock>(kAnalogInputKind);
    ASSERT_TRUE(load(*first, in).ok());
    EXPECT_EQ(first->updateTimes(), 7);
    auto second = make<DigitalInputBlock>(kDigitalInputKind);
    ASSERT_TRUE(load(*second, in).ok());
    EXPECT_EQ(second->port(), 6);
    EXPECT_TRUE(in.atEnd());
}

TEST_F(IoRecordTest, DamagedRecordsGiveAnErrorAndStayInside) {
    // A channel count that runs past the record.
    Status status;
    loaded<AnalogInputBlock>(kAnalogInputKind,
                             record("BAIN", 4, kAnalogInputKind,
                                    [](BinaryWriter& out) {
                                        out.u16(0);
                                        out.u16(31);
                                        out.u16(5000);
                                        out.u16(0);
                                    }),
                             &status);
    EXPECT_EQ(status.code, kRecordLoadError);

    // An OPC text longer than what is left.
    loaded<AnalogOutputBlock>(kAnalogOutputKind,
                              record("BAOT", 4, kAnalogOutputKind,
                                     [](BinaryWriter& out) {
                                         out.u16(0);
                                         out.u16(1);  // OPC
                                         out.u8(0);
                                         out.f32(0.0f);
                                         out.u8(0);
                                         out.u32(100000);
                                     }),
                              &status);
    EXPECT_EQ(status.code, kRecordLoadError);
    EXPECT_NE(status.context.find("OPC item text 1"), std::string::npos);

    // A record that ends inside the source fields.
    loaded<DigitalInputBlock>(kDigitalInputKind,
                              record("BDIN", 4, kDigitalInputKind,
                                     [](BinaryWriter& out) {
                                         out.u16(0);
                                         out.u8(255);
                                         out.u16(0);
                                         out.u16(0);
                                     }),
                              &status);
    EXPECT_EQ(status.code, kRecordLoadError);
}

TEST_F(IoRecordTest, OutOfRangeSettingsAreKeptWithinTheirLimits) {
    auto bytes = record("BAIN", 4, kAnalogInputKind, [](BinaryWriter& out) {
        out.u16(40);  // first beyond the board
        out.u16(3);   // last below first
        out.u16(0);
        out.u16(0);
        out.i32(0);
        out.u8(0);
        out.u16(0);
        out.u16(0);  // update times 0 would divide by zero
    });
    auto ai = loaded<AnalogInputBlock>(kAnalogInputKind, bytes);
    EXPECT_EQ(ai->firstChannel(), 31);
    EXPECT_EQ(ai->lastChannel(), 31);
    EXPECT_EQ(ai->updateTimes(), 1);
}

}  // namespace
}  // namespace kestrune::io_test
