// Block records: the common part and a kind's payload, records longer and
// shorter than this version reads, damaged ones, kinds that are not
// registered, and the legacy user-program block kept byte for byte.

#include <gtest/gtest.h>

#include <limits>

#include "resources/message_ids.h"
#include "taskmodel/legacy_program_block.h"
#include "taskmodel/object_record.h"
#include "taskmodel/opaque_record.h"
#include "taskmodel/wire.h"
#include "test_blocks.h"

namespace kestrune::testing {
namespace {

constexpr int kVersion = 4;

// Records are read into a second strategy whose task is TASK2, so that loaded
// ids and tags cannot meet the objects they were written from.
class BlockRecordTest : public BlockTest {
  protected:
    BlockRecordTest() { otherView.name = "TASK2"; }

    static std::vector<std::uint8_t> bytesOf(const GraphObject& object) {
        BinaryWriter out;
        EXPECT_TRUE(object.Save(out).ok());
        return out.take();
    }
    // Sets the record length field of the record at `at` to `length`.
    static void patchLength(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t length) {
        bytes[at + 4] = static_cast<std::uint8_t>(length);
        bytes[at + 5] = static_cast<std::uint8_t>(length >> 8);
    }
    // Reads the tag, then lets the object load the rest.
    static Status load(GraphObject& object, BinaryReader& in) {
        const FourCC tag = in.tag();
        EXPECT_EQ(tag, object.fileTag());
        return object.Load(in, kVersion);
    }
    bool hasOtherTag(std::string_view name) const { return tags.IsTagExist("TASK2", name); }

    FakeTaskView otherView{&otherGraph};
    ObjectRegistry otherRegistry;
    TaskGraph otherGraph{otherRegistry};
    NodeContext other{otherRegistry, nullptr, nullptr, &ui, true, &otherView, &tags};
};

TEST_F(BlockRecordTest, SavedBlockLoadsBackTheSame) {
    GainBlock& block = add();
    block.setBox({10, 20, 42, 52});
    ASSERT_TRUE(block.rename("FLOW").ok());
    block.setCaption("Feed flow");
    block.gain = 2.0f;
    block.offset = 0.5f;
    const auto bytes = bytesOf(block);
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[3], 'C');
    EXPECT_EQ(bytes[4] | (bytes[5] << 8), static_cast<int>(bytes.size() - 6));

    GainBlock loaded(other);
    EXPECT_TRUE(hasOtherTag("SOC1"));
    BinaryReader in(bytes);
    ASSERT_TRUE(load(loaded, in).ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(loaded.id(), block.id());
    EXPECT_EQ(loaded.order(), block.order());
    EXPECT_EQ(loaded.box(), (Rect{10, 20, 42, 52}));
    EXPECT_EQ(loaded.captionRect(), (Rect{-10, 53, 62, 79}));
    EXPECT_EQ(loaded.name(), "FLOW");
    EXPECT_EQ(loaded.caption(), "Feed flow");
    EXPECT_FLOAT_EQ(loaded.gain, 2.0f);
    EXPECT_FLOAT_EQ(loaded.offset, 0.5f);
    // The tag moved from the constructor's name to the loaded one.
    EXPECT_TRUE(hasOtherTag("FLOW"));
    EXPECT_FALSE(hasOtherTag("SOC1"));
    EXPECT_EQ(bytesOf(loaded), bytes);
}

// A damaged file may hold any 32-bit box; one far outside the canvas is
// refused before the caption arithmetic sees it.
TEST_F(BlockRecordTest, BoxEdgesNearTheIntRangeAreADamagedRecord) {
    constexpr int kLow = std::numeric_limits<int>::min();
    constexpr int kHigh = std::numeric_limits<int>::max();
    for (const Rect box : {Rect{kLow, kLow, kLow + 32, kLow + 32}, Rect{kHigh - 32, 0, kHigh, 32},
                           Rect{0, kHigh - 32, 32, kHigh}, Rect{0, 0, kMaxStoredCoordinate + 1, 32},
                           Rect{-kMaxStoredCoordinate - 1, 0, 32, 32}}) {
        GainBlock& block = add();
        block.setBox(box);
        const auto bytes = bytesOf(block);
        GainBlock loaded(other);
        BinaryReader in(bytes);
        const Status status = load(loaded, in);
        EXPECT_EQ(status.code, kRecordLoadError) << box.left << "," << box.top;
        EXPECT_NE(status.context.find("out of range"), std::string::npos) << status.context;
        EXPECT_EQ(loaded.box(), Rect{});
    }
}

TEST_F(BlockRecordTest, BoxesUpToTheLimitAndInvertedBoxesStillLoad) {
    constexpr int kMax = kMaxStoredCoordinate;
    for (const Rect box : {Rect{-kMax, -kMax, kMax, kMax}, Rect{50, 60, 10, 20}}) {
        GainBlock& block = add();
        block.setBox(box);
        const auto bytes = bytesOf(block);
        GainBlock loaded(other);
        BinaryReader in(bytes);
        ASSERT_TRUE(load(loaded, in).ok());
        EXPECT_EQ(loaded.box(), box);
        EXPECT_EQ(loaded.captionRect(), Block::CaptionRectFor(box));
        EXPECT_EQ(bytesOf(loaded), bytes);
    }
}

TEST(CaptionRectTest, EdgesStopAtTheEndsOfTheIntRange) {
    constexpr int kLow = std::numeric_limits<int>::min();
    constexpr int kHigh = std::numeric_limits<int>::max();
    EXPECT_EQ(Block::CaptionRectFor({kLow, kHigh - 30, kHigh - 5, kHigh}), (Rect{kLow, kHigh, kHigh, kHigh}));
    EXPECT_EQ(Block::CaptionRectFor({kLow + 10, kLow, kLow + 50, kLow + 10}),
              (Rect{kLow, kLow + 11, kLow + 70, kLow + 37}));
    EXPECT_EQ(Block::CaptionRectFor({10, 20, 42, 52}), (Rect{-10, 53, 62, 79}));
}

TEST_F(BlockRecordTest, OlderRecordWithoutTheTrailingFieldKeepsItsValue) {
    GainBlock& block = add();
    auto bytes = bytesOf(block);
    bytes.resize(bytes.size() - 4);
    patchLength(bytes, 0, bytes.size() - 6);

    GainBlock loaded(other);
    loaded.offset = 9.0f;
    BinaryReader in(bytes);
    ASSERT_TRUE(load(loaded, in).ok());
    EXPECT_FLOAT_EQ(loaded.offset, 9.0f);
}

TEST_F(BlockRecordTest, LongerRecordIsSkippedAndTheNextRecordReadsRight) {
    GainBlock& first = add();
    GainBlock& second = add();
    second.setCaption("Second");
    auto bytes = bytesOf(first);
    const std::vector<std::uint8_t> extra{1, 2, 3, 4, 5, 6};
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    patchLength(bytes, 0, bytes.size() - 6);
    const auto next = bytesOf(second);
    bytes.insert(bytes.end(), next.begin(), next.end());

    GainBlock a(other);
    GainBlock b(other);
    BinaryReader in(bytes);
    ASSERT_TRUE(load(a, in).ok());
    ASSERT_TRUE(load(b, in).ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(a.name(), "SOC1");
    EXPECT_EQ(b.name(), "SOC2");
    EXPECT_EQ(b.caption(), "Second");
}

TEST_F(BlockRecordTest, EveryTruncationGivesTheLoadError) {
    GainBlock& block = add();
    block.setCaption("Cut short");
    const auto bytes = bytesOf(block);
    for (std::size_t cut = 4; cut < bytes.size(); ++cut) {
        const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        GainBlock loaded(other);
        BinaryReader in(part);
        const Status s = load(loaded, in);
        EXPECT_EQ(s.code, kRecordLoadError) << "cut at " << cut;
        EXPECT_FALSE(s.context.empty());
    }
}

TEST_F(BlockRecordTest, LengthTooShortForTheCommonPartStopsAtTheRecordEnd) {
    GainBlock& block = add();
    auto bytes = bytesOf(block);
    patchLength(bytes, 0, 10);
    GainBlock loaded(other);
    BinaryReader in(bytes);
    EXPECT_EQ(load(loaded, in).code, kRecordLoadError);
    EXPECT_EQ(in.position(), 16u);
}

// A record built field by field, for names the writer would never produce.
std::vector<std::uint8_t> recordWithTexts(const Block& from, std::int32_t nameLength, std::string_view name,
                                          std::int32_t captionLength, std::string_view caption) {
    BinaryWriter out;
    RecordWriter record(out, from.fileTag());
    EXPECT_TRUE(from.Node::Save(out).ok());
    for (const int v : {1, 2, 33, 34}) out.i32(v);
    out.i32(nameLength);
    out.bytes(name.data(), name.size());
    out.i32(captionLength);
    out.bytes(caption.data(), caption.size());
    out.f32(3.0f);
    out.f32(4.0f);
    EXPECT_TRUE(record.finish().ok());
    return out.take();
}

TEST_F(BlockRecordTest, OverlongNameAndCaptionAreCutAndTheFieldsAfterThemStillLineUp) {
    GainBlock& block = add();
    const std::string caption(40, 'c');
    const auto bytes = recordWithTexts(block, 12, "ABCDEFGHIJKL", 40, caption);
    GainBlock loaded(other);
    BinaryReader in(bytes);
    ASSERT_TRUE(load(loaded, in).ok());
    EXPECT_EQ(loaded.name(), "ABCDEFGHI");
    EXPECT_EQ(loaded.caption(), std::string(31, 'c'));
    EXPECT_FLOAT_EQ(loaded.gain, 3.0f);
    EXPECT_FLOAT_EQ(loaded.offset, 4.0f);
}

TEST_F(BlockRecordTest, TextStopsAtAZeroByte) {
    GainBlock& block = add();
    const std::string name("AB\0CD", 5);
    const auto bytes = recordWithTexts(block, 5, name, 0, "");
    GainBlock loaded(other);
    BinaryReader in(bytes);
    ASSERT_TRUE(load(loaded, in).ok());
    EXPECT_EQ(loaded.name(), "AB");
    EXPECT_EQ(loaded.caption(), "");
}

TEST_F(BlockRecordTest, ImpossibleTextLengthsAreLoadErrors) {
    GainBlock& block = add();
    for (const std::int32_t length : {-1, -2147483647 - 1, 1000, 65536}) {
        const auto bytes = recordWithTexts(block, length, "ABC", 0, "");
        GainBlock loaded(other);
        BinaryReader in(bytes);
        EXPECT_EQ(load(loaded, in).code, kRecordLoadError) << length;
        EXPECT_TRUE(in.atEnd());
    }
}

TEST_F(BlockRecordTest, LoadedClipboardNumberPublishesNoTag) {
    GainBlock& block = add();
    block.setInstanceNumber(kCopyInstanceBase + 5);
    const auto bytes = bytesOf(block);
    GainBlock loaded(other);
    BinaryReader in(bytes);
    ASSERT_TRUE(load(loaded, in).ok());
    EXPECT_FALSE(loaded.tagPublished());
    EXPECT_FALSE(hasOtherTag("SOC1"));
}

// ---- the loader's dispatch ----

TEST_F(BlockRecordTest, RecordOfAnUnregisteredKindIsKeptWholeAndTheRestLoads) {
    GainBlock& pid = add(kPidKind);  // no one registered PID
    GainBlock& gain = add();
    pid.setOrder(7);
    auto bytes = bytesOf(pid);
    const auto next = bytesOf(gain);
    bytes.insert(bytes.end(), next.begin(), next.end());

    BinaryReader in(bytes);
    LoadedObject kept = LoadObjectRecord(factory, in, in.tag(), other, kVersion);
    EXPECT_EQ(kept.status.code, kMsgFileLoadError);
    EXPECT_NE(kept.status.context.find("BPID"), std::string::npos) << kept.status.context;
    auto* record = dynamic_cast<OpaqueRecord*>(kept.object.get());
    ASSERT_NE(record, nullptr);
    // Its node part is read: the id and the order number stay taken.
    EXPECT_EQ(record->id(), pid.id());
    EXPECT_EQ(record->order(), 7u);
    EXPECT_EQ(otherRegistry.FindNode(pid.id()), record);
    EXPECT_EQ(record->Validate(), kMsgGenericError);
    EXPECT_EQ(record->Start(), kMsgGenericError);
    BinaryWriter again;
    ASSERT_TRUE(record->Save(again).ok());
    EXPECT_EQ(again.data(), bytesOf(pid));

    LoadedObject loaded = LoadObjectRecord(factory, in, in.tag(), other, kVersion);
    ASSERT_TRUE(loaded.status.ok()) << loaded.status.context;
    ASSERT_NE(loaded.object, nullptr);
    EXPECT_EQ(loaded.object->kind(), kCalculationKind);
    EXPECT_EQ(loaded.object->asNode()->name(), "SOC1");
    EXPECT_TRUE(in.atEnd());
}

TEST_F(BlockRecordTest, UnknownTagIsKeptByItsLengthEvenTooShortForANode) {
    BinaryWriter out;
    RecordWriter record(out, fourcc("QQQQ"));
    out.u32(0xDEADBEEF);
    ASSERT_TRUE(record.finish().ok());
    const std::vector<std::uint8_t> recordBytes = out.data();
    out.tag(fourcc("ZEOF"));
    const auto bytes = out.take();
    BinaryReader in(bytes);
    LoadedObject kept = LoadObjectRecord(factory, in, in.tag(), other, kVersion);
    EXPECT_EQ(kept.status.code, kMsgFileLoadError);
    auto* opaque = dynamic_cast<OpaqueRecord*>(kept.object.get());
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->nodePartRead());
    EXPECT_EQ(opaque->kind(), kUnknownKind);
    BinaryWriter again;
    ASSERT_TRUE(opaque->Save(again).ok());
    EXPECT_EQ(again.data(), recordBytes);
    EXPECT_EQ(in.tag(), fourcc("ZEOF"));
}

TEST_F(BlockRecordTest, AnUnknownRecordLongerThanTheDataGivesNothing) {
    BinaryWriter out;
    out.tag(fourcc("QQQQ"));
    out.u16(40);
    out.u32(1);
    const auto bytes = out.take();
    BinaryReader in(bytes);
    LoadedObject kept = LoadObjectRecord(factory, in, in.tag(), other, kVersion);
    EXPECT_EQ(kept.object, nullptr);
    EXPECT_EQ(kept.status.code, kMsgFileLoadError);
    EXPECT_TRUE(in.failed());
}

TEST_F(BlockRecordTest, DamagedRecordOfARegisteredKindKeepsWhatWasRead) {
    GainBlock& block = add();
    auto bytes = bytesOf(block);
    // The stated length ends inside the trailing field.
    patchLength(bytes, 0, bytes.size() - 6 - 2);
    BinaryReader in(bytes);
    LoadedObject loaded = LoadObjectRecord(factory, in, in.tag(), other, kVersion);
    EXPECT_EQ(loaded.status.code, kMsgFileLoadError);
    ASSERT_NE(loaded.object, nullptr);
    EXPECT_EQ(loaded.object->id(), block.id());
}

TEST_F(BlockRecordTest, WireRecordsLoadAsWires) {
    GainBlock& a = add();
    GainBlock& b = add();
    ConnectOutcome made = graph.Connect(a, 0, b, 0);
    ASSERT_TRUE(made.accepted());
    const auto bytes = bytesOf(*made.wire);
    BinaryReader in(bytes);
    // Into the same strategy, where the wire's ends exist.
    LoadedObject loaded = LoadObjectRecord(factory, in, in.tag(), context, kVersion);
    ASSERT_TRUE(loaded.status.ok()) << loaded.status.context;
    ASSERT_NE(loaded.object, nullptr);
    EXPECT_TRUE(loaded.object->isWire());
}

// ---- the legacy user-program block ----

class LegacyProgramBlockTest : public BlockRecordTest {
  protected:
    LegacyProgramBlockTest() { EXPECT_TRUE(registerLegacyBlockKinds(factory).ok()); }
};

TEST_F(LegacyProgramBlockTest, KeepsItsProgramByteForByte) {
    BlockCreation made = factory.CreateForTag(fourcc("BPRG"), context);
    ASSERT_NE(made.block, nullptr);
    EXPECT_EQ(made.block->name(), "PRG1");
    EXPECT_FALSE(made.block->tagPublished());
    auto bytes = bytesOf(*made.block);
    const std::vector<std::uint8_t> program{'P', 'R', 'I', 'N', 'T', 0, 0xFF, 0x10, 0, 7, 'X'};
    bytes.insert(bytes.end(), program.begin(), program.end());
    patchLength(bytes, 0, bytes.size() - 6);

    BinaryReader in(bytes);
    LoadedObject loaded = LoadObjectRecord(factory, in, in.tag(), other, kVersion);
    ASSERT_TRUE(loaded.status.ok()) << loaded.status.context;
    auto* legacy = dynamic_cast<LegacyProgramBlock*>(loaded.object.get());
    ASSERT_NE(legacy, nullptr);
    EXPECT_TRUE(std::ranges::equal(legacy->payload(), program));
    EXPECT_EQ(bytesOf(*legacy), bytes);
}

TEST_F(LegacyProgramBlockTest, RefusesEveryStartWithItsMessage) {
    LegacyProgramBlock& block = add<LegacyProgramBlock>();
    EXPECT_EQ(block.Validate(), kOk);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(block.Start(), kMsgUserProgramBlockUnsupported);
        EXPECT_FALSE(block.isRunning());
    }
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "User Programming Block is no longer supported by Kestrune. Please delete it and use "
              "BasicScript Block instead.");
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(block.Stop(), kOk);
}

TEST_F(LegacyProgramBlockTest, RegistersOnce) {
    EXPECT_TRUE(factory.IsRegistered(kUserProgramKind));
    EXPECT_EQ(registerLegacyBlockKinds(factory).code, kBlockKindUnavailable);
}

}  // namespace
}  // namespace kestrune::testing
