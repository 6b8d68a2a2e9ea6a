#include "blocks/io/io_block.h"

#include <algorithm>

#include "components/driver/device_driver.h"
#include "components/driver/driver_codes.h"
#include "components/opc/opc_codes.h"
#include "platform/main_queue.h"
#include "platform/user_interface.h"
#include "resources/string_table.h"
#include "taskmodel/port_choice.h"

namespace kestrune {

Code noDriverCode() {
    return driverCode(DriverError::UnknownBackend);
}

Code noOpcClientCode() {
    return opcCode(OpcError::UnknownBackend);
}

Status invalidSetting(std::string_view caption, std::string_view detail) {
    return {kMsgInvalidParameters,
            strings::text(kMsgInvalidParameters) + " : " + std::string(caption) + ", " + std::string(detail)};
}

IoBlock::IoBlock(const NodeContext& context, std::int16_t kind, const BlockServices& services)
    : Block(context, kind), services_(services) {}

void IoBlock::setPortLayout(std::vector<InputPort> inputs, std::vector<OutputPort> outputs) {
    inputLayout_ = std::move(inputs);
    outputLayout_ = std::move(outputs);
    setInputPorts(inputLayout_);
    setOutputPorts(outputLayout_);
    createOutputValues();
}

Status IoBlock::Load(BinaryReader& in, int fileVersion) {
    Status status = Block::Load(in, fileVersion);
    restorePortLayout();
    return status;
}

void IoBlock::restorePortLayout() {
    const auto sameOutputs =
        std::ranges::equal(outputs(), outputLayout_,
                           [](const OutputPort& a, const OutputPort& b) { return a.dataType == b.dataType; });
    if (!sameOutputs) {
        setOutputPorts(outputLayout_);
        createOutputValues();
    }
    std::vector<InputPort> layout = inputLayout_;
    for (std::size_t i = 0; i < layout.size() && i < inputs().size(); ++i) {
        layout[i].sourceId = inputs()[i].sourceId;
        layout[i].sourceOutput = inputs()[i].sourceOutput;
    }
    setInputPorts(std::move(layout));
}

Code IoBlock::Validate() {
    return source_.runnable() ? kOk : refuseForBlock(kMsgDeviceUndefined);
}

void IoBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    auto* target = dynamic_cast<IoBlock*>(&other);
    if (target == nullptr || target->kind() != kind()) return;
    target->source_ = source_;
    target->divisor_.setTimes(divisor_.times());
}

std::vector<std::string> IoBlock::outputCaptions() const {
    return OutputCaptions(*this);
}

Code IoBlock::ConnectFrom(ConnectRequest& request) {
    if (outputCount() > 1) choosePort(request, kChannelListCaption, outputCaptions());
    return Block::ConnectFrom(request);
}

// ---- dialogs ----

DeviceCheck IoBlock::CheckDevice(bool opening) {
    DeviceDriver* drv = driver();
    DeviceCheck check;
    if (drv == nullptr) {
        check.code = noDriverCode();
        return check;
    }
    if (source_.usesOpc() || source_.deviceNumber == IoSource::kNoDevice) {
        check.code = driverCode(DriverError::DeviceNotFound);
        return check;
    }
    if (opening) drv->deviceRebuild();
    check = checkDevice(*drv, source_.deviceNumber, source_.deviceKind);
    Code reason = kOk;
    if ((check.code & kDriverCodeMask) == static_cast<Code>(DriverError::DeviceNotFound)) {
        reason = check.code;
    } else if (opening && check.code == kOk && !deviceHasChannels(check.features)) {
        reason = missingChannelsCode();
    }
    UserInterface* ui = context().ui;
    if (reason == kOk || ui == nullptr) return check;
    std::string text;
    drv->getErrorMessage(source_.deviceNumber, source_.deviceKind, reason, text);
    if (ui->askYesNo(text + "\nReset block setting?", messageCaption(), MessageIcon::Question) ==
        Answer::Yes) {
        source_.deviceNumber = IoSource::kNoDevice;
        source_.deviceKind = 0;
        check.description.clear();
    }
    return check;
}

bool IoBlock::SelectSource() {
    if (source_.usesOpc()) return opc() != nullptr && opc()->itemSelect(source_.opcItem) == 1;
    if (driver() == nullptr) return false;
    std::int32_t number = source_.deviceNumber;
    std::uint8_t kindByte = source_.deviceKind;
    std::string description;
    if (driver()->deviceSelect(number, kindByte, description) != 1) return false;
    source_.deviceNumber = number;
    source_.deviceKind = kindByte;
    CheckDevice(false);
    return true;
}

// ---- run ----

Code IoBlock::OnStart() {
    divisor_.restart();
    DeviceFeatures features;
    if (source_.usesOpc()) {
        if (const Code code = connectOpcItem(); code != kOk) return code;
    } else {
        if (const Code code = openDevice(features); code != kOk) return code;
        if (!deviceHasChannels(features)) {
            const Code missing = missingChannelsCode();
            std::string text;
            driver()->getErrorMessage(source_.deviceNumber, source_.deviceKind, missing, text);
            reportStartFailure(text);
            closeDevice();
            return missing;
        }
    }
    const Code code = StartIo(features);
    if (code != kOk) {
        closeDevice();
        item_ = 0;
    }
    return code;
}

void IoBlock::OnStop() {
    StopIo();
    closeDevice();
    // The client forgets every item at the end of the run.
    item_ = 0;
}

Code IoBlock::connectOpcItem() {
    OpcClient* client = opc();
    const Code code = client == nullptr ? noOpcClientCode() : [&] {
        opcValue_ = Variant::ofType(opcRequestType());
        const OpcItemRecord& r = source_.opcItem;
        return client->addItemToList(taskName(), r.text(1), r.text(2), name(), r.text(3), r.text(4),
                                     &opcValue_, item_);
    }();
    if (code == kOk) return kOk;
    item_ = 0;
    std::string text;
    if (client != nullptr) {
        client->getErrorMessage(code, text);
    } else {
        text = opcErrorText(code);
    }
    reportStartFailure(text);
    return code;
}

Code IoBlock::openDevice(DeviceFeatures& features) {
    DeviceDriver* drv = driver();
    if (drv == nullptr) {
        reportStartFailure(driverErrorText(noDriverCode()));
        return noDriverCode();
    }
    std::string description;
    if (const Code code = drv->deviceOpen(source_.deviceNumber, source_.deviceKind, device_, description);
        code != kOk) {
        device_ = 0;
        drv->errorMessageBox(code, failureContext());
        return code;
    }
    if (const Code code = drv->deviceGetFeatures(device_, features); code != kOk)
        return failDriverStart(code);
    return kOk;
}

void IoBlock::closeDevice() {
    if (device_ == 0) return;
    if (driver() != nullptr) driver()->deviceClose(device_);
    device_ = 0;
}

Code IoBlock::failDriverStart(Code code) {
    closeDevice();
    if (driver() != nullptr) driver()->errorMessageBox(code, failureContext());
    return code;
}

std::string IoBlock::failureContext() const {
    return " : " + taskName() + ", " + caption();
}

void IoBlock::reportStartFailure(std::string_view message) const {
    if (services_.runErrors == nullptr) return;
    services_.runErrors->reportRunErrorText(std::string(message) + failureContext());
}

Code IoBlock::Scan() {
    RunGate::Pass pass{runGate()};
    if (!pass || !divisor_.due()) return kOk;
    return ScanIo();
}

Code IoBlock::checkOpcQuality() {
    int good = 1;
    const Code code = opc()->itemQualityCheck(item_, good, nullptr);
    if (code == kOk && good == 0) postToMain(kMsgRunErrorReport, kBadOpcQualityCode);
    return code;
}

void IoBlock::postToMain(MessageId id, std::uint64_t wParam) const {
    if (services_.mainQueue == nullptr) return;
    services_.mainQueue->post(id, wParam, toParam(static_cast<const Node*>(this)));
}

Code IoBlock::scanFailure(Code code) {
    const Code masked = code & kDriverCodeMask;
    return masked != kOk ? masked : code;
}

}  // namespace kestrune
