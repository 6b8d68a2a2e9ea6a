#pragma once
// A virtual tag: a named value of the strategy, kept in the tag database
// under the task "VIRTASK", with a type (1 integer, 2 float, 4 string), a
// hold flag (the value survives a stop and a restart through the hold file)
// and the initial value a tag block writes at run start unless the tag is
// held. Creating one publishes the tag and sets its hold flag; destroying it
// deletes the tag (only the one it published itself). Giving it an initial
// value also writes that value into the database: a held tag starts from it
// until a hold file (read after the strategy) or a run gives it another.
//
// "VTAG" record after the tag: u16 name length with terminator, the name and
// its terminator; from file version 4 u16 type and u32 hold flag; then the
// initial value: i32, f32, or u16 length and the characters (no terminator).
// Files before version 4 hold no type; their tags are float.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"
#include "platform/status.h"
#include "taskmodel/tag_publication.h"

namespace kestrune {

class TagDatabase;

inline constexpr std::string_view kVirtualTagLengthText =
    "The length of the virtual tag is limited between 1 to 9 characters.";
inline constexpr std::string_view kVirtualTagExistsText = "The virtual tag already exists.";

class VirtualTag {
  public:
    static constexpr FourCC kTag = {'V', 'T', 'A', 'G'};
    static constexpr std::size_t kMaxNameLength = 9;
    static constexpr std::size_t kMaxTextLength = 127;
    static constexpr std::uint16_t kInteger = 1;
    static constexpr std::uint16_t kFloat = 2;
    static constexpr std::uint16_t kString = 4;

    // Publishes the tag (one element of `type`, after normaliseType) in
    // `tags`, when given, and sets its hold flag.
    VirtualTag(TagDatabase* tags, std::string_view name, std::uint16_t type, bool hold);
    ~VirtualTag();
    VirtualTag(const VirtualTag&) = delete;
    VirtualTag& operator=(const VirtualTag&) = delete;

    // 1 and 2 and 4 stay; 0 reads as 1, 3 and everything above 4 as 2.
    static std::uint16_t normaliseType(std::uint16_t stored);
    // 1 to 9 characters.
    static bool isValidName(std::string_view name) { return !name.empty() && name.size() <= kMaxNameLength; }

    const std::string& name() const { return name_; }
    std::uint16_t type() const { return type_; }
    bool hold() const { return hold_; }
    // Also sets the tag's hold flag.
    void setHold(bool hold);
    // Whether this tag made the database entry (false when the name was taken).
    bool published() const { return tag_.published(); }

    std::int32_t initialInteger() const { return initialInteger_; }
    float initialFloat() const { return initialFloat_; }
    const std::string& initialText() const { return initialText_; }
    void setInitialInteger(std::int32_t v);
    void setInitialFloat(float v);
    // Keeps at most kMaxTextLength characters.
    void setInitialText(std::string_view text);
    // Writes the initial value into `tags` under this tag's name; 0 or the
    // database's code.
    Code writeInitialValue(TagDatabase& tags) const;

    // The whole record, tag included.
    void write(BinaryWriter& out) const;

    // Reads a record after its tag: name, type and hold, then makes the tag
    // (published), then its initial value. `tag` holds whatever was made even
    // when the initial value then ran out (the status says where).
    static Status read(BinaryReader& in, int fileVersion, TagDatabase* tags,
                       std::unique_ptr<VirtualTag>& tag);

  private:
    // Into the database this tag published itself in, when it did.
    void publishInitialValue() const;

    TagDatabase* tags_;
    TagPublication tag_;
    std::string name_;
    std::uint16_t type_;
    bool hold_;
    std::int32_t initialInteger_ = 0;
    float initialFloat_ = 0.0f;
    std::string initialText_;
};

}  // namespace kestrune
