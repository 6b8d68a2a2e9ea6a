// Node and wire records: round trips, the layouts of file versions 0 to 4,
// records longer than this version reads, and damaged records.

#include <gtest/gtest.h>

#include <limits>

#include "taskmodel/object_record.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

// Two strategies: records are written from one and read into the other, so
// that ids loaded into the second cannot meet the objects they came from.
class RecordTest : public GraphTest {
  protected:
    ObjectRegistry otherRegistry;
    NodeContext other{otherRegistry};

    std::unique_ptr<TestNode> blank(std::initializer_list<DataType> inputs = {kTypeFloat},
                                    std::initializer_list<DataType> outputs = {kTypeFloat}) {
        return std::make_unique<TestNode>(other, kPidKind, inputs, outputs);
    }

    static std::vector<std::uint8_t> bytesOf(const GraphObject& object) {
        BinaryWriter out;
        EXPECT_TRUE(object.Save(out).ok());
        return out.take();
    }
};

TEST_F(RecordTest, SavedNodeLoadsBackTheSame) {
    TestNode& node = add({kMaskNumber, kTypeString}, {kTypeFloat, kTypeFloatArray});
    node.setId(12);
    node.setInstanceNumber(3);
    node.setOrder(7);
    *node.input(0) = {5, 2, kMaskNumber, 0};
    node.AddConsumer(9);
    node.AddConsumer(11);
    const auto bytes = bytesOf(node);
    EXPECT_EQ(bytes.size(), 8u + 4 + 2 * 10 + 4 + 2 * 2 + 4 + 4 + 2 * 4);

    auto loaded = blank({}, {});
    BinaryReader in(bytes);
    ASSERT_TRUE(loaded->Load(in, 4).ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(loaded->id(), 12);
    EXPECT_EQ(loaded->instanceNumber(), 3);
    EXPECT_EQ(loaded->kind(), kPidKind);
    EXPECT_EQ(loaded->order(), 7u);
    ASSERT_EQ(loaded->inputCount(), 2);
    EXPECT_EQ(loaded->input(0)->sourceId, 5u);
    EXPECT_EQ(loaded->input(0)->sourceOutput, 2u);
    EXPECT_EQ(loaded->input(0)->acceptedMask, kMaskNumber);
    EXPECT_EQ(loaded->input(1)->acceptedMask, kTypeString);
    ASSERT_EQ(loaded->outputCount(), 2);
    EXPECT_EQ(loaded->output(1)->dataType, kTypeFloatArray);
    EXPECT_EQ(loaded->consumers(), (std::vector<std::uint32_t>{9, 11}));
    EXPECT_EQ(otherRegistry.FindObject(12), loaded.get());
    EXPECT_EQ(bytesOf(*loaded), bytes);
}

// The record of a node as each file version holds it.
std::vector<std::uint8_t> nodeRecord(int version) {
    BinaryWriter w;
    w.u32(21);  // id
    w.i16(11);  // kind, ignored
    w.u16(4);   // instance
    if (version >= 2) {
        w.u32(1);
        w.u32(30);  // source id
        w.u32(1);   // source output
        w.u16(kTypeInteger);
        w.u32(1);
        w.u16(kTypeString);
    }
    if (version >= 3) w.u32(6);  // order
    if (version >= 4) {
        w.u32(1);
        w.u32(44);
    }
    return w.take();
}

class NodeVersionTest : public RecordTest, public ::testing::WithParamInterface<int> {};

TEST_P(NodeVersionTest, ReadsExactlyWhatItsVersionHolds) {
    const int version = GetParam();
    const auto bytes = nodeRecord(version);
    auto node = blank();
    node->setOrder(99);
    node->AddConsumer(1);
    BinaryReader in(bytes);
    ASSERT_TRUE(node->Load(in, version).ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(node->id(), 21);
    EXPECT_EQ(node->instanceNumber(), 4);
    EXPECT_EQ(node->kind(), kPidKind);
    EXPECT_EQ(node->input(0)->sourceId, version >= 2 ? 30u : 0u);
    EXPECT_EQ(node->input(0)->acceptedMask, version >= 2 ? kTypeInteger : kTypeFloat);
    EXPECT_EQ(node->output(0)->dataType, version >= 2 ? kTypeString : kTypeFloat);
    EXPECT_EQ(node->order(), version >= 3 ? 6u : 99u);
    EXPECT_EQ(node->consumers(),
              version >= 4 ? std::vector<std::uint32_t>{44} : std::vector<std::uint32_t>{1});
}

INSTANTIATE_TEST_SUITE_P(FileVersions, NodeVersionTest, ::testing::Values(0, 1, 2, 3, 4));

TEST_F(RecordTest, AStoredTableOnlyGrowsTheConstructorsTable) {
    TestNode& three = add({1, 2, 4}, {1, 2, 4});
    const auto bytes = bytesOf(three);

    auto smaller = blank({7}, {7});
    BinaryReader in(bytes);
    ASSERT_TRUE(smaller->Load(in, 4).ok());
    EXPECT_EQ(smaller->inputCount(), 3);
    EXPECT_EQ(smaller->outputCount(), 3);

    auto larger = blank({7, 7, 7, 7, 7}, {7, 7, 7, 7});
    BinaryReader again(bytes);
    ASSERT_TRUE(larger->Load(again, 4).ok());
    EXPECT_EQ(larger->inputCount(), 5);
    EXPECT_EQ(larger->input(2)->acceptedMask, 4);
    EXPECT_EQ(larger->input(3)->acceptedMask, 7);  // kept as constructed
    EXPECT_EQ(larger->outputCount(), 4);
}

TEST_F(RecordTest, OutputValuesFollowATableAFileGrew) {
    TestNode& wide = add({}, {kTypeFloat, kTypeString});
    const auto bytes = bytesOf(wide);
    auto narrow = blank({}, {kTypeFloat});
    narrow->createOutputValues();
    BinaryReader in(bytes);
    ASSERT_TRUE(narrow->Load(in, 4).ok());
    ASSERT_NE(narrow->outputValue(1), nullptr);
    EXPECT_EQ(narrow->outputValue(1)->dataType(), kTypeString);
}

TEST_F(RecordTest, EveryCutOfANodeRecordGivesAnErrorCode) {
    TestNode& node = add({kTypeFloat, kTypeFloat}, {kTypeFloat});
    node.AddConsumer(3);
    const auto bytes = bytesOf(node);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        auto target = blank();
        BinaryReader in(std::span<const std::uint8_t>(bytes).first(cut));
        const Status s = target->Load(in, 4);
        EXPECT_EQ(s.code, kRecordLoadError) << "cut at " << cut;
        EXPECT_FALSE(s.context.empty());
    }
}

TEST_F(RecordTest, ImpossibleCountsAreRefusedBeforeAnyAllocation) {
    BinaryWriter w;
    w.u32(1);
    w.i16(26);
    w.u16(1);
    w.u32(0xFFFFFFF0u);  // inputs
    auto node = blank();
    BinaryReader in(w.data());
    const Status s = node->Load(in, 4);
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_NE(s.context.find("inputs"), std::string::npos);
    EXPECT_EQ(node->inputCount(), 1);
}

TEST_F(RecordTest, AnIdWiderThan16BitsIsDamage) {
    BinaryWriter w;
    w.u32(0x10001);
    w.i16(26);
    w.u16(1);
    auto node = blank();
    const std::uint16_t before = node->id();
    BinaryReader in(w.data());
    EXPECT_EQ(node->Load(in, 1).code, kRecordLoadError);
    EXPECT_EQ(node->id(), before);
}

// ---- wires ----

class WireRecordTest : public RecordTest {
  protected:
    // Nodes with the same ids in both strategies.
    void SetUp() override {
        a = &add({}, {kTypeFloat, kTypeFloat});
        b = &add({kTypeFloat, kTypeFloat}, {});
        otherA = blank({}, {kTypeFloat, kTypeFloat});
        otherB = blank({kTypeFloat, kTypeFloat}, {});
        otherA->setId(a->id());
        otherB->setId(b->id());
    }

    Wire& makeWire() {
        Wire& w = *graph.Connect(*a, 1, *b, 1).wire;
        const Point path[] = {{10, 20}, {50, 20}, {50, 80}, {90, 80}};
        w.setPoints(path);
        w.setAnchors({32, 4}, {0, 12});
        w.setSecondEnds(0, 0);
        return w;
    }

    // Reads the tag, as the task loader does, then the wire.
    Status load(Wire& w, BinaryReader& in, int version = 4) {
        EXPECT_EQ(toString(in.tag()), "SEGL");
        return w.Load(in, version);
    }

    TestNode* a = nullptr;
    TestNode* b = nullptr;
    std::unique_ptr<TestNode> otherA, otherB;
};

TEST_F(WireRecordTest, SavedWireLoadsBackAttached) {
    Wire& original = makeWire();
    const auto bytes = bytesOf(original);
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "SEGL");
    EXPECT_EQ(bytes[4] | (bytes[5] << 8), static_cast<int>(bytes.size() - 6));

    Wire copy(otherRegistry);
    BinaryReader in(bytes);
    ASSERT_TRUE(load(copy, in).ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(copy.id(), original.id());
    EXPECT_EQ(copy.source(), otherA.get());
    EXPECT_EQ(copy.target(), otherB.get());
    EXPECT_EQ(copy.sourceOutput(), 1);
    EXPECT_EQ(copy.targetInput(), 1);
    ASSERT_EQ(copy.points().size(), 4u);
    EXPECT_EQ(copy.points()[3], (Point{90, 80}));
    EXPECT_EQ(copy.sourceAnchor(), (Point{32, 4}));
    EXPECT_EQ(copy.targetAnchor(), (Point{0, 12}));
    EXPECT_TRUE(otherA->outgoingWires().Contains(&copy));
    EXPECT_TRUE(otherB->incomingWires().Contains(&copy));
    EXPECT_EQ(bytesOf(copy), bytes);
}

TEST_F(WireRecordTest, ALongerRecordIsSkippedAndTheNextOneReadsRight) {
    Wire& first = makeWire();
    std::vector<std::uint8_t> bytes = bytesOf(first);
    // A later version appended six bytes of its own to the body.
    bytes.insert(bytes.end(), {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});
    const std::size_t length = bytes.size() - 6;
    bytes[4] = static_cast<std::uint8_t>(length);
    bytes[5] = static_cast<std::uint8_t>(length >> 8);
    const std::size_t firstEnd = bytes.size();
    graph.RemoveWire(first);
    Wire& second = *graph.Connect(*a, 0, *b, 0).wire;
    const auto secondBytes = bytesOf(second);
    bytes.insert(bytes.end(), secondBytes.begin(), secondBytes.end());

    BinaryReader in(bytes);
    Wire one(otherRegistry);
    ASSERT_TRUE(load(one, in).ok());
    EXPECT_EQ(in.position(), firstEnd);
    Wire two(otherRegistry);
    ASSERT_TRUE(load(two, in).ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(two.id(), second.id());
    EXPECT_EQ(two.sourceOutput(), 0);
    EXPECT_EQ(two.targetInput(), 0);
}

TEST_F(WireRecordTest, ARecordShorterThanItsBodyGivesAnError) {
    std::vector<std::uint8_t> bytes = bytesOf(makeWire());
    bytes[4] = 10;  // the length claims only part of the body
    bytes[5] = 0;
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    const Status s = load(w, in);
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_NE(s.context.find("SEGL record at byte 4"), std::string::npos) << s.context;
    EXPECT_EQ(in.position(), 16u);  // the record's stated end
    EXPECT_EQ(w.source(), nullptr);
}

TEST_F(WireRecordTest, EveryCutOfAWireRecordGivesAnErrorCode) {
    const auto bytes = bytesOf(makeWire());
    for (std::size_t cut = 4; cut < bytes.size(); ++cut) {
        BinaryReader in(std::span<const std::uint8_t>(bytes).first(cut));
        Wire w(otherRegistry);
        const Status s = load(w, in);
        EXPECT_EQ(s.code, kRecordLoadError) << "cut at " << cut;
        EXPECT_TRUE(otherA->outgoingWires().isEmpty());
    }
}

TEST_F(WireRecordTest, AWireNamingAMissingNodeIsNotAttached) {
    const auto bytes = bytesOf(makeWire());
    otherB.reset();
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    const Status s = load(w, in);
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(w.source(), nullptr);
    EXPECT_TRUE(otherA->outgoingWires().isEmpty());
    EXPECT_EQ(w.points().size(), 4u);
}

TEST_F(WireRecordTest, MoreThanEightPointsIsDamage) {
    std::vector<std::uint8_t> bytes = bytesOf(makeWire());
    bytes[6 + 8 + 20] = 9;  // the point count after the root and connection parts
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    EXPECT_EQ(load(w, in).code, kRecordLoadError);
}

// A damaged file may hold any 32-bit point; the wire keeps none of them.
TEST_F(WireRecordTest, PointsOrAnchorsFarOffTheCanvasAreDamage) {
    constexpr int kHigh = std::numeric_limits<int>::max();
    constexpr int kLow = std::numeric_limits<int>::min();
    struct Damage {
        Point point, sourceAnchor, targetAnchor;
    };
    for (const Damage& d : {Damage{{kHigh, 20}, {32, 4}, {0, 12}}, Damage{{10, kLow}, {32, 4}, {0, 12}},
                            Damage{{10, 20}, {kMaxStoredCoordinate + 1, 4}, {0, 12}},
                            Damage{{10, 20}, {32, 4}, {0, -kMaxStoredCoordinate - 1}}}) {
        Wire& original = makeWire();
        const Point path[] = {{10, 20}, d.point};
        original.setPoints(path);
        original.setAnchors(d.sourceAnchor, d.targetAnchor);
        const auto bytes = bytesOf(original);
        graph.RemoveWire(original);
        BinaryReader in(bytes);
        Wire w(otherRegistry);
        const Status s = load(w, in);
        EXPECT_EQ(s.code, kRecordLoadError);
        EXPECT_NE(s.context.find("out of range"), std::string::npos) << s.context;
        EXPECT_TRUE(in.atEnd());
        EXPECT_TRUE(w.points().empty());
        EXPECT_EQ(w.sourceAnchor(), Point{});
        EXPECT_EQ(w.targetAnchor(), Point{});
        EXPECT_TRUE(otherA->outgoingWires().isEmpty());
    }
}

// Saved again, such a point would be refused only at the next load.
TEST_F(WireRecordTest, FarPointsOfARecordCutShortInItsAnchorsAreNotKeptEither) {
    Wire& original = makeWire();
    const Point path[] = {{10, 20}, {std::numeric_limits<int>::max(), 20}};
    original.setPoints(path);
    auto bytes = bytesOf(original);
    graph.RemoveWire(original);
    const std::uint16_t length = static_cast<std::uint16_t>(bytes[4] | (bytes[5] << 8)) - 4;
    bytes[4] = static_cast<std::uint8_t>(length & 0xFF);
    bytes[5] = static_cast<std::uint8_t>(length >> 8);
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    EXPECT_EQ(load(w, in).code, kRecordLoadError);
    EXPECT_TRUE(w.points().empty());
}

TEST_F(WireRecordTest, PointsAtTheLimitLoad) {
    Wire& original = makeWire();
    const Point path[] = {{-kMaxStoredCoordinate, kMaxStoredCoordinate}, {kMaxStoredCoordinate, 0}};
    original.setPoints(path);
    original.setAnchors({kMaxStoredCoordinate, 0}, {0, -kMaxStoredCoordinate});
    const auto bytes = bytesOf(original);
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    ASSERT_TRUE(load(w, in).ok());
    EXPECT_EQ(w.points()[1], (Point{kMaxStoredCoordinate, 0}));
    EXPECT_EQ(bytesOf(w), bytes);
}

// Version 1 stored no port indices: the input is the first one naming the source.
std::vector<std::uint8_t> versionOneWire(std::uint32_t id, std::uint32_t source, std::uint32_t target,
                                         std::uint32_t secondSource) {
    BinaryWriter w;
    RecordWriter record(w, Wire::kFileTag);
    w.u32(id);
    w.i16(1);
    w.u16(0);
    w.u32(source);
    w.u32(target);
    w.u32(secondSource);
    w.u32(0);
    w.u32(2);
    for (int v : {1, 2, 3, 4, 0, 0, 0, 0}) w.i32(v);
    EXPECT_TRUE(record.finish().ok());
    return w.take();
}

TEST_F(WireRecordTest, VersionOneFindsTheInputByItsSource) {
    otherB->input(0)->sourceId = 77;
    otherB->input(1)->sourceId = otherA->id();
    const auto bytes = versionOneWire(50, otherA->id(), otherB->id(), 0);
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    ASSERT_TRUE(load(w, in, 1).ok());
    EXPECT_EQ(w.sourceOutput(), 0);
    EXPECT_EQ(w.targetInput(), 1);
    EXPECT_EQ(w.points().size(), 2u);
}

TEST_F(WireRecordTest, VersionOnePrefersTheSecondSource) {
    otherB->input(0)->sourceId = 77;
    otherB->input(1)->sourceId = otherA->id();
    const auto bytes = versionOneWire(50, otherA->id(), otherB->id(), 77);
    BinaryReader in(bytes);
    Wire w(otherRegistry);
    ASSERT_TRUE(load(w, in, 1).ok());
    EXPECT_EQ(w.targetInput(), 0);
    EXPECT_EQ(w.secondSourceId(), 77u);
}

}  // namespace
}  // namespace kestrune::testing
