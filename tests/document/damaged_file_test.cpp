// Every prefix of a valid file and files with bytes flipped load without a
// crash, a hang or a read outside the data (the sanitizers watch), and each
// gives one of the reader's codes.

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <set>
#include <string>

#include "document/document_fixture.h"
#include "document/task_drawing.h"
#include "platform/recording_canvas.h"
#include "taskmodel/wire.h"

namespace kestrune::testing {
namespace {

// Signature, version words, protection block and key, then the 28-byte options record.
constexpr std::size_t kOptionsEnd = 4 + 4 + 28 + 28;

class DamagedFileTest : public DocumentTest {
  protected:
    void SetUp() override {
        auto writer = makeWorld();
        fillSample(*writer->document);
        valid = bytesOf(*writer->document);
        reader = makeWorld();
    }

    StrategyReadResult load(const std::vector<std::uint8_t>& bytes) {
        StrategyReadOptions options;  // no questions: a protected file gets no password
        return readStrategy(*reader->document, bytes, options);
    }

    // Ends of the parts a file may stop after and still load: the options
    // record, each task section, each record after the sections, the end tag.
    std::set<std::size_t> cleanEnds() const {
        const std::string text(valid.begin(), valid.end());
        std::set<std::size_t> ends{kOptionsEnd, valid.size()};
        for (std::size_t at = text.find("ETSK"); at != std::string::npos; at = text.find("ETSK", at + 1)) {
            ends.insert(at + 4);
        }
        for (const char* tag : {"VTAG", "NTSK", "NETK", "ZEOF"}) {
            for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
                ends.insert(at);  // the previous record ends where this one starts
            }
        }
        return ends;
    }

    std::vector<std::uint8_t> valid;
    std::unique_ptr<DocumentWorld> reader;
};

TEST_F(DamagedFileTest, EveryPrefixLoadsOrSaysWhy) {
    const std::set<std::size_t> ends = cleanEnds();
    for (std::size_t n = 0; n <= valid.size(); ++n) {
        const std::vector<std::uint8_t> prefix(valid.begin(), valid.begin() + static_cast<long>(n));
        const StrategyReadResult result = load(prefix);
        if (ends.contains(n)) {
            EXPECT_TRUE(result.status.ok()) << "prefix " << n << ": " << result.status.context;
        } else if (n < kOptionsEnd) {
            EXPECT_TRUE(result.status.code == kMsgInvalidFileFormat ||
                        result.status.code == kMsgFileLoadError)
                << "prefix " << n << ": " << result.status.code;
            EXPECT_FALSE(result.contentsReplaced) << "prefix " << n;
        } else {
            EXPECT_EQ(result.status.code, kMsgFileLoadError)
                << "prefix " << n << ": " << result.status.context;
            EXPECT_TRUE(result.contentsReplaced);
        }
    }
}

TEST_F(DamagedFileTest, FlippedBytesLoadOrSayWhy) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> position(0, valid.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    int loaded = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<std::uint8_t> bytes = valid;
        const int flips = 1 + trial % 4;
        bool keyTouched = false;
        for (int f = 0; f < flips; ++f) {
            const std::size_t at = position(random);
            bytes[at] = static_cast<std::uint8_t>(value(random));
            keyTouched = keyTouched || (at >= 32 && at < 36);
        }
        const StrategyReadResult result = load(bytes);
        const Code code = result.status.code;
        const bool expected = code == kOk || code == kMsgInvalidFileFormat ||
                              code == kMsgInvalidFileVersion || code == kMsgFileLoadError ||
                              (keyTouched && code == kMsgPasswordUnmatched);
        EXPECT_TRUE(expected) << "trial " << trial << ": code " << code << " " << result.status.context;
        if (code == kOk) ++loaded;
    }
    // Most flips land in payloads that still read.
    EXPECT_GT(loaded, 0);
}

TEST_F(DamagedFileTest, ARecordLengthPastTheEndStopsTheLoadKeepingWhatWasRead) {
    auto bytes = valid;
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t second = text.find("SWPL", text.find("SWPL") + 1);
    const std::size_t block = text.find("BPID", second);
    ASSERT_NE(block, std::string::npos);
    bytes[block + 4] = 0xFF;
    bytes[block + 5] = 0xFF;
    const StrategyReadResult result = load(bytes);
    EXPECT_EQ(result.status.code, kMsgFileLoadError);
    ASSERT_EQ(reader->document->taskCount(), 2u);
    EXPECT_EQ(reader->document->task(0).graph().nodes().size(), 1u);
    EXPECT_TRUE(reader->document->virtualTags().empty());
}

// Found by fuzzing the reader: a block box near the ends of the int range
// made the caption arithmetic overflow. A box or a wire point that far off
// the canvas is a load error now, and what was read draws and hit-tests
// without overflow (the sanitizers watch).
TEST_F(DamagedFileTest, GeometryFarOffTheCanvasIsALoadError) {
    constexpr int kHigh = std::numeric_limits<int>::max();
    constexpr int kLow = std::numeric_limits<int>::min();
    for (const bool damageTheBox : {true, false}) {
        auto writer = makeWorld();
        fillSample(*writer->document);
        StrategyTask& second = writer->document->task(1);
        if (damageTheBox) {
            auto* block = dynamic_cast<Block*>(second.graph().nodes().back());
            ASSERT_NE(block, nullptr);
            block->setBox({kHigh - 10, kHigh - 10, kHigh, kHigh});
        } else {
            const Point route[] = {{kLow, kLow}, {kHigh, kHigh}};
            second.graph().wires().front()->setPoints(route);
        }
        reader = makeWorld();
        const StrategyReadResult result = load(bytesOf(*writer->document));
        EXPECT_EQ(result.status.code, kMsgFileLoadError);
        EXPECT_NE(result.status.context.find("out of range"), std::string::npos) << result.status.context;
        RecordingCanvas dc;
        for (std::size_t t = 0; t < reader->document->taskCount(); ++t) {
            StrategyTask& task = reader->document->task(t);
            DrawTaskObjects(
                task, dc,
                {-kMaxStoredCoordinate, -kMaxStoredCoordinate, kMaxStoredCoordinate, kMaxStoredCoordinate});
            HitTestTask(task, {kHigh - 5, kHigh - 5});
            HitTestTask(task, {kLow, kLow});
        }
    }
}

}  // namespace
}  // namespace kestrune::testing
