#pragma once
// The strategy file: "QKSV", the version and build words, the protection
// block and key, the options record, then the sections in this order: each
// task ("SWPL", window placement, the task's records, "ETSK"), each display
// ("PWPL"), the main script ("BSRP"), then a "VTAG" record per virtual tag,
// an "NTSK" record per network station name, one "NETK", and "ZEOF". All
// numbers little-endian. Display and script sections are kept unread and
// written back where they were among the task sections.
//
// Reading works on the whole file in memory and never reads outside it.
// Nothing in the document changes until the signature, the version, the
// password and the options record have been accepted; from then on the
// document is cleared and filled, and whatever was read stays even when a
// later part fails. A file that ends after a complete section, record or
// tag without "ZEOF" still loads.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

class Protection;
class StrategyDocument;
class UserInterface;

inline constexpr FourCC kStrategySignature = {'Q', 'K', 'S', 'V'};
inline constexpr FourCC kStrategyEnd = {'Z', 'E', 'O', 'F'};

// The whole file as this version writes it (4.25.000). `keyBits` are the
// random bits of the protection key; `protection`, when given, is written
// instead of the document's (a save takes the new one only once the file is
// on disk). 32910 and where when a record cannot be framed (a body over
// 65535 bytes).
Status writeStrategy(const StrategyDocument& document, BinaryWriter& out, std::uint32_t keyBits,
                     const Protection* protection = nullptr);

struct StrategyReadOptions {
    // Shown the warning for a file of version 3, and asked the password of a
    // protected file when `password` is not given.
    UserInterface* ui = nullptr;
    // The answer to the password question, for readers without a person.
    std::optional<std::string> password;
};

struct StrategyReadResult {
    // 0; 32855 wrong signature or version word (and cut-short headers);
    // 32983 a version older than 3; 61455 wrong or no password; 32910 any
    // part of the contents that did not load (the context says which and
    // where).
    Status status;
    // The document was cleared and the file's contents read into it.
    bool contentsReplaced = false;
    // The file was of version 3 (the caller was warned through the ui).
    bool oldVersion = false;
};

StrategyReadResult readStrategy(StrategyDocument& document, std::span<const std::uint8_t> data,
                                const StrategyReadOptions& options = {});

}  // namespace kestrune
