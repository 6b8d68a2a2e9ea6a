// The DDE pieces of the I/O blocks with a fake service: the input blocks'
// server items (offered on load, by the dialog and at start, moved to a new
// topic, withdrawn when the block goes), message 1051 and the text the main
// window sends, and Copy DDE Link. The output blocks' client links are in
// the analog output tests.

#include <gtest/gtest.h>

#include "blocks/io/analog_input_block.h"
#include "blocks/io/digital_input_block.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

class IoDdeTest : public IoBlockTest {
  protected:
    IoDdeTest() : ai(add<AnalogInputBlock>(kAnalogInputKind)) {
        addDevices("[device 5]\ntype = board\nai.count = 1\nai.0 = constant value=2.5\n");
        IoSource s;
        s.deviceNumber = 5;
        ai.setSource(s);
    }

    // Message 1051 posts, each checked to name `block`.
    int ddePosts(const Node& block) {
        int n = 0;
        for (const MainMessage& m : drainMessages()) {
            if (m.id != kMsgDdeServerValueChanged) continue;
            EXPECT_EQ(m.wParam, 3u);
            EXPECT_EQ(paramAs<Node>(m.lParam), &block);
            ++n;
        }
        return n;
    }

    AnalogInputBlock& ai;
};

TEST_F(IoDdeTest, TheDialogSwitchOffersAndWithdrawsChannelZero) {
    ai.setDdeLink(true);
    ASSERT_EQ(dde.offers.size(), 1u);
    EXPECT_EQ(dde.offers[0].topic, "PLANT");
    EXPECT_EQ(dde.offers[0].item, "AI1");
    EXPECT_EQ(dde.offers[0].type, kDdeTypeFloat);
    EXPECT_TRUE(ai.ddeItem().offered());
    ai.setDdeLink(true);  // once only
    EXPECT_EQ(dde.offers.size(), 1u);

    ai.setDdeLink(false);
    ASSERT_EQ(dde.withdrawals.size(), 1u);
    EXPECT_EQ(dde.withdrawals[0].item, "AI1");
    EXPECT_FALSE(ai.ddeItem().offered());
}

TEST_F(IoDdeTest, AChangedValueIsPostedAndTheMainWindowSendsItsText) {
    ai.setDdeLink(true);
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_EQ(ddePosts(ai), 1);
    ai.UpdateDdeServer();
    ASSERT_EQ(dde.updates.size(), 1u);
    EXPECT_EQ(dde.updates[0].text, "2.500000");
    EXPECT_EQ(dde.updates[0].type, kDdeTypeFloat);
    EXPECT_EQ(dde.updates[0].item, 1u);

    // The same value again posts nothing.
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_EQ(ddePosts(ai), 0);
    ai.setScaling({1, 5.0f, 0.0f, 1.0f, 0.0f});  // 0.5 from now on
    ai.Stop();
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_EQ(ddePosts(ai), 1);
    EXPECT_EQ(ai.ddeItem().text(), "0.500000");
}

TEST_F(IoDdeTest, WithTheFlagOffNothingIsPosted) {
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_EQ(ddePosts(ai), 0);
    EXPECT_TRUE(dde.offers.empty());
}

TEST_F(IoDdeTest, ALoadedBlockWithTheFlagOffersItsItemAndWithdrawsItWhenItGoes) {
    ai.setDdeLink(true);
    const auto bytes = bytesOf(ai);
    ai.setDdeLink(false);
    dde.offers.clear();
    dde.withdrawals.clear();
    {
        auto made = factory.CreateForKind(kAnalogInputKind, context);
        BinaryReader in(bytes);
        ASSERT_TRUE(load(*made.block, in).ok());
        ASSERT_EQ(dde.offers.size(), 1u);
        EXPECT_EQ(dde.offers[0].item, "AI1");
    }
    ASSERT_EQ(dde.withdrawals.size(), 1u);
    EXPECT_EQ(dde.withdrawals[0].item, "AI1");
}

TEST_F(IoDdeTest, ClipboardCopiesNeverOfferItems) {
    ai.setDdeLink(true);
    dde.offers.clear();
    NodeContext scratch = context;
    scratch.live = false;
    AnalogInputBlock copy(scratch, services);
    ai.CopyTo(copy);
    EXPECT_TRUE(copy.ddeLink());
    const auto bytes = bytesOf(ai);
    BinaryReader in(bytes);
    ASSERT_TRUE(load(copy, in).ok());
    EXPECT_TRUE(dde.offers.empty());
    EXPECT_TRUE(copy.CopyDdeLink().empty());
}

TEST_F(IoDdeTest, ABlockWithoutAnOfferedItemOffersItAtStart) {
    dde.strategy.clear();  // not saved yet: nothing to offer under
    ai.setDdeLink(true);
    EXPECT_TRUE(dde.offers.empty());
    dde.strategy = "PLANT";
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_EQ(dde.offers.size(), 1u);
    EXPECT_TRUE(ai.ddeItem().offered());
}

TEST_F(IoDdeTest, SavingUnderAnotherNameMovesTheItem) {
    ai.setDdeLink(true);
    dde.strategy = "PLANT2";
    ai.DdeTopicChanged();
    ASSERT_EQ(dde.withdrawals.size(), 1u);
    EXPECT_EQ(dde.withdrawals[0].topic, "PLANT");
    ASSERT_EQ(dde.offers.size(), 2u);
    EXPECT_EQ(dde.offers[1].topic, "PLANT2");
    EXPECT_EQ(ai.ddeItem().offeredTopic(), "PLANT2");
}

TEST_F(IoDdeTest, CopyDdeLinkNamesThisProgramTheTopicAndTheBlock) {
    const std::string link = ai.CopyDdeLink();
    EXPECT_EQ(link, std::string("Kestrune\0PLANT\0AI1\0\0", 20));
    EXPECT_TRUE(ai.ddeLink());
    EXPECT_EQ(dde.offers.size(), 1u);
    ai.CopyDdeLink();
    EXPECT_EQ(dde.offers.size(), 1u);

    // Without a topic there is no link, and the flag stays as it was.
    AnalogInputBlock& other = add<AnalogInputBlock>(kAnalogInputKind);
    dde.strategy.clear();
    EXPECT_TRUE(other.CopyDdeLink().empty());
    EXPECT_FALSE(other.ddeLink());
}

TEST_F(IoDdeTest, ARefusedOfferLeavesTheItemUnoffered) {
    dde.refuseOffers = true;
    ai.setDdeLink(true);
    EXPECT_FALSE(ai.ddeItem().offered());
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    ai.UpdateDdeServer();
    EXPECT_TRUE(dde.updates.empty());
}

TEST_F(IoDdeTest, TheDigitalInputSendsThePortValueAsAnInteger) {
    auto& di = add<DigitalInputBlock>(kDigitalInputKind);
    IoSource s;
    s.deviceNumber = 0;
    di.setSource(s);
    di.setPort(1);
    di.setDdeLink(true);
    ASSERT_EQ(dde.offers.back().type, kDdeTypeInteger);
    ASSERT_EQ(di.Start(), kOk);
    ASSERT_EQ(di.Scan(), kOk);
    EXPECT_EQ(ddePosts(di), 1);
    di.UpdateDdeServer();
    ASSERT_EQ(dde.updates.size(), 1u);
    EXPECT_EQ(dde.updates[0].text, "165");
    EXPECT_EQ(dde.updates[0].type, kDdeTypeInteger);
}

TEST_F(IoDdeTest, WithoutAServiceTheBlocksDoWithoutDde) {
    services.dde = nullptr;
    ai.setDdeLink(true);
    EXPECT_FALSE(ai.ddeItem().offered());
    EXPECT_TRUE(ai.CopyDdeLink().empty());
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    ai.UpdateDdeServer();
}

}  // namespace
}  // namespace kestrune::io_test
