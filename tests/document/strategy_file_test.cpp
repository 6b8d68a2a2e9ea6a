#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "document/document_fixture.h"
#include "document/protection.h"
#include "document/virtual_tag.h"
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

// A display and a main script section between the tasks and the virtual tags.
std::vector<std::uint8_t> withForeignSections(const std::vector<std::uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t vtag = text.find("VTAG");
    BinaryWriter extra;
    extra.tag(fourcc("PWPL"));
    extra.u16(4);
    extra.u32(0xDEADBEEF);
    extra.tag(fourcc("DBTN"));  // an item record
    extra.u16(3);
    extra.bytes("abc", 3);
    extra.tag(fourcc("PBMP"));
    extra.u32(16);
    extra.zeros(16);
    extra.tag(fourcc("PEND"));
    extra.tag(fourcc("FVKS"));
    extra.u16(36);
    extra.zeros(72);
    extra.u16(1);
    extra.u16(113);
    extra.u16(5);
    extra.tag(fourcc("BSRP"));
    extra.u16(2 + 48 + 2 + 2 + 4);
    extra.zeros(2 + 48);  // the window placement
    extra.u16(2);
    extra.bytes("x", 2);
    extra.tag(fourcc("ESRP"));
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + static_cast<long>(vtag));
    out.insert(out.end(), extra.data().begin(), extra.data().end());
    out.insert(out.end(), bytes.begin() + static_cast<long>(vtag), bytes.end());
    return out;
}

TEST_F(StrategyFileTest, DisplayAndScriptSectionsAreReportedAndEverythingElseLoads) {
    auto writer = makeWorld();
    fillSample(*writer->document);
    const auto bytes = withForeignSections(bytesOf(*writer->document));
    EXPECT_EQ(topLevelTags(bytes), (std::vector<std::string>{"SWPL", "ETSK", "SWPL", "ETSK", "PWPL", "BSRP",
                                                             "VTAG", "VTAG", "NTSK", "NETK", "ZEOF"}));
    auto reader = makeWorld();
    const StrategyReadResult result = load(*reader, bytes);
    EXPECT_EQ(result.status.code, kMsgFileLoadError);
    EXPECT_NE(result.status.context.find("display section"), std::string::npos) << result.status.context;
    EXPECT_EQ(reader->document->taskCount(), 2u);
    EXPECT_EQ(reader->document->virtualTags().size(), 2u);
    EXPECT_EQ(reader->document->networkSettings().stationName, "LINE1");
}

TEST_F(StrategyFileTest, ARecordOfAnUnregisteredKindIsSkippedAndTheRestLoads) {
    auto writer = makeWorld();
    fillSample(*writer->document);
    auto bytes = bytesOf(*writer->document);
    // Turn the first task's gain block into a kind nobody registered here.
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t at = text.find("BPID");
    ASSERT_NE(at, std::string::npos);
    std::copy_n("BAIN", 4, bytes.begin() + static_cast<long>(at));
    auto reader = makeWorld();
    const StrategyReadResult result = load(*reader, bytes);
    EXPECT_EQ(result.status.code, kMsgFileLoadError);
    EXPECT_EQ(reader->document->task(0).graph().nodes().size(), 0u);
    EXPECT_EQ(reader->document->task(1).graph().nodes().size(), 2u);
    EXPECT_EQ(reader->document->virtualTags().size(), 2u);
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
