#include "blocks/io/digital_input_block.h"

#include <algorithm>

#include "blocks/dde_service.h"
#include "blocks/io/digital_port.h"
#include "blocks/io/io_record.h"
#include "blocks/io/opc_value.h"
#include "blocks/record_version.h"
#include "components/driver/device_driver.h"
#include "components/driver/driver_codes.h"
#include "components/tagdb/db_param.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {

DigitalInputBlock::DigitalInputBlock(const NodeContext& context, const BlockServices& services)
    : InputIoBlock(context, kDigitalInputKind, services, kDdeTypeInteger),
      tagValue_(kTypeIntegerArray, kPortOutputs) {
    setPortLayout({}, portOutputs());
    setTagShape(kTagInt32Array, kPortOutputs);
}

void DigitalInputBlock::setPort(std::int64_t port) {
    port_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(port, 0, kMaxPort));
}

std::int32_t DigitalInputBlock::value() const {
    std::lock_guard guard(lock());
    return tagValue_.toInteger(0);
}

Code DigitalInputBlock::missingChannelsCode() const {
    return static_cast<Code>(DriverError::NoDigitalInput);
}

void DigitalInputBlock::CopyTo(GraphObject& other) const {
    InputIoBlock::CopyTo(other);
    if (auto* target = dynamic_cast<DigitalInputBlock*>(&other)) target->port_ = port_;
}

std::vector<std::string> DigitalInputBlock::outputCaptions() const {
    return portOutputCaptions();
}

// ---- run ----

Code DigitalInputBlock::readPort(std::int32_t& value) {
    std::uint16_t read = 0;
    const Code code = driver()->dioReadPortByte(deviceHandle(), {port_, &read});
    if (code == kOk) value = read & 0xFF;
    return code;
}

void DigitalInputBlock::show(std::int32_t value) {
    std::lock_guard guard(lock());
    showPortValue(*this, value, &tagValue_);
}

Code DigitalInputBlock::StartIo(const DeviceFeatures&) {
    std::int32_t value = 0;
    if (source().usesOpc()) {
        value = integerFromVariant(opcValue());
    } else if (readPort(value) != kOk) {
        value = 0;
    }
    show(value);
    return kOk;
}

Code DigitalInputBlock::ScanIo() {
    std::int32_t value = 0;
    Code code = kOk;
    if (source().usesOpc()) {
        if (opcItemHandle() == 0) return kOk;
        code = checkOpcQuality();
        value = integerFromVariant(opcValue());
    } else {
        if (deviceHandle() == 0) return kOk;
        code = readPort(value);
    }
    if (code != kOk) return scanFailure(code);
    publishDde(value);
    show(value);
    return publishValue();
}

// ---- record ----

Status DigitalInputBlock::LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) {
    const RecordVersion version = RecordVersion::from(fileVersion);
    IoSource src = source();
    const std::uint16_t port = in.u16();
    if (version.oldFormat()) {
        in.skip(4);  // two words the first layout kept after the port
        spare_ = in.u8();
        if (Status s = io_record::checked(in, "port"); !s) return s;
        if (Status s = src.readOldFields(in); !s) return s;
    } else {
        spare_ = in.u8();
        src.readKind(in);
        if (Status s = io_record::checked(in, "port"); !s) return s;
        if (Status s = src.readFields(in); !s) return s;
    }
    setPort(port);
    setSource(src);
    if (record.hasMore()) {
        const bool dde = in.u16() == 1;
        if (Status s = io_record::checked(in, "DDE flag"); !s) return s;
        setDdeFlag(dde);
    }
    if (record.hasMore()) {
        const std::uint16_t times = in.u16();
        if (Status s = io_record::checked(in, "update times"); !s) return s;
        setUpdateTimes(times);
    }
    return {};
}

Status DigitalInputBlock::SavePayload(BinaryWriter& out) const {
    out.u16(port_);
    out.u8(spare_);
    source().writeKind(out);
    source().writeFields(out);
    out.u16(ddeLink() ? 1 : 0);
    out.u16(updateTimes());
    return {};
}

// ---- settings ----

PropertySet DigitalInputBlock::properties() {
    return propertyTable().bind(*this);
}

const PropertyTable<DigitalInputBlock>& DigitalInputBlock::propertyTable() {
    static const PropertyTable<DigitalInputBlock> table = [] {
        PropertyTable<DigitalInputBlock> t;
        addCommonProperties(t);
        t.addInt(
             "&Port:", [](const DigitalInputBlock& b) { return b.port(); },
             [](DigitalInputBlock& b, std::int64_t p) { b.setPort(p); }, 0, kMaxPort)
            .key("port");
        addSourceProperties(t, "Connect to OPC server");
        addUpdateTimesProperty(t);
        addDdeLinkProperty(t, "E&stablish DDE link");
        return t;
    }();
    return table;
}

}  // namespace kestrune
