#pragma once
// Network notifications (message 0x417): wParam a message number, lParam the
// NetworkNoticeSubject that names where it happened, or 0. The network module
// posts them from its own threads and keeps the subject alive until the main
// thread has handled the message (its stations and remote items live as long
// as the strategy).
//
// The text is the message's string followed by the remote node's name; the
// two remote-tag texts (34227, 33030) are followed by both remote names
// joined by ", ". Numbers 32991 to 32996 (timeouts, terminations and
// connections of stations) are network events for the event log; the others
// are run errors.

#include <string>

namespace kestrune {

class NetworkNoticeSubject {
  public:
    virtual ~NetworkNoticeSubject() = default;
    // The remote node (station) the notice is about.
    virtual std::string remoteNodeName() const = 0;
    // For the remote-tag texts: the remote task and the remote tag.
    virtual std::string remoteTaskName() const = 0;
    virtual std::string remoteTagName() const = 0;
};

std::string networkNoticeText(int id, const NetworkNoticeSubject* subject);

// 32991..32996: written to the event log, not counted as errors.
bool isNetworkConnectionEvent(int id);

}  // namespace kestrune
