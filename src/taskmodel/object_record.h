#pragma once
// Framing of an object's record in the strategy stream: a four-character tag,
// a 16-bit length of what follows the length, and the body. The writer
// reserves the length, lets the body be written and then fills it in; the
// reader confines the body to the stated length and afterwards moves to the
// record's end whatever the body read, so that records of later versions,
// longer than this one reads, are skipped cleanly.

#include <cstddef>
#include <string>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

class RecordWriter {
  public:
    // Writes the tag and reserves the length.
    RecordWriter(BinaryWriter& out, const FourCC& tag);
    // Fills in the length. A body over 65535 bytes cannot be framed and gives an error.
    Status finish();

  private:
    BinaryWriter& out_;
    FourCC tag_;
    std::size_t lengthAt_;
};

// Called with the tag already read (the loader dispatches on it).
class RecordReader {
  public:
    RecordReader(BinaryReader& in, const FourCC& tag);

    // Position just past the record; optional trailing fields are read only
    // while the reader is before it.
    std::size_t end() const { return record_.end; }
    bool hasMore() const { return in_.position() < record_.end; }

    // Moves to the record's end and returns `body` or, when the record ran out
    // (or never fitted the stream), an error that says where.
    Status finish(Status body);
    // After finish(): whether the record ran out or never fitted the stream.
    bool cutShort() const { return cutShort_; }

  private:
    BinaryReader& in_;
    FourCC tag_;
    std::size_t start_;
    std::size_t length_ = 0;
    bool fits_ = false;
    bool cutShort_ = false;
    BinaryReader::Record record_{};
};

}  // namespace kestrune
