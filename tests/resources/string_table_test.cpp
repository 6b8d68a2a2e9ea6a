#include "resources/string_table.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(StringTable, KnownAndMissingIds) {
    EXPECT_EQ(strings::text(34200), "Kestrune Message");
    EXPECT_FALSE(strings::lookup(1).has_value());
    EXPECT_EQ(strings::text(1), "ER:1");
}

}  // namespace
}  // namespace kestrune
