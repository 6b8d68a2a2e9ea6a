#include "document/held_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "components/tagdb/hold_file.h"
#include "components/tagdb/tag_database.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

constexpr std::time_t kWhen = 1'700'000'000;

class HeldValuesTest : public ::testing::Test {
  protected:
    HeldValuesTest() {
        EXPECT_EQ(tags.AddTag(kVirtualTaskName, "LEVEL", kTagFloat, 1), kOk);
        EXPECT_EQ(tags.AddTag(kVirtualTaskName, "NOTE", kTagString, 1), kOk);
        const DB_PARAM initial = DB_PARAM::Float(2.5f);
        EXPECT_EQ(tags.SetData(kVirtualTaskName, "LEVEL", &initial), kOk);
        HoldEntry level{"VIRTASK", "LEVEL", kTagFloat, 1, {0x42280000u}, {}};  // 42.0f
        HoldEntry note{"VIRTASK", "NOTE", kTagString, 1, {}, {"pump A"}};
        good = encodeHoldFile({level, note});
    }

    float level() {
        DB_PARAM value = DB_PARAM::Float(0);
        EXPECT_EQ(tags.GetData(kVirtualTaskName, "LEVEL", &value), kOk);
        return value.value.fVal;
    }
    std::vector<std::string> keptFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().rfind("plant.HLD.damaged-", 0) == 0)
                names.push_back(entry.path().string());
        return names;
    }

    TempDir dir;
    TagDatabase tags;
    std::vector<std::uint8_t> good;
    std::string hold = (dir / "plant.HLD").string();
};

TEST_F(HeldValuesTest, AGoodOrMissingFileIsNoFault) {
    EXPECT_TRUE(loadHeldValues(tags, hold, kWhen).ok());
    EXPECT_FLOAT_EQ(level(), 2.5f);
    TempDir::write(hold, std::string(good.begin(), good.end()));
    EXPECT_TRUE(loadHeldValues(tags, hold, kWhen).ok());
    EXPECT_FLOAT_EQ(level(), 42.0f);
    EXPECT_TRUE(keptFiles().empty());
}

TEST_F(HeldValuesTest, EveryCutAndFlippedFileIsToldAndKeptAsideWithoutReplacingAnEarlierOne) {
    std::vector<std::string> damaged;
    for (std::size_t n = 0; n < good.size(); ++n) damaged.emplace_back(good.begin(), good.begin() + n);
    for (const std::size_t at : {std::size_t{0}, std::size_t{5}, std::size_t{13}, std::size_t{20},
                                 good.size() / 2, good.size() - 1}) {
        std::string flipped(good.begin(), good.end());
        flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
        damaged.push_back(flipped);
    }
    std::set<std::string> kept;
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        TempDir::write(hold, bytes);
        const Status status = loadHeldValues(tags, hold, kWhen);
        EXPECT_TRUE(status.code == kHoldFileCorrupt || status.code == kHoldFileVersion) << status.code;
        EXPECT_EQ(status.context.rfind(hold + ": ", 0), 0u) << status.context;
        EXPECT_NE(status.context.find("kept as plant.HLD.damaged-"), std::string::npos) << status.context;
        EXPECT_FALSE(std::filesystem::exists(hold));
        EXPECT_FLOAT_EQ(level(), 2.5f);
        // Same second every time: each one still gets a name of its own.
        const std::vector<std::string> now = keptFiles();
        ASSERT_EQ(now.size(), kept.size() + 1);
        for (const std::string& name : now) {
            if (kept.insert(name).second) EXPECT_EQ(TempDir::read(name), bytes);
        }
    }
}

}  // namespace
}  // namespace kestrune
