// The digital output block: single-bit and whole-port writes with their mask
// and state, the outputs, OPC items of both kinds, the initial value forms of
// the dialog and the failures of an input-only port.

#include <gtest/gtest.h>

#include "blocks/io/digital_output_block.h"
#include "components/driver/driver_codes.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

class DigitalOutputTest : public IoBlockTest {
  protected:
    DigitalOutputTest() : dout(add<DigitalOutputBlock>(kDigitalOutputKind)), in(addSource(kTypeInteger)) {
        wire(in, dout);
    }

    // Port 0 of device 0 is an output port that reads back its latch.
    void useDevice(std::uint16_t port = 0) {
        IoSource s;
        s.deviceNumber = 0;
        dout.setSource(s);
        dout.setPort(port);
    }
    void useItem(std::string_view id) {
        IoSource s;
        s.kind = IoSourceKind::Opc;
        s.opcItem = simItem(id);
        dout.setSource(s);
    }
    Variant itemValue(std::string_view id) {
        Variant v;
        std::uint16_t quality = 0;
        EXPECT_EQ(opc.server().read(id, v, quality), kOk);
        return v;
    }

    DigitalOutputBlock& dout;
    SourceBlock& in;
};

TEST_F(DigitalOutputTest, ASingleBitWritesOnlyThatBit) {
    useDevice();
    dout.setBlockOutput(false);
    dout.setBit(3);
    setPortValue(0, 0xF0);
    ASSERT_EQ(dout.Start(), kOk);
    in.setInteger(7);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(portValue(0), 0xF8);  // mask 8, state 8
    // The outputs show the value itself.
    EXPECT_EQ(dout.outputValue(0)->toInteger(), 7);
    EXPECT_EQ(dout.outputValue(3)->toInteger(), 4);
    EXPECT_EQ(tagInteger("DO1"), 7);

    in.setInteger(0);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(portValue(0), 0xF0);  // mask 8, state 0
}

TEST_F(DigitalOutputTest, BlockOutputWritesTheWholePort) {
    useDevice();
    ASSERT_TRUE(dout.blockOutput());
    ASSERT_EQ(dout.Start(), kOk);
    in.setInteger(0x1A5);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(portValue(0), 0xA5);
    EXPECT_EQ(dout.outputValue(0)->toInteger(), 0x1A5);
    EXPECT_EQ(dout.outputValue(9)->toInteger(), 0x100);
}

TEST_F(DigitalOutputTest, TheInitialValueGoesOutAtStart) {
    useDevice();
    dout.setInitialMode(InitialValueMode::Value);
    dout.setInitialValue(0x5A);
    ASSERT_EQ(dout.Start(), kOk);
    EXPECT_EQ(portValue(0), 0x5A);
    EXPECT_EQ(dout.outputValue(2)->toInteger(), 2);
    EXPECT_EQ(tagInteger("DO1"), 0x5A);
}

TEST_F(DigitalOutputTest, AnInputOnlyPortFailsTheStartsWriteAndEachScan) {
    useDevice(1);
    dout.setInitialMode(InitialValueMode::Value);
    dout.setInitialValue(1);
    const Code notWritable = driverCode(DriverError::PortNotWritable);
    EXPECT_EQ(dout.Start(), notWritable);
    EXPECT_FALSE(dout.isRunning());
    EXPECT_EQ(dout.deviceHandle(), 0u);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, driverErrorText(notWritable) + " : TASK1, DO1");

    dout.setInitialMode(InitialValueMode::None);
    ASSERT_EQ(dout.Start(), kOk);
    in.setInteger(1);
    EXPECT_EQ(dout.Scan(), static_cast<Code>(DriverError::PortNotWritable));
}

TEST_F(DigitalOutputTest, ADeviceWithoutDigitalOutputsFailsWith309) {
    addDevices("[device 6]\ntype = board\nai.count = 1\n");
    IoSource s;
    s.deviceNumber = 6;
    dout.setSource(s);
    EXPECT_EQ(dout.Start(), 309);
}

TEST_F(DigitalOutputTest, ItemsAreAskedForAndWrittenInTheirType) {
    useItem("Memory.Int1");
    ASSERT_EQ(dout.Start(), kOk);
    in.setInteger(0x1234);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(itemValue("Memory.Int1").toInt32(), 0x1234);
    dout.Stop();

    dout.setBlockOutput(false);
    useItem("Memory.Bool1");
    ASSERT_EQ(dout.Start(), kOk);
    in.setInteger(8);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(itemValue("Memory.Bool1"), Variant(true));
    in.setInteger(0);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(itemValue("Memory.Bool1"), Variant(false));
    dout.Stop();

    // A 16-bit item gets the value in the type it was asked for, converted by the server.
    dout.setBlockOutput(true);
    useItem("Memory.Short1");
    ASSERT_EQ(dout.Start(), kOk);
    in.setInteger(-2);
    ASSERT_EQ(dout.Scan(), kOk);
    EXPECT_EQ(itemValue("Memory.Short1"), Variant(std::int16_t{-2}));
}

TEST_F(DigitalOutputTest, AFailingItemWriteAtStartIsReported) {
    useItem("Signals.Sine");  // read only
    dout.setInitialMode(InitialValueMode::Value);
    dout.setInitialValue(1);
    const Code code = dout.Start();
    EXPECT_NE(code, kOk);
    EXPECT_FALSE(dout.isRunning());
    ASSERT_EQ(runErrors.texts.size(), 1u);
    EXPECT_NE(runErrors.texts[0].find(" : TASK1, DO1"), std::string::npos);
}

TEST_F(DigitalOutputTest, InitialValueFormsOfTheDialog) {
    useDevice();
    dout.setInitialMode(InitialValueMode::Value);
    ASSERT_TRUE(dout.setInitialHexText("1A5").ok());  // a device takes the last two digits
    EXPECT_EQ(dout.initialValue(), 0xA5);
    EXPECT_EQ(dout.initialHexText(), "A5");
    EXPECT_FALSE(dout.setInitialHexText("G1").ok());
    EXPECT_EQ(dout.initialValue(), 0xA5);

    useItem("Memory.Int1");
    ASSERT_TRUE(dout.setInitialHexText("12345").ok());  // an item takes four
    EXPECT_EQ(dout.initialValue(), 0x2345);
    EXPECT_EQ(dout.initialHexText(), "2345");

    // Without block output the "On" box: 2^bit for a device, 1 for an item.
    dout.setBlockOutput(false);
    dout.setBit(4);
    dout.setInitialOn(true);
    EXPECT_EQ(dout.initialValue(), 1);
    useDevice();
    dout.setInitialOn(true);
    EXPECT_EQ(dout.initialValue(), 16);
    dout.setBit(6);
    EXPECT_EQ(dout.initialValue(), 64);

    // Any other mode keeps no initial value.
    dout.setInitialMode(InitialValueMode::Restore);
    EXPECT_EQ(dout.initialValue(), 0);
    dout.setInitialOn(true);
    EXPECT_EQ(dout.initialValue(), 0);
}

TEST_F(DigitalOutputTest, SettingsTable) {
    EXPECT_TRUE(DigitalOutputBlock::propertyTable().selfCheck().ok());
    PropertySet set = dout.properties();
    ASSERT_TRUE(set.applyNamed({{{"device", std::string("0")},
                                 {"blockOutput", false},
                                 {"bit", std::int64_t{2}},
                                 {"initialMode", std::int64_t{1}},
                                 {"initialOn", true}}})
                    .ok());
    EXPECT_EQ(dout.initialValue(), 4);
    EXPECT_TRUE(set.enabled(*set.indexOf("bit")));
    EXPECT_TRUE(set.enabled(*set.indexOf("initialOn")));
    EXPECT_FALSE(set.enabled(*set.indexOf("initialValue")));
    EXPECT_EQ(set.field(*set.indexOf("opc")).label, "Connect to &OPC server");
    EXPECT_FALSE(set.applyNamed({{{"bit", std::int64_t{16}}}}).ok());
}

TEST_F(DigitalOutputTest, DrawingAWireShowsTheChannelList) {
    ui.choose(2);
    ConnectRequest request;
    EXPECT_EQ(dout.ConnectFrom(request), kConnectAccepted);
    EXPECT_EQ(request.sourceOutput, 2u);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].items[2], "Channel 1");
}

}  // namespace
}  // namespace kestrune::io_test
