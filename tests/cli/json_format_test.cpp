// The dump's text layout: what it prints must read back as the same JSON.

#include "cli/ksv/json_format.h"

#include <gtest/gtest.h>

namespace kestrune::ksv {
namespace {

TEST(JsonFormatTest, ListsOfPlainValuesStayOnOneLine) {
    const Json j = Json::parse(R"({"box": [1, 2, 3, 4], "points": [[1, 2], [3, 4]], "ports": [{"type": 2}],
                                   "empty": {}, "none": []})");
    const std::string text = formatJson(j);
    EXPECT_NE(text.find("\"box\": [1,2,3,4]"), std::string::npos) << text;
    EXPECT_NE(text.find("\"points\": [[1,2],[3,4]]"), std::string::npos) << text;
    EXPECT_NE(text.find("\"ports\": [\n    {\n      \"type\": 2\n    }\n  ]"), std::string::npos) << text;
    EXPECT_EQ(Json::parse(text), j);
}

TEST(JsonFormatTest, TextsThatAreNotUtf8AreFoundAndStillPrinted) {
    Json j;
    j["tasks"] = Json::array({Json{{"caption", std::string("Caf\xE9")}}, Json{{"caption", "Caf\u00e9"}}});
    j["cut"] = std::string("\xC3");
    j["overlong"] = std::string("\xC0\x80");
    j["surrogate"] = std::string("\xED\xA0\x80");
    j["fine"] = "\xF0\x9F\x98\x80 ok";
    EXPECT_EQ(textsNotUtf8(j),
              (std::vector<std::string>{"tasks[0].caption", "cut", "overlong", "surrogate"}));
    const std::string text = formatJson(j);
    EXPECT_NE(text.find("Caf\xEF\xBF\xBD"), std::string::npos);
    EXPECT_TRUE(Json::accept(text));
}

}  // namespace
}  // namespace kestrune::ksv
