#pragma once
// Small readers and writers of the I/O blocks' record fields: texts stored as
// a 32-bit length and that many bytes (no terminator), and the error a field
// that runs out gives.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune::io_record {

// 32910 with the field and where the reader stopped.
Status cutShort(const BinaryReader& in, std::string_view what);

// Keeps at most `keep` characters (and nothing from a zero byte on) but
// consumes the whole stored text, so the fields after it line up. A length
// beyond the record is an error, never a read past it.
Status readText(BinaryReader& in, std::size_t keep, std::string_view what, std::string& out);
void writeText(BinaryWriter& out, std::string_view text);

// An error when the reader ran out while reading `what`.
inline Status checked(const BinaryReader& in, std::string_view what) {
    return in.failed() ? cutShort(in, what) : Status{};
}

}  // namespace kestrune::io_record
