#pragma once
// What the strategy tool's tests share: the tool's own environment (every
// kind registered), documents with a fixed protection key, the bytes of a
// document as the file holds them, and a scratch directory.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/ksv/ksv_environment.h"
#include "cli/ksv/strategy_json.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "platform/temp_dir.h"

namespace kestrune::ksv::testing {

inline constexpr std::uint32_t kFixedKey = 0x5A5A1230u;

class KsvTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(env.registration().ok()) << env.registration().context; }

    std::unique_ptr<StrategyDocument> newDocument() {
        return env.newDocument(nullptr, [] { return kFixedKey; });
    }

    static std::vector<std::uint8_t> bytesOf(const StrategyDocument& document) {
        BinaryWriter out;
        const Status s = writeStrategy(document, out, kFixedKey);
        EXPECT_TRUE(s.ok()) << s.context;
        return out.take();
    }

    // A document read from `bytes`; the read must succeed without a load error.
    std::unique_ptr<StrategyDocument> read(const std::vector<std::uint8_t>& bytes,
                                           std::optional<std::string> password = std::nullopt) {
        auto document = newDocument();
        StrategyReadOptions options;
        options.password = std::move(password);
        const StrategyReadResult result = readStrategy(*document, bytes, options);
        EXPECT_TRUE(result.status.ok()) << result.status.code << " " << result.status.context;
        return document;
    }

    // A new document built from `json`; the build must succeed.
    std::unique_ptr<StrategyDocument> build(const Json& json) {
        auto document = newDocument();
        const Status s = buildStrategy(json, *document);
        EXPECT_TRUE(s.ok()) << s.code << " " << s.context;
        return document;
    }

    // What building `json` answers.
    Status buildProblem(const Json& json) {
        auto document = newDocument();
        return buildStrategy(json, *document);
    }

    KsvEnvironment env;
    testing_support::TempDir dir;
};

}  // namespace kestrune::ksv::testing
