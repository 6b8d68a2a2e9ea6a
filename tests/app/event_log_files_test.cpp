#include "app/event_log_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

std::string numberedLines(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

TEST(EventLineParsing, LinesEndAtLineFeedAndCarriageReturnsAreDropped) {
    EXPECT_EQ(parseEventLines("one\r\ntwo\nthr\ree\r\n"), (std::vector<std::string>{"one", "two", "three"}));
}

TEST(EventLineParsing, ALastLineWithoutLineFeedCountsButNoEmptyTail) {
    EXPECT_EQ(parseEventLines("a\r\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(parseEventLines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(parseEventLines("").empty());
}

TEST(EventLineParsing, EmptyLinesInsideTheFileStay) {
    EXPECT_EQ(parseEventLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(EventLineParsing, OverlongLinesKeepTheirFirst120CharactersAndTheRestIsSkipped) {
    const std::string longLine(300, 'x');
    const auto lines = parseEventLines(longLine + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(120, 'x'));
    EXPECT_EQ(lines[1], "next");
}

TEST(EventLineParsing, CarriageReturnsDoNotCountTowardsTheLimit) {
    std::string line;
    for (int i = 0; i < 120; ++i) line += "y\r";
    const auto lines = parseEventLines(line + "\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(120, 'y'));
}

TEST(EventLineParsing, ACutNeverEndsInsideAMultiByteCharacter) {
    // 119 ASCII bytes and then a two-byte character straddling the limit.
    const std::string line = std::string(119, 'a') + "\xC3\xA9" + "zz\n";
    const auto lines = parseEventLines(line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(119, 'a'));
}

TEST(EventLineParsing, PiecesSplitAnywhereGiveTheSameLines) {
    const std::string text = "first\r\n" + std::string(200, 'q') + "\r\nlast";
    EventLineParser parser;
    for (char c : text) parser.feed(std::string_view(&c, 1));
    EXPECT_EQ(parser.finish(), parseEventLines(text));
}

class EventLogRollOver : public ::testing::Test {
  protected:
    std::string working() const { return (dir_ / "Kestrune.ELF").string(); }
    std::string history() const { return (dir_ / "Kestrune.ELH").string(); }
    TempDir dir_;
};

TEST_F(EventLogRollOver, OneHundredFiftyLinesMoveTheOldestHundredToTheHistory) {
    TempDir::write(working(), numberedLines(1, 150));
    std::vector<std::string> lines;
    ASSERT_TRUE(readEventLines(working(), lines).ok());
    std::size_t moved = 0;
    ASSERT_TRUE(rollOverEventLines(working(), history(), lines, moved).ok());
    EXPECT_EQ(moved, 100u);
    EXPECT_EQ(TempDir::read(history()), numberedLines(1, 100));
    EXPECT_EQ(TempDir::read(working()), numberedLines(101, 150));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);
}

TEST_F(EventLogRollOver, TheHistoryIsAppendedToNotReplaced) {
    TempDir::write(history(), "old history\r\n");
    TempDir::write(working(), numberedLines(1, 101));
    std::vector<std::string> lines;
    ASSERT_TRUE(readEventLines(working(), lines).ok());
    std::size_t moved = 0;
    ASSERT_TRUE(rollOverEventLines(working(), history(), lines, moved).ok());
    EXPECT_EQ(TempDir::read(history()), "old history\r\n" + numberedLines(1, 100));
    EXPECT_EQ(TempDir::read(working()), numberedLines(101, 101));
}

TEST_F(EventLogRollOver, AHundredLinesOrFewerStayWhereTheyAre) {
    TempDir::write(working(), numberedLines(1, 100));
    std::vector<std::string> lines;
    ASSERT_TRUE(readEventLines(working(), lines).ok());
    std::size_t moved = 1;
    ASSERT_TRUE(rollOverEventLines(working(), history(), lines, moved).ok());
    EXPECT_EQ(moved, 0u);
    EXPECT_FALSE(std::filesystem::exists(history()));
    EXPECT_EQ(TempDir::read(working()), numberedLines(1, 100));
}

TEST_F(EventLogRollOver, RewrittenLinesFollowTheReadingRule) {
    // A file written elsewhere: bare line feeds and an overlong line come
    // back as "\r\n" lines of at most 120 characters.
    std::string text;
    for (int i = 1; i <= 100; ++i) text += "old\n";
    text += std::string(150, 'L') + "\nshort";
    TempDir::write(working(), text);
    std::vector<std::string> lines;
    ASSERT_TRUE(readEventLines(working(), lines).ok());
    ASSERT_EQ(lines.size(), 102u);
    std::size_t moved = 0;
    ASSERT_TRUE(rollOverEventLines(working(), history(), lines, moved).ok());
    EXPECT_EQ(TempDir::read(working()), std::string(120, 'L') + "\r\nshort\r\n");
}

TEST_F(EventLogRollOver, AnUnwritableHistoryLeavesTheWorkingFileWhole) {
    TempDir::write(working(), numberedLines(1, 150));
    std::filesystem::create_directory(history());  // a directory cannot be appended to
    std::vector<std::string> lines;
    ASSERT_TRUE(readEventLines(working(), lines).ok());
    std::size_t moved = 0;
    const Status s = rollOverEventLines(working(), history(), lines, moved);
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, history());
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(TempDir::read(working()), numberedLines(1, 150));
}

TEST_F(EventLogRollOver, AMissingWorkingFileHasNoLines) {
    std::vector<std::string> lines{"stale"};
    EXPECT_TRUE(readEventLines(working(), lines).ok());
    EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace kestrune
