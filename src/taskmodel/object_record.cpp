#include "taskmodel/object_record.h"

#include "taskmodel/graph_object.h"

namespace kestrune {

RecordWriter::RecordWriter(BinaryWriter& out, const FourCC& tag) : out_(out), tag_(tag) {
    out_.tag(tag);
    lengthAt_ = out_.beginLength16();
}

Status RecordWriter::finish() {
    if (out_.endLength16(lengthAt_)) return {};
    return {kRecordLoadError, std::string(toString(tag_)) + " record is longer than 65535 bytes"};
}

RecordReader::RecordReader(BinaryReader& in, const FourCC& tag) : in_(in), tag_(tag), start_(in.position()) {
    length_ = in_.u16();
    if (in_.failed()) return;
    fits_ = length_ <= in_.remaining();
    // A record the stream cuts short is still read as far as it goes, so
    // that its object can say who it is; finish() reports the cut.
    record_ = in_.beginRecord(fits_ ? length_ : in_.remaining());
}

Status RecordReader::finish(Status body) {
    const std::string where = std::string(toString(tag_)) + " record at byte " + std::to_string(start_);
    cutShort_ = in_.failed() || !fits_;
    if (length_ == 0 && in_.failed() && !fits_) {
        return {kRecordLoadError, where + ": no room for its length"};
    }
    const std::size_t stoppedAt = in_.position();
    const bool ranOut = in_.failed();
    in_.endRecord(record_);
    if (!fits_) {
        // The stream ended inside the record: nothing after it can be read.
        in_.skip(in_.remaining() + 1);
        return {kRecordLoadError,
                where + ": states " + std::to_string(length_) + " bytes, the stream ends first"};
    }
    if (ranOut) {
        return {kRecordLoadError, where + ": " + std::to_string(length_) +
                                      " bytes are too few, stopped at byte " + std::to_string(stoppedAt)};
    }
    if (!body) {
        body.context = where + ": " + body.context;
        return body;
    }
    return {};
}

}  // namespace kestrune
