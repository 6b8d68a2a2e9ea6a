#pragma once
// What the tests of the I/O kinds share: a task "TASK1" with its tag database
// and scripted user interface, the simulated board (device list in a fresh
// directory, on a manual clock) and OPC server, a fake DDE service, the main
// queue the blocks post to, the run-error texts they report, source blocks a
// test sets by hand, and hand-made records of older layouts.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "blocks/block_services.h"
#include "blocks/dde_service.h"
#include "blocks/display_binding.h"
#include "blocks/io/register_io_blocks.h"
#include "components/driver/device_list_driver.h"
#include "components/driver/sim_board.h"
#include "components/driver/standard_device_types.h"
#include "components/opc/sim_opc_client.h"
#include "components/tagdb/tag_database.h"
#include "platform/main_queue.h"
#include "platform/scripted_user_interface.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/object_record.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"
#include "support/source_block.h"
#include "support/stub_node.h"
#include "support/stub_node_host.h"

namespace kestrune::io_test {

inline constexpr int kFileVersion = 4;

using TaskView = test_support::StubNodeHost;

// A client link whose state and text the test sets.
class FakeLink : public DdeClientLink {
  public:
    bool isOpen() const override { return open; }
    std::string text() const override { return value; }
    bool open = true;
    std::string value;
};

class FakeDdeService : public DdeService {
  public:
    struct Offer {
        std::string topic;
        std::string item;
        std::uint16_t type = 0;
    };
    struct Update {
        DdeItemHandle item = 0;
        std::uint16_t type = 0;
        std::string text;
    };

    std::string topic() const override { return strategy; }
    DdeItemHandle offerItem(std::string_view t, std::string_view item, std::uint16_t type) override {
        offers.push_back({std::string(t), std::string(item), type});
        return refuseOffers ? 0 : ++nextHandle;
    }
    bool withdrawItem(std::string_view t, std::string_view item) override {
        withdrawals.push_back({std::string(t), std::string(item), 0});
        return true;
    }
    bool updateItem(DdeItemHandle item, std::uint16_t type, std::string_view text) override {
        updates.push_back({item, type, std::string(text)});
        return true;
    }
    DdeClientLink* subscribe(std::string_view service, std::string_view t, std::string_view item,
                             std::uint16_t type) override {
        subscriptions.push_back(std::string(service) + "|" + std::string(t) + "!" + std::string(item));
        subscribedTypes.push_back(type);
        auto it = links.find(subscriptions.back());
        return it != links.end() ? &it->second : nullptr;
    }

    std::string strategy = "PLANT";
    bool refuseOffers = false;
    DdeItemHandle nextHandle = 0;
    std::vector<Offer> offers;
    std::vector<Offer> withdrawals;
    std::vector<Update> updates;
    std::vector<std::string> subscriptions;
    std::vector<std::uint16_t> subscribedTypes;
    std::map<std::string, FakeLink> links;  // by "service|topic!item"
};

class RunErrorTexts : public RunErrorSink {
  public:
    void reportRunErrorText(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

// The shared source block that stands for a display item when given one (as
// a tag block in display mode does).
class SourceBlock : public test_support::SourceBlock, public DisplayItemBinding {
  public:
    using test_support::SourceBlock::SourceBlock;
    Node* boundDisplayItem() const override { return item; }
    Node* item = nullptr;
};

// A display item as far as the output blocks see one: a node of kind 401..498.
class FakeDisplayItem : public test_support::StubNode {
  public:
    static constexpr std::int16_t kKind = 410;
    explicit FakeDisplayItem(const NodeContext& context) : StubNode(context, kKind, fourcc("PMTR")) {}
};

// A fresh directory per test, so the device list is always the default one
// unless the test adds devices.
inline std::filesystem::path freshDirectory() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = std::filesystem::path(::testing::TempDir()) / "kestrune_io_blocks" /
               (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

class IoBlockTest : public ::testing::Test {
  protected:
    IoBlockTest()
        : dir(freshDirectory()),
          clock(std::make_shared<ManualSimClock>()),
          driver(dir / "devices.ini", standardDeviceTypes(clock)),
          opc(clock) {
        EXPECT_TRUE(driver.loadStatus().ok()) << driver.loadStatus().context;
        driver.setUserInterface(&ui);
        services = {&driver, &opc, &dde, &mainQueue, &runErrors};
        EXPECT_TRUE(registerIoBlockKinds(factory, services).ok());
        graph.setNextOrderNumber(1);
    }
    void TearDown() override {
        EXPECT_TRUE(ui.errors().empty());
        EXPECT_EQ(ui.unusedAnswers(), 0u);
    }

    // A block of `kind` from the factory, appended to the task.
    template <class K>
    K& add(std::int16_t kind) {
        BlockCreation made = factory.CreateForKind(kind, context);
        EXPECT_TRUE(made.status.ok());
        auto* block = dynamic_cast<K*>(made.block.get());
        EXPECT_NE(block, nullptr);
        EXPECT_EQ(graph.Append(std::move(made.block)), kOk);
        return *block;
    }
    SourceBlock& addSource(DataType type = kTypeFloat) {
        auto block = std::make_unique<SourceBlock>(context, type);
        SourceBlock& ref = *block;
        EXPECT_EQ(graph.Append(std::move(block)), kOk);
        return ref;
    }
    // A wire from the source's output 0 to input 0 of `target`.
    void wire(Node& source, Node& target) { ASSERT_TRUE(graph.Connect(source, 0, target, 0).accepted()); }

    // Appends a section to the device list and reads it again.
    void addDevices(const std::string& sections) {
        std::ofstream(dir / "devices.ini", std::ios::app) << "\n" << sections;
        ASSERT_EQ(driver.deviceRebuild(), kOk) << driver.loadStatus().context;
    }

    // The task's OPC group, as the scan task registers it before its blocks start.
    OpcTaskHandle opcTask() {
        OpcTaskHandle handle = 0;
        OpcServerProperties properties;
        properties.dataSource = 1;  // every task read fetches fresh values
        EXPECT_EQ(opc.addTaskToList(view.name, properties, handle), kOk);
        return handle;
    }
    static OpcItemRecord simItem(std::string_view id) {
        OpcItemRecord r;
        r.setText(2, kSimOpcServerName);
        r.setText(3, id);
        r.setText(5, id);
        return r;
    }

    // The test's own handle on device 0, to look at and change what the
    // blocks write (a board keeps one state for every handle).
    DeviceHandle probe() {
        if (probe_ == 0) {
            std::string description;
            EXPECT_EQ(driver.deviceOpen(0, 0, probe_, description), kOk);
        }
        return probe_;
    }
    float aoValue(std::uint16_t chan) {
        auto board = std::dynamic_pointer_cast<SimBoard>(driver.deviceFor(probe()));
        EXPECT_NE(board, nullptr);
        return board != nullptr ? board->aoValue(chan) : 0.0f;
    }
    void setAo(std::uint16_t chan, float value) {
        EXPECT_EQ(driver.aoVoltageOut(probe(), {chan, value}), kOk);
    }
    std::uint16_t portValue(std::uint16_t port) {
        std::uint16_t value = 0;
        EXPECT_EQ(driver.dioReadPortByte(probe(), {port, &value}), kOk);
        return value;
    }
    void setPortValue(std::uint16_t port, std::uint16_t value) {
        EXPECT_EQ(driver.dioWritePortByte(probe(), {port, 0xFF, value}), kOk);
    }

    std::vector<MainMessage> drainMessages() {
        std::vector<MainMessage> out;
        mainQueue.drain([&](const MainMessage& m) { out.push_back(m); });
        return out;
    }
    // Messages of the user-interface boxes shown so far (any kind), in order.
    std::vector<std::string> shownTexts() const {
        std::vector<std::string> out;
        for (const auto& s : ui.shown()) out.push_back(s.text);
        return out;
    }

    float tagFloat(std::string_view name, std::uint16_t element = 0) const {
        DB_PARAM p = DB_PARAM::Float(0.0f, element);
        EXPECT_EQ(tags.GetData(view.name, name, &p), kOk);
        return p.value.fVal;
    }
    std::int32_t tagInteger(std::string_view name, std::uint16_t element = 0) const {
        DB_PARAM p = DB_PARAM::Int(0, element);
        EXPECT_EQ(tags.GetData(view.name, name, &p), kOk);
        return p.value.lVal;
    }

    static std::vector<std::uint8_t> bytesOf(const GraphObject& object) {
        BinaryWriter out;
        EXPECT_TRUE(object.Save(out).ok());
        return out.take();
    }
    // Reads the tag, then lets the block load the rest.
    static Status load(Block& block, BinaryReader& in, int version = kFileVersion) {
        EXPECT_EQ(in.tag(), block.fileTag());
        return block.Load(in, version);
    }

    // The common part of a record as older files wrote it: by default with
    // empty port tables (the kind keeps its own); no consumers before version 4.
    static void writeCommonPart(BinaryWriter& out, int version, std::int16_t kind, std::string_view name,
                                const std::vector<InputPort>& inputs = {},
                                const std::vector<DataType>& outputs = {}) {
        out.u32(900);  // id
        out.i16(kind);
        out.u16(1);  // instance
        out.u32(static_cast<std::uint32_t>(inputs.size()));
        for (const InputPort& p : inputs) {
            out.u32(p.sourceId);
            out.u32(p.sourceOutput);
            out.u16(p.acceptedMask);
        }
        out.u32(static_cast<std::uint32_t>(outputs.size()));
        for (DataType t : outputs) out.u16(t);
        out.u32(1);  // order
        if (version >= 4) out.u32(0);
        for (int v : {10, 20, 42, 52}) out.i32(v);
        out.i32(static_cast<std::int32_t>(name.size()));
        out.bytes(name.data(), name.size());
        out.i32(static_cast<std::int32_t>(name.size()));
        out.bytes(name.data(), name.size());
    }

    // The services come first: the blocks use them until they are destroyed.
    std::filesystem::path dir;
    DeviceHandle probe_ = 0;
    ScriptedUserInterface ui;
    TaskView view{&graph};
    TagDatabase tags;
    std::shared_ptr<ManualSimClock> clock;
    DeviceListDriver driver;
    SimOpcClient opc;
    FakeDdeService dde;
    MainQueue mainQueue;
    RunErrorTexts runErrors;
    BlockServices services;
    BlockFactory factory;
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, &ui, true, &view, &tags};
};

}  // namespace kestrune::io_test
