#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "document/document_fixture.h"
#include "document/kept_parts.h"
#include "document/protection.h"
#include "document/task_drawing.h"
#include "platform/recording_canvas.h"
#include "document/virtual_tag.h"
#include "taskmodel/opaque_record.h"
#include "taskmodel/wire.h"

namespace kestrune::testing {
namespace {

// Where each four-character tag of interest starts, in file order.
std::vector<std::string> topLevelTags(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::string> found;
    const std::string text(bytes.begin(), bytes.end());
    for (const char* tag : {"SWPL", "ETSK", "PWPL", "BSRP", "VTAG", "NTSK", "NETK", "ZEOF"}) {
        for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
            found.push_back(std::to_string(at) + tag);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return std::stoul(a) < std::stoul(b); });
    for (std::string& f : found) f = f.substr(f.size() - 4);
    return found;
}

class StrategyFileTest : public DocumentTest {
  protected:
    StrategyReadResult load(DocumentWorld& world, const std::vector<std::uint8_t>& bytes,
                            std::optional<std::string> password = std::nullopt) {
        StrategyReadOptions options;
        options.ui = &world.ui;
        options.password = std::move(password);
        return readStrategy(*world.document, bytes, options);
    }
};

TEST_F(StrategyFileTest, SectionsAreWrittenInTheirOrder) {
    auto world = makeWorld();
    fillSample(*world->document);
    const auto bytes = bytesOf(*world->document);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QKSV");
    EXPECT_EQ(bytes[4] | (bytes[5] << 8), 425);
    EXPECT_EQ(bytes[6] | (bytes[7] << 8), 0);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "HEAD");
    EXPECT_EQ(topLevelTags(bytes), (std::vector<std::string>{"SWPL", "ETSK", "SWPL", "ETSK", "VTAG", "VTAG",
                                                             "NTSK", "NETK", "ZEOF"}));
    EXPECT_EQ(std::string(bytes.end() - 4, bytes.end()), "ZEOF");
}

TEST_F(StrategyFileTest, TwoTasksReadBackWithTheSecondInANewTask) {
    auto writer = makeWorld();
    fillSample(*writer->document);
    writer->document->options().errorLimit = 9;
    const auto bytes = bytesOf(*writer->document);

    auto reader = makeWorld();
    const StrategyReadResult result = load(*reader, bytes);
    ASSERT_TRUE(result.status.ok()) << result.status.context;
    EXPECT_TRUE(result.contentsReplaced);
    StrategyDocument& doc = *reader->document;
    ASSERT_EQ(doc.taskCount(), 2u);
    EXPECT_EQ(doc.task(0).name(), "TASK1");
    EXPECT_EQ(doc.task(1).name(), "TASK2");
    EXPECT_EQ(doc.task(1).placement().normal, (Rect{5, 6, 705, 506}));
    ASSERT_EQ(doc.task(1).graph().nodes().size(), 2u);
    ASSERT_EQ(doc.task(1).graph().wires().size(), 1u);
    const Wire* wire = doc.task(1).graph().wires().front();
    ASSERT_NE(wire->source(), nullptr);
    EXPECT_FLOAT_EQ(static_cast<TestGainBlock*>(wire->source())->gain, 3.0f);
    EXPECT_FLOAT_EQ(static_cast<TestGainBlock*>(wire->target())->gain, 4.0f);
    // The blocks publish under their own task's name.
    EXPECT_TRUE(reader->tags.IsTagExist("TASK2", doc.task(1).graph().nodes()[1]->name()));
    EXPECT_EQ(doc.options().errorLimit, 9);
    ASSERT_NE(doc.findVirtualTag("LEVEL"), nullptr);
    EXPECT_TRUE(reader->tags.IsTagHeld(kVirtualTaskName, "LEVEL"));
    EXPECT_EQ(doc.findVirtualTag("LABEL")->initialText(), "pump A");
    EXPECT_EQ(doc.networkTaskNames(), writer->document->networkTaskNames());
    EXPECT_EQ(doc.networkSettings(), writer->document->networkSettings());
    EXPECT_FALSE(doc.modified());
    // What was read writes back byte for byte.
    EXPECT_EQ(bytesOf(doc), bytes);
}

TEST_F(StrategyFileTest, AFileWithoutEndTagLoads) {
    auto writer = makeWorld();
    fillSample(*writer->document);
    auto bytes = bytesOf(*writer->document);
    bytes.resize(bytes.size() - 4);
    auto reader = makeWorld();
    const StrategyReadResult result = load(*reader, bytes);
    EXPECT_TRUE(result.status.ok()) << result.status.context;
    EXPECT_EQ(reader->document->networkSettings().stationName, "LINE1");
}

TEST_F(StrategyFileTest, NoPasswordMeansKeyBitTwoAndNoPrompt) {
    auto writer = makeWorld();
    const auto bytes = bytesOf(*writer->document);
    EXPECT_NE(bytes[8 + 24] & Protection::kNoPasswordBit, 0);
    auto reader = makeWorld();
    ASSERT_TRUE(load(*reader, bytes).status.ok());
    EXPECT_TRUE(reader->ui.shown().empty());
    EXPECT_FALSE(reader->document->protection().isProtected());
}

TEST_F(StrategyFileTest, AProtectedFileAsksAndAWrongAnswerLoadsNothing) {
    auto writer = makeWorld();
    fillSample(*writer->document);
    ASSERT_TRUE(writer->document->protection().protect("letmein"));
    const auto bytes = bytesOf(*writer->document);
    EXPECT_EQ(bytes[8 + 24] & Protection::kNoPasswordBit, 0);

    auto reader = makeWorld();
    addGain(reader->document->task(0), 7.0f);
    reader->ui.enterText("guess");
    const StrategyReadResult wrong = load(*reader, bytes);
    EXPECT_EQ(wrong.status.code, kMsgPasswordUnmatched);
    EXPECT_FALSE(wrong.contentsReplaced);
    ASSERT_EQ(reader->ui.shown().size(), 1u);
    EXPECT_EQ(reader->ui.shown()[0].caption, "Load File Password");
    EXPECT_TRUE(reader->ui.shown()[0].secret);
    // The strategy that was open is still there.
    EXPECT_EQ(reader->document->taskCount(), 1u);
    EXPECT_EQ(reader->document->task(0).graph().nodes().size(), 1u);

    reader->ui.enterText("letmein");
    const StrategyReadResult right = load(*reader, bytes);
    ASSERT_TRUE(right.status.ok()) << right.status.context;
    EXPECT_TRUE(reader->document->protection().isProtected());
    EXPECT_EQ(reader->document->protection().password(), "letmein");
    EXPECT_EQ(reader->document->taskCount(), 2u);
}

std::vector<std::uint8_t> withVersion(std::vector<std::uint8_t> bytes, std::uint16_t word,
                                      std::uint16_t build) {
    bytes[4] = static_cast<std::uint8_t>(word);
    bytes[5] = static_cast<std::uint8_t>(word >> 8);
    bytes[6] = static_cast<std::uint8_t>(build);
    bytes[7] = static_cast<std::uint8_t>(build >> 8);
    return bytes;
}

TEST_F(StrategyFileTest, SignatureAndVersionFailuresLoadNothing) {
    auto writer = makeWorld();
    const auto bytes = bytesOf(*writer->document);
    auto reader = makeWorld();

    auto wrongSignature = bytes;
    wrongSignature[0] = 'X';
    EXPECT_EQ(load(*reader, wrongSignature).status.code, kMsgInvalidFileFormat);
    EXPECT_EQ(load(*reader, withVersion(bytes, 250, 0)).status.code, kMsgInvalidFileFormat);
    const StrategyReadResult old = load(*reader, withVersion(bytes, 2, 0));
    EXPECT_EQ(old.status.code, kMsgInvalidFileVersion);
    EXPECT_FALSE(old.contentsReplaced);
    EXPECT_EQ(load(*reader, {}).status.code, kMsgInvalidFileFormat);
    EXPECT_TRUE(reader->ui.shown().empty());
}

TEST_F(StrategyFileTest, VersionThreeWarnsAndLoads) {
    // A 3.x file has no protection block; its options record follows the build word.
    auto writer = makeWorld();
    auto bytes = withVersion(bytesOf(*writer->document), 3, 20);
    bytes.erase(bytes.begin() + 8, bytes.begin() + 8 + Protection::kBlockSize);
    auto reader = makeWorld();
    const StrategyReadResult result = load(*reader, bytes);
    // The records are this version's, which a 3.x reading may not take
    // whole; what matters is the warning and that the load goes on.
    EXPECT_TRUE(result.contentsReplaced);
    EXPECT_TRUE(result.oldVersion);
    ASSERT_EQ(reader->ui.messages().size(), 1u);
    EXPECT_NE(reader->ui.messages()[0].find("version 3.xx"), std::string::npos);
    EXPECT_EQ(reader->document->version(), (FileVersion{3, 20, 0}));
}

TEST_F(StrategyFileTest, Version40002HasProtectionButNoRefreshPeriod) {
    auto writer = makeWorld();
    auto bytes = withVersion(bytesOf(*writer->document), 4, 2);
    // Drop the refresh period from the options record (at 36: tag, length, 8 bytes).
    bytes[40] = 18;
    bytes.erase(bytes.begin() + 36 + 6 + 8, bytes.begin() + 36 + 6 + 12);
    auto reader = makeWorld();
    reader->document->options().displayRefreshMs = 999;
    ASSERT_TRUE(load(*reader, bytes).status.ok());
    EXPECT_EQ(reader->document->options().refreshDivider(10), 5u);  // 50 / R with R = 10
    EXPECT_EQ(reader->document->version().combined(), 40002u);
}

// The sample with a third block in the second task, fed by the second
// block: it holds the largest id and order number of its task, and its
// record is then made one nothing reads. Display sections and the main
// script join (kept_parts.h).
class KeptPartsTest : public StrategyFileTest {
  protected:
    std::vector<std::uint8_t> keptBytes() {
        auto writer = makeWorld();
        fillSample(*writer->document);
        StrategyTask& second = writer->document->task(1);
        Node* feeding = second.graph().nodes().at(1);
        TestGainBlock& fed = addGain(second, 5.0f, {300, 100, 332, 132});
        EXPECT_TRUE(second.graph().Connect(*feeding, 0, fed, 0).accepted());
        return withKeptParts(bytesOf(*writer->document), "BPID");
    }

    static OpaqueRecord* keptRecord(StrategyDocument& document) {
        const std::vector<Node*> nodes = document.task(1).graph().nodes();
        return nodes.size() == 3 ? dynamic_cast<OpaqueRecord*>(nodes[2]) : nullptr;
    }

    // The record's bytes from its tag to its end.
    static std::vector<std::uint8_t> recordIn(const std::vector<std::uint8_t>& bytes) {
        const std::size_t at = findTag(bytes, "BQQQ");
        if (at + 6 > bytes.size()) return {};
        const std::size_t length = bytes[at + 4] | (bytes[at + 5] << 8);
        return {bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 6 + length)};
    }
};

TEST_F(KeptPartsTest, WhatNoClassReadsIsReportedKeptAndEverythingElseLoads) {
    const auto bytes = keptBytes();
    EXPECT_EQ(topLevelTags(bytes),
              (std::vector<std::string>{"SWPL", "ETSK", "PWPL", "SWPL", "ETSK", "PWPL", "BSRP", "VTAG",
                                        "VTAG", "NTSK", "NETK", "ZEOF"}));
    auto reader = makeWorld();
    const StrategyReadResult result = load(*reader, bytes);
    EXPECT_EQ(result.status.code, kMsgFileLoadError);
    EXPECT_NE(result.status.context.find("display section"), std::string::npos) << result.status.context;
    EXPECT_EQ(reader->document->taskCount(), 2u);
    EXPECT_EQ(reader->document->virtualTags().size(), 2u);
    EXPECT_EQ(reader->document->networkSettings().stationName, "LINE1");

    const auto& sections = reader->document->opaqueSections();
    ASSERT_EQ(sections.size(), 3u);
    const std::vector<std::uint8_t> first = displaySection(0xD15A0001);
    EXPECT_EQ(sections[0].bytes, std::vector<std::uint8_t>(first.begin() + 4, first.end()));
    EXPECT_EQ(sections[0].tasksBefore, 1u);
    EXPECT_EQ(sections[1].tasksBefore, 2u);
    EXPECT_EQ(toString(sections[2].tag), "BSRP");
    // The record is a node in its place, with its id, and its wire ends at it.
    OpaqueRecord* kept = keptRecord(*reader->document);
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->nodePartRead());
    EXPECT_EQ(kept->storedKind(), kPidKind);
    EXPECT_EQ(kept->order(), 3u);  // after the task object's and the two blocks'
    ASSERT_EQ(kept->incomingWires().items().size(), 1u);
    EXPECT_EQ(kept->incomingWires().items()[0]->source(), reader->document->task(1).graph().nodes()[1]);
    // The task draws with it: the two blocks' icons, nothing of its own.
    RecordingCanvas canvas;
    DrawTaskObjects(reader->document->task(1), canvas, {0, 0, 2000, 2000});
    EXPECT_EQ(canvas.calls(CanvasOp::Bitmap).size(), 2u);

    // Saved unchanged, the file comes back byte for byte.
    EXPECT_EQ(bytesOf(*reader->document), bytes);
}

TEST_F(KeptPartsTest, ANewBlockTakesNeitherTheKeptRecordsIdNorItsOrder) {
    const auto bytes = keptBytes();
    auto reader = makeWorld();
    ASSERT_EQ(load(*reader, bytes).status.code, kMsgFileLoadError);
    const OpaqueRecord* kept = keptRecord(*reader->document);
    ASSERT_NE(kept, nullptr);
    TestGainBlock& added = addGain(reader->document->task(1), 6.0f, {400, 100, 432, 132});
    EXPECT_GT(added.id(), kept->id());
    EXPECT_EQ(added.order(), kept->order() + 1);

    // The sections and the record stay in their places, the same bytes.
    const auto saved = bytesOf(*reader->document);
    EXPECT_EQ(topLevelTags(saved), topLevelTags(bytes));
    EXPECT_EQ(recordIn(saved), recordIn(bytes));
    for (const auto& section : reader->document->opaqueSections()) {
        const std::string text(saved.begin(), saved.end());
        EXPECT_NE(text.find(std::string(section.bytes.begin(), section.bytes.end())), std::string::npos);
    }
}

TEST_F(KeptPartsTest, DeletingTheBlockThatFeedsTheKeptRecordClosesUpAroundIt) {
    auto reader = makeWorld();
    ASSERT_EQ(load(*reader, keptBytes()).status.code, kMsgFileLoadError);
    StrategyTask& second = reader->document->task(1);
    const OpaqueRecord* before = keptRecord(*reader->document);
    ASSERT_NE(before, nullptr);
    const std::uint32_t order = before->order();
    ASSERT_TRUE(second.graph().DeleteNode(*second.graph().nodes().at(1)));
    ASSERT_EQ(second.graph().nodes().size(), 2u);
    auto* kept = dynamic_cast<OpaqueRecord*>(second.graph().nodes()[1]);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->order(), order - 1);
    EXPECT_TRUE(kept->incomingWires().items().empty());
    // Nothing draws or hits it, and it cannot run.
    EXPECT_EQ(HitTestTask(second, {310, 110}), nullptr);
    EXPECT_EQ(reader->document->validateAll(), kMsgGenericError);
    ASSERT_FALSE(reader->ui.messages().empty());
    EXPECT_NE(reader->ui.messages().back().find("cannot run in this version"), std::string::npos);

    // What changed in its node part is saved with it.
    auto again = makeWorld();
    ASSERT_EQ(load(*again, bytesOf(*reader->document)).status.code, kMsgFileLoadError);
    const auto* reloaded = dynamic_cast<OpaqueRecord*>(again->document->task(1).graph().nodes().at(1));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->order(), order - 1);
    EXPECT_FALSE(reloaded->inputs()[0].isConnected());
}

TEST_F(StrategyFileTest, TheTaskObjectRecordRenamesTheTask) {
    auto writer = makeWorld();
    ASSERT_TRUE(writer->document->task(0).rename("MIXER").ok());
    static_cast<TestTaskObject&>(writer->document->task(0).taskObject()).periodMs = 250;
    addGain(writer->document->task(0), 1.0f);
    const auto bytes = bytesOf(*writer->document);

    auto reader = makeWorld();
    ASSERT_TRUE(load(*reader, bytes).status.ok());
    StrategyTask& task = reader->document->task(0);
    EXPECT_EQ(task.name(), "MIXER");
    EXPECT_EQ(static_cast<TestTaskObject&>(task.taskObject()).periodMs, 250u);
    EXPECT_NE(reader->tags.GetTaskRecordPtr("MIXER"), nullptr);
    EXPECT_EQ(reader->tags.GetTaskRecordPtr("TASK1"), nullptr);
    EXPECT_TRUE(reader->tags.IsTagExist("MIXER", task.graph().nodes()[0]->name()));
}

TEST_F(StrategyFileTest, DuplicateVirtualTagsKeepTheFirst) {
    auto writer = makeWorld();
    writer->document->addVirtualTag("SPEED", VirtualTag::kInteger, false)->setInitialInteger(1);
    auto bytes = bytesOf(*writer->document);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t start = text.find("VTAG");
    const std::size_t end = text.find("NETK");
    std::vector<std::uint8_t> record(bytes.begin() + static_cast<long>(start),
                                     bytes.begin() + static_cast<long>(end));
    record[record.size() - 4] = 2;  // the copy's initial value
    bytes.insert(bytes.begin() + static_cast<long>(end), record.begin(), record.end());
    auto reader = makeWorld();
    EXPECT_EQ(load(*reader, bytes).status.code, kMsgFileLoadError);
    ASSERT_EQ(reader->document->virtualTags().size(), 1u);
    EXPECT_EQ(reader->document->virtualTags()[0]->initialInteger(), 1);
    EXPECT_TRUE(reader->tags.IsTagExist(kVirtualTaskName, "SPEED"));
}

}  // namespace
}  // namespace kestrune::testing
