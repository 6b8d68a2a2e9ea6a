#include "app/network_notice.h"

#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {

std::string networkNoticeText(int id, const NetworkNoticeSubject* subject) {
    std::string text = strings::text(id);
    if (subject == nullptr) return text;
    if (id == kMsgRemoteTagMissing || id == kMsgRemoteTagTypeWrong)
        return text + subject->remoteTaskName() + ", " + subject->remoteTagName();
    return text + subject->remoteNodeName();
}

bool isNetworkConnectionEvent(int id) {
    return id >= kMsgNetFirstConnectionEvent && id <= kMsgNetLastConnectionEvent;
}

}  // namespace kestrune
