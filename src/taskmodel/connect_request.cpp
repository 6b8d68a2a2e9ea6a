#include "taskmodel/connect_request.h"

#include "resources/message_ids.h"

namespace kestrune {

int MessageAfterConnectFrom(Code code) {
    switch (code) {
        case kConnectAccepted:
        case kConnectCancelled:
            return 0;
        case kConnectNoOutputs:
        case kConnectNoOutputAvailable:
            return kMsgNoOutputAvailable;
        case kConnectOutOfMemory:
            return kMsgOutOfMemory;
        default:
            return kMsgInvalidConnection;
    }
}

int MessageAfterConnectTo(Code code) {
    switch (code) {
        case kConnectAccepted:
        case kConnectCancelled:
            return 0;
        case kConnectNoInputs:
            return kMsgCannotAcceptInput;
        case kConnectTypeMismatch:
            return kMsgDataTypeMismatch;
        case kConnectInputInUse:
            return kMsgInputAlreadyConnected;
        case kConnectOutOfMemory:
            return kMsgOutOfMemory;
        case kConnectExisting:
            return kMsgExistingConnection;
        default:
            return kMsgInvalidConnection;
    }
}

}  // namespace kestrune
