#include "platform/paths.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(StrategyDirectory, UpToAndIncludingTheLastSeparatorOfAnyKind) {
    EXPECT_EQ(strategyDirectory("D:\\plant\\line1.ksv"), "D:\\plant\\");
    EXPECT_EQ(strategyDirectory("/home/op/plant/line1.ksv"), "/home/op/plant/");
    EXPECT_EQ(strategyDirectory("D:line1.ksv"), "D:");
    EXPECT_EQ(strategyDirectory("/mixed\\dirs/x.ksv"), "/mixed\\dirs/");
    EXPECT_EQ(strategyDirectory("line1.ksv"), "");
    EXPECT_EQ(strategyDirectory(""), "");
    EXPECT_EQ(strategyDirectory("/plant/"), "/plant/");
}

TEST(HoldFilePath, DirectoryBaseNameAndHld) {
    EXPECT_EQ(holdFilePath("D:\\plant\\line1.ksv"), "D:\\plant\\line1.HLD");
    EXPECT_EQ(holdFilePath("/srv/plant/line1.ksv"), "/srv/plant/line1.HLD");
    EXPECT_EQ(holdFilePath("line1.ksv"), "line1.HLD");
}

TEST(HoldFilePath, DotsInTheDirectoryDoNotCount) {
    EXPECT_EQ(holdFilePath("C:\\a.b\\x.ksv"), "C:\\a.b\\x.HLD");
    EXPECT_EQ(holdFilePath("/opt/v1.2/x.ksv"), "/opt/v1.2/x.HLD");
}

TEST(HoldFilePath, TheNameEndsAtItsFirstDot) {
    EXPECT_EQ(holdFilePath("/p/line1.backup.ksv"), "/p/line1.HLD");
    EXPECT_EQ(holdFilePath("/p/.ksv"), "/p/.HLD");
}

TEST(HoldFilePath, ANameWithoutExtensionKeepsItsWholeName) {
    EXPECT_EQ(holdFilePath("/p/line1"), "/p/line1.HLD");
    EXPECT_EQ(holdFilePath("C:line1"), "C:line1.HLD");
}

TEST(HoldFilePath, NoFileNameGivesNoHoldFile) {
    EXPECT_EQ(holdFilePath(""), "");
    EXPECT_EQ(holdFilePath("/p/"), "");
    EXPECT_EQ(holdFilePath("C:\\p\\"), "");
}

TEST(ResolveDataFile, RelativeNamesGoIntoTheStrategyDirectory) {
    EXPECT_EQ(resolveDataFile("/plant/", "DATA000.LOG"), "/plant/DATA000.LOG");
    EXPECT_EQ(resolveDataFile("D:\\plant\\", "sub/x.txt"), "D:\\plant\\sub/x.txt");
    EXPECT_EQ(resolveDataFile("/plant", "x.txt"), "/plant/x.txt");
}

TEST(ResolveDataFile, AbsoluteAndDriveNamesStandAsTheyAre) {
    EXPECT_EQ(resolveDataFile("/plant/", "/var/log/x.log"), "/var/log/x.log");
    EXPECT_EQ(resolveDataFile("/plant/", "E:\\logs\\x.log"), "E:\\logs\\x.log");
    EXPECT_EQ(resolveDataFile("/plant/", "E:x.log"), "E:x.log");
}

TEST(ResolveDataFile, NoStrategyMeansTheWorkingDirectory) {
    EXPECT_EQ(resolveDataFile(strategyDirectory(""), "RUNERR.LOG"), "RUNERR.LOG");
    EXPECT_EQ(resolveDataFile("/plant/", ""), "");
}

}  // namespace
}  // namespace kestrune
