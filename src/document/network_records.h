#pragma once
// The network part of a strategy as the file holds it: the names of the
// remote stations with their addresses ("NTSK", one record each) and this
// station's settings ("NETK", one record). The network service reads them;
// the document only keeps them.
//
// "NTSK": u16 length and the name with its terminator, u16 length and the
// associated text (the address) with its terminator.
// "NETK": the station name in a 10-byte field, retry times, response timeout
// and reconnect interval (u16 each), the message-logging flag (u32), then a
// u32 1 that is ignored when read.

#include <cstdint>
#include <string>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

struct NetworkTaskName {
    static constexpr FourCC kTag = {'N', 'T', 'S', 'K'};

    std::string name;
    std::string text;

    void write(BinaryWriter& out) const;
    // After the tag; 32910 and where when the data ends first.
    Status read(BinaryReader& in);

    friend bool operator==(const NetworkTaskName&, const NetworkTaskName&) = default;
};

struct NetworkSettings {
    static constexpr FourCC kTag = {'N', 'E', 'T', 'K'};
    static constexpr std::size_t kNameField = 10;

    std::string stationName = "Kestrune";
    std::uint16_t retryTimes = 0;
    std::uint16_t responseTimeoutMs = 2000;
    std::uint16_t reconnectIntervalMs = 2000;
    std::uint32_t logMessages = 1;

    void write(BinaryWriter& out) const;
    Status read(BinaryReader& in);

    friend bool operator==(const NetworkSettings&, const NetworkSettings&) = default;
};

}  // namespace kestrune
