#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

class ProfileFileTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::filesystem::path ini = dir / "Kestrune.INI";
    ProfileFile file{ini};

    void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
    void give(const std::string& content) { TempDir::write(ini, content); }
    std::string content() const { return TempDir::read(ini); }
    std::size_t filesInDir() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST(ParseProfileInt, SignDigitsAndTrailingJunk) {
    EXPECT_EQ(parseProfileInt("42"), 42);
    EXPECT_EQ(parseProfileInt("  -17"), -17);
    EXPECT_EQ(parseProfileInt("+8"), 8);
    EXPECT_EQ(parseProfileInt("12abc"), 12);
    EXPECT_EQ(parseProfileInt("1 2"), 1);
    EXPECT_EQ(parseProfileInt("abc"), 0);
    EXPECT_EQ(parseProfileInt(""), 0);
    EXPECT_EQ(parseProfileInt("-"), 0);
    EXPECT_EQ(parseProfileInt("- 5"), 0);
    EXPECT_EQ(parseProfileInt("0x10"), 0);
}

TEST(ParseProfileInt, HugeValuesSaturate) {
    EXPECT_EQ(parseProfileInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(parseProfileInt("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(parseProfileInt("-2147483648"), INT_MIN);
    EXPECT_EQ(parseProfileInt("2147483647"), INT_MAX);
}

TEST_F(ProfileFileTest, AMissingFileGivesTheDefaults) {
    EXPECT_EQ(file.getInt("System", "NetworkPort", 700), 700);
    EXPECT_EQ(file.getString("System", "CurrentKSV", "none"), "none");
}

TEST_F(ProfileFileTest, MissingKeyGivesTheDefaultButAnEmptyValueIsZero) {
    give("[System]\nHistDaysAgo=\nJunk=abc\n");
    EXPECT_EQ(file.getInt("System", "HistDaysAgo", 30), 0);
    EXPECT_EQ(file.getInt("System", "Junk", 30), 0);
    EXPECT_EQ(file.getInt("System", "Absent", 30), 30);
    EXPECT_EQ(file.getInt("Other", "HistDaysAgo", 30), 30);
}

TEST_F(ProfileFileTest, NamesCompareWithoutCaseAndBlanksAreTrimmed) {
    give("[ system ]\n  histdaysago = 12 \n");
    EXPECT_EQ(file.getInt("System", "HistDaysAgo", 30), 12);
    EXPECT_EQ(file.getString("SYSTEM", "HISTDAYSAGO"), "12");
}

TEST_F(ProfileFileTest, OnlyTheRightSectionAndTheFirstOccurrenceCount) {
    give(
        "; comment\nTop=1\n[Other]\nNetworkPort=1\n[System]\n;NetworkPort=2\nNetworkPort=3\nNetworkPort=4\n"
        "[System]\nNetworkPort=5\n");
    EXPECT_EQ(file.getInt("System", "NetworkPort", 700), 3);
    EXPECT_EQ(file.getInt("Other", "NetworkPort", 700), 1);
    EXPECT_EQ(file.getInt("System", "Top", 0), 0);  // a key before any section belongs to none
}

TEST_F(ProfileFileTest, ReadsCrLfFilesAndQuotedValues) {
    give("[System]\r\nCurrentKSV=\"/plant/line 1.ksv\"\r\nTaskScheduleRes=10\r\n");
    EXPECT_EQ(file.getString("System", "CurrentKSV"), "/plant/line 1.ksv");
    EXPECT_EQ(file.getInt("System", "TaskScheduleRes", 0), 10);
}

TEST_F(ProfileFileTest, WritingCreatesTheFileAndItsDirectory) {
    ProfileFile nested(dir / "a" / "b" / "Kestrune.INI");
    ASSERT_TRUE(nested.writeString("System", "ChangeKSV", "1").ok());
    EXPECT_EQ(TempDir::read(nested.path()), "[System]\nChangeKSV=1\n");
}

TEST_F(ProfileFileTest, WritingKeepsEveryOtherLine) {
    give("; settings\n[Other]\nx=1\n\n[system]\nHistDaysAgo=5\nnetworkport=700\n\n[Last]\ny=2\n");
    ASSERT_TRUE(file.writeString("System", "NetworkPort", "701").ok());
    ASSERT_TRUE(file.writeString("System", "CurrentKSV", "/p/s.ksv").ok());
    EXPECT_EQ(content(),
              "; settings\n[Other]\nx=1\n\n[system]\nHistDaysAgo=5\nNetworkPort=701\nCurrentKSV=/p/s.ksv\n\n"
              "[Last]\ny=2\n");
}

TEST_F(ProfileFileTest, AMissingSectionIsAppended) {
    give("[Other]\nx=1");
    ASSERT_TRUE(file.writeStrings("System", {{"CurrentKSV", "/a.ksv"}, {"ChangeKSV", "0"}}).ok());
    EXPECT_EQ(content(), "[Other]\nx=1\n\n[System]\nCurrentKSV=/a.ksv\nChangeKSV=0\n");
}

TEST_F(ProfileFileTest, CrLfFilesStayCrLf) {
    give("[System]\r\nA=1\r\n");
    ASSERT_TRUE(file.writeString("System", "B", "2").ok());
    EXPECT_EQ(content(), "[System]\r\nA=1\r\nB=2\r\n");
}

TEST_F(ProfileFileTest, ValuesThatWouldBreakTheFileAreRefusedAndNothingIsWritten) {
    give("[System]\nA=1\n");
    EXPECT_EQ(file.writeString("System", "CurrentKSV", "/x.ksv\n[Evil]").code, 32854);
    EXPECT_EQ(file.writeString("System", "K=V", "1").code, 32854);
    EXPECT_EQ(file.writeString("System", "", "1").code, 32854);
    EXPECT_EQ(file.writeString("Sys]tem", "A", "1").code, 32854);
    EXPECT_EQ(file.writeString("System", "[A", "1").code, 32854);
    EXPECT_EQ(file.writeStrings("System", {{"Good", "1"}, {"Bad", std::string_view("a\0b", 3)}}).code, 32854);
    EXPECT_EQ(content(), "[System]\nA=1\n");
}

TEST_F(ProfileFileTest, AReplacedFileLeavesNoTemporaryBehind) {
    give("[System]\nA=1\n");
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(file.writeString("System", "A", std::to_string(i)).ok());
    EXPECT_EQ(filesInDir(), 1u);
    EXPECT_EQ(file.getInt("System", "A", -1), 4);
}

TEST_F(ProfileFileTest, SomethingThatIsNotAFileIsNeitherReadNorReplaced) {
    std::filesystem::create_directory(ini);
    EXPECT_EQ(file.getInt("System", "A", 7), 7);
    const Status s = file.writeString("System", "A", "1");
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, ini.string());
    EXPECT_TRUE(std::filesystem::is_directory(ini));
}

TEST_F(ProfileFileTest, AnUnwritableDirectoryFailsWithTheFileName) {
    TempDir::write(dir / "plain", "x");
    ProfileFile inside(dir / "plain" / "Kestrune.INI");  // its "directory" is a file
    EXPECT_EQ(inside.writeString("System", "A", "1").code, 32860);
}

TEST(ProfileFileLocation, SettingsFileIsInTheSystemDirectory) {
    TempDir dir;
    const char* old = std::getenv("KESTRUNE_HOME");
    const std::string saved = old ? old : "";
    ::setenv("KESTRUNE_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(ProfileFile::settingsFile().path(), dir.path() / "Kestrune.INI");
    if (old) {
        ::setenv("KESTRUNE_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("KESTRUNE_HOME");
    }
}

}  // namespace
}  // namespace kestrune
