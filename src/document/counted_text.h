#pragma once
// Texts stored as a 16-bit length and that many bytes, as the document-level
// records ("VTAG", "NTSK") keep names. Whether the terminator is counted
// differs between fields, so the writer says; the reader keeps the text up to
// the first zero byte and at most `keep` characters, and always consumes the
// whole stored length so that the fields after it line up.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"

namespace kestrune {

enum class Terminator { Counted, None };

void writeCountedText(BinaryWriter& out, std::string_view text, Terminator terminator);
// False when the length runs past the data (the reader is failed then).
bool readCountedText(BinaryReader& in, std::size_t keep, std::string& text);

}  // namespace kestrune
