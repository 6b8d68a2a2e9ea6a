#include "taskmodel/reference_source.h"

#include <algorithm>

#include "resources/message_box.h"
#include "resources/message_ids.h"
#include "taskmodel/connect_request.h"
#include "taskmodel/node.h"
#include "taskmodel/object_registry.h"

namespace kestrune {
namespace {

bool namesSource(const Node& consumer, std::uint32_t sourceId) {
    const auto inputs = consumer.inputs();
    return std::any_of(inputs.begin(), inputs.end(),
                       [&](const InputPort& p) { return p.sourceId == sourceId; });
}

}  // namespace

bool ReferenceTypesMatch(DataType consumerMask, DataType sourceType) {
    for (const DataType bit : {kTypeString, kTypeFloat, kTypeInteger}) {
        if ((consumerMask & bit) != 0 && (sourceType & bit) != 0) return true;
    }
    return false;
}

Code CheckChosenSource(UserInterface& ui, const Node& consumer, const Node* chosen) {
    if (chosen == nullptr) {
        showMessageBox(ui, kMsgEmptySelection);
        return kMsgEmptySelection;
    }
    if (chosen == &consumer && isDisplayItemKind(consumer.kind())) {
        showMessageBox(ui, kMsgInputIsItself);
        return kMsgInputIsItself;
    }
    if (isBlockKind(chosen->kind())) {
        const DataType mask = consumer.inputCount() > 0 ? consumer.inputs()[0].acceptedMask : 0;
        const DataType type = chosen->outputCount() > 0 ? chosen->outputs()[0].dataType : 0;
        if (!ReferenceTypesMatch(mask, type) && askYesNo(ui, kMsgDataTypeMismatchContinue) != Answer::Yes) {
            return kMsgDataTypeMismatchContinue;
        }
    }
    return kOk;
}

Code BindReference(Node& consumer, std::size_t inputIndex, Node& source, std::uint32_t outputIndex) {
    if (consumer.input(inputIndex) == nullptr) return kConnectBadPort;
    ReleaseReference(consumer, inputIndex);
    const bool registered = namesSource(consumer, source.id());
    InputPort& port = *consumer.input(inputIndex);
    port.sourceOutput = outputIndex;
    port.sourceId = source.id();
    // One registration per consumer and source: RemoveConsumer drops them all at once.
    if (!registered) source.AddConsumer(consumer.id());
    return kOk;
}

void ReleaseReference(Node& consumer, std::size_t inputIndex) {
    InputPort* port = consumer.input(inputIndex);
    if (port == nullptr || !port->isConnected()) return;
    const std::uint32_t sourceId = port->sourceId;
    port->disconnect();
    if (namesSource(consumer, sourceId)) return;
    if (Node* source = consumer.registry().FindNode(sourceId)) source->RemoveConsumer(consumer.id());
}

}  // namespace kestrune
