#include "app/durable_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/text_format.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

TEST(DurableFileTest, AppendsGoToTheEndOfWhatIsThere) {
    TempDir dir;
    const std::string path = (dir / "log").string();
    TempDir::write(path, "old\r\n");
    DurableAppendFile file;
    ASSERT_TRUE(file.open(path).ok());
    ASSERT_TRUE(file.append("one\r\n").ok());
    ASSERT_TRUE(file.append("two\r\n").ok());
    ASSERT_TRUE(file.sync().ok());
    EXPECT_EQ(TempDir::read(path), "old\r\none\r\ntwo\r\n");
}

TEST(DurableFileTest, AClosedFileRefusesWithItsPath) {
    DurableAppendFile file;
    EXPECT_EQ(file.append("x").code, 32860);
    TempDir dir;
    const std::string path = (dir / "missing" / "log").string();
    const Status s = file.open(path);
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, path);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.sync().code, 32860);
}

TEST(DurableFileTest, TouchingKeepsAnExistingFile) {
    TempDir dir;
    const std::string path = (dir / "f").string();
    TempDir::write(path, "keep");
    ASSERT_TRUE(touchFile(path).ok());
    EXPECT_EQ(TempDir::read(path), "keep");
}

TEST(TextFormatTest, ConversionsTakeTheArgumentsAsTheyStand) {
    EXPECT_EQ(formatText("User %s login at %s %s", {"a%sb", "t", "d"}), "User a%sb login at t d");
    EXPECT_EQ(formatText("Error Count:%lu", {"7"}), "Error Count:7");
    EXPECT_EQ(formatText("bound:%u bytes 100%%", {"5"}), "bound:5 bytes 100%");
    // Too few arguments leave blanks; an unknown conversion stays as written.
    EXPECT_EQ(formatText("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(formatText("50%x %", {}), "50%x %");
}

}  // namespace
}  // namespace kestrune
