#pragma once
// What the analog and digital I/O kinds share: the source (a device or an
// OPC item), the update-times divisor, the check before a run, the opening
// and closing of the device or item at run start and stop with the reports
// of a failed start, the bad-quality report of an OPC item, and the
// settings that every one of their dialogs has.
//
// Run start (OnStart): the divisor restarts; an OPC source adds its item with
// the block's Variant (a failure reports "message : task, description" with
// the OPC client's text and returns the code); a device source opens the
// device and reads its features (a driver failure closes the device, shows
// the driver's box with " : task, description" and returns the code), and a
// device without the kind's channels is reported like an OPC failure with
// the driver's text of the kind's code (306 to 309), which is returned. Then
// the kind's StartIo runs; when it fails the device is closed again.
//
// Scan: only while running (through the run gate, so that Stop waits for a
// scan in progress, also one made from another thread) and on every N-th
// scan, the kind's ScanIo. A failed scan hands on the code's low 12 bits.
//
// Threads: settings, start and stop belong to the user-interface thread, the
// scan to the task thread. The block's lock guards what the main thread reads
// of a running block's values (DDE texts, the output blocks' value).

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "blocks/block_services.h"
#include "blocks/io/device_check.h"
#include "blocks/io/io_source.h"
#include "blocks/io/update_divisor.h"
#include "components/driver/driver_params.h"
#include "components/opc/opc_client.h"
#include "platform/main_window_messages.h"
#include "resources/message_ids.h"
#include "taskmodel/block.h"

namespace kestrune {

class DeviceDriver;

// Returned by a start when the application has no driver or no OPC client.
Code noDriverCode();
Code noOpcClientCode();

// The run error an OPC item of bad quality reports (posted with the block);
// the report takes its text from the item's quality check.
inline constexpr Code kBadOpcQualityCode = 15;

// A setting refused as the settings table words it:
// "Invalid parameter(s) : caption, detail" with 32874.
Status invalidSetting(std::string_view caption, std::string_view detail);

// The dialogs' text for OK without a device or an item.
inline constexpr std::string_view kNoDeviceSelectedText = "No device/item selected.";

class IoBlock : public Block {
  public:
    // Title of the port list shown when a wire is drawn from a block with
    // several outputs.
    static constexpr std::string_view kChannelListCaption = "Channel List";

    IoBlock(const NodeContext& context, std::int16_t kind, const BlockServices& services);

    // ---- settings ----
    const IoSource& source() const { return source_; }
    void setSource(const IoSource& source) { source_ = source; }
    void setOpcSource(bool opc) { source_.kind = opc ? IoSourceKind::Opc : IoSourceKind::Device; }
    std::uint16_t updateTimes() const { return divisor_.times(); }
    void setUpdateTimes(std::int64_t times) { divisor_.setTimes(times); }

    // ---- what the run-error report asks of a block that reported ----
    std::int32_t deviceNumber() const { return source_.deviceNumber; }
    std::uint8_t deviceKind() const { return source_.deviceKind; }
    // The item added at run start; 0 while stopped or for a device source.
    OpcItemHandle opcItemHandle() const { return item_; }
    DeviceHandle deviceHandle() const { return device_; }

    // The block's record, then the kind's port tables put back when the file
    // held others (older versions had other output layouts; a damaged file
    // anything). Input connections are kept.
    Status Load(BinaryReader& in, int fileVersion) override;
    // "Device undefined in\n" with task and description, 32864, when the
    // source names no device or no OPC server and item.
    Code Validate() override;
    // Source and update times (the kinds add their own settings).
    void CopyTo(GraphObject& other) const override;
    // The port list "Channel List" for a block with several outputs.
    Code ConnectFrom(ConnectRequest& request) override;
    Code Scan() final;

    // ---- what the dialogs do with the device ----
    // The device check, when a dialog opens with a stored device (the driver
    // reads its device list again first) and after Se&lect chose one. When
    // the device is not in the list (code 2 in the low bits) or, as the
    // dialog opens, has no channels of the kind, the driver's text followed
    // by "\nReset block setting?" is asked; Yes forgets the device.
    DeviceCheck CheckDevice(bool opening);
    // Se&lect: the OPC client's item selection for an OPC source, otherwise
    // the driver's device selection, whose choice is checked and taken. True
    // when something was chosen.
    bool SelectSource();

    // The source settings as the dialogs have them ("Connect to OPC server"
    // with the kind's mnemonic, the device, the five texts of the item
    // record) and the check of OK.
    template <class K>
    static void addSourceProperties(PropertyTable<K>& table, std::string opcLabel);
    template <class K>
    static void addUpdateTimesProperty(PropertyTable<K>& table);

    // The captions of the outputs, for the port list.
    virtual std::vector<std::string> outputCaptions() const;

  protected:
    const BlockServices& services() const { return services_; }
    DeviceDriver* driver() const { return services_.driver; }
    OpcClient* opc() const { return services_.opc; }

    // ---- kind hooks ----
    // Whether the opened device has channels of the kind, and the code to
    // fail with when it has none.
    virtual bool deviceHasChannels(const DeviceFeatures& features) const = 0;
    virtual Code missingChannelsCode() const = 0;
    // The type the item is asked to deliver (the Variant's type when added).
    virtual VarType opcRequestType() const { return VarType::Empty; }
    // After the device opened or the item was added; `features` is empty for an item.
    virtual Code StartIo(const DeviceFeatures& features) = 0;
    // Before the device closes at stop.
    virtual void StopIo() {}
    // One scan that acts.
    virtual Code ScanIo() = 0;

    // ---- helpers ----
    // The kind's fixed port tables and their values (constructor).
    void setPortLayout(std::vector<InputPort> inputs, std::vector<OutputPort> outputs);
    // Reports "message : task, description" to the run-error report.
    void reportStartFailure(std::string_view message) const;
    // A driver call failed after the open: closes the device, shows the
    // driver's box and returns the code.
    Code failDriverStart(Code code);
    // " : task, description"
    std::string failureContext() const;

    // 0 for good quality; bad quality posts run error 15 for this block. A
    // failing check's own code is returned as it is.
    Code checkOpcQuality();
    // Posts to the main window with this block (its Node) as lParam.
    void postToMain(MessageId id, std::uint64_t wParam) const;
    // A failed scan's code, masked to its low 12 bits (never to 0).
    static Code scanFailure(Code code);

    Variant& opcValue() { return opcValue_; }
    std::mutex& lock() const { return lock_; }

  private:
    Code OnStart() final;
    void OnStop() final;
    Code connectOpcItem();
    Code openDevice(DeviceFeatures& features);
    void closeDevice();
    void restorePortLayout();

    const BlockServices& services_;
    std::vector<InputPort> inputLayout_;
    std::vector<OutputPort> outputLayout_;
    IoSource source_;
    UpdateDivisor divisor_;
    Variant opcValue_;
    DeviceHandle device_ = 0;
    OpcItemHandle item_ = 0;
    mutable std::mutex lock_;
};

template <class K>
void IoBlock::addSourceProperties(PropertyTable<K>& table, std::string opcLabel) {
    table
        .addBool(
            std::move(opcLabel), [](const K& b) { return b.source().usesOpc(); },
            [](K& b, bool on) { b.setOpcSource(on); })
        .key("opc");
    table
        .addString(
            "Device", [](const K& b) { return b.source().deviceText(); },
            [](K& b, const std::string& text) -> Status {
                IoSource s = b.source();
                if (!s.setDeviceText(text)) return invalidSetting("Device", text);
                b.setSource(s);
                return {};
            },
            16, PropertyType::Device)
        .key("device")
        .help("Device number and kind byte, \"number:kind\".")
        .enabledWhen([](const K& b) { return !b.source().usesOpc(); });
    struct OpcText {
        const char* label;
        const char* key;
        int index;
        PropertyType type;
    };
    static constexpr OpcText kTexts[] = {
        {"OPC item", "opcItem", 5, PropertyType::OpcItem},
        {"OPC node", "opcNode", 1, PropertyType::String},
        {"OPC server", "opcServer", 2, PropertyType::String},
        {"OPC item ID", "opcItemId", 3, PropertyType::String},
        {"OPC access path", "opcAccessPath", 4, PropertyType::String},
    };
    for (const OpcText& t : kTexts) {
        const int index = t.index;
        table
            .addString(
                t.label, [index](const K& b) { return b.source().opcItem.text(index); },
                [index](K& b, const std::string& text) {
                    IoSource s = b.source();
                    s.opcItem.setText(index, text);
                    b.setSource(s);
                },
                OpcItemRecord::kTextSize - 1, t.type)
            .key(t.key)
            .enabledWhen([](const K& b) { return b.source().usesOpc(); });
    }
    table.addCheck([](const K& b) -> Status {
        if (b.source().selected()) return {};
        return {kMsgDeviceUndefined, std::string(kNoDeviceSelectedText)};
    });
}

template <class K>
void IoBlock::addUpdateTimesProperty(PropertyTable<K>& table) {
    table
        .addInt(
            "&Update times", [](const K& b) { return b.updateTimes(); },
            [](K& b, std::int64_t n) { b.setUpdateTimes(n); }, UpdateDivisor::kMinTimes,
            UpdateDivisor::kMaxTimes)
        .key("updateTimes")
        .defaultValue(std::int64_t{1});
}

}  // namespace kestrune
