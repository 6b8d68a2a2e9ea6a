#pragma once
// What the two output kinds (analog and digital output) add to IoBlock: one
// input, the value taken from it or, while it is not wired, from a DDE link;
// the initial value written when the run starts; and the rule that the
// device or item is written only when the value changed.
//
// Run start, after the device opened or the item was added: with the input
// unwired the DDE link is subscribed; then, by the initial value mode,
//   "Restore the previous stop value": the tag is held in the hold file and
//       its value (what the database returns) is written out;
//   "Initial value: ": the stored value is written out;
//   "No initial value": nothing is written; an OPC source reads its item and
//       takes its value.
// Finally a block wired to a tag block that stands for a display item
// registers both blocks with the item until the run stops.
//
// Each scan that acts takes the value from the input (read as a float or an
// integer by the kind), else from the DDE link while it is open, else keeps
// its value; it writes the device or item when the value differs from the
// last one written (a failed write returns its code and is tried again on
// the next scan), then shows the value on its outputs and writes its tag.
//
// Threads: the scans of an output block may come from its task thread and,
// for operator input, from the main thread; they are serialised. The value
// shown on the outputs is updated under the block's lock.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blocks/io/dde_client_input.h"
#include "blocks/io/io_block.h"

namespace kestrune {

enum class InitialValueMode : std::uint8_t { None = 0, Value = 1, Restore = 2 };

class OutputIoBlock : public IoBlock {
  public:
    // `integerValue`: the value is read and kept as an integer (digital)
    // rather than a float (analog).
    OutputIoBlock(const NodeContext& context, std::int16_t kind, const BlockServices& services,
                  bool integerValue);

    InitialValueMode initialMode() const { return mode_; }
    virtual void setInitialMode(InitialValueMode mode) { mode_ = mode; }

    DdeClientInput& ddeInput() { return dde_; }
    const DdeClientInput& ddeInput() const { return dde_; }
    // Paste DDE Link of the task designer: takes the names and turns the link
    // on; false when the data is not a link that fits.
    bool PasteDdeLink(std::string_view clipboard) { return dde_.paste(clipboard); }

    // The value as last scanned (what the outputs show).
    double value() const;
    // The value last written to the device or item; none before the first
    // write of a run whose start wrote nothing.
    std::optional<double> lastWritten() const;

    void CopyTo(GraphObject& other) const override;

    template <class K>
    static void addDdeProperties(PropertyTable<K>& table);
    template <class K>
    static void addInitialModeProperty(PropertyTable<K>& table);

  protected:
    // ---- kind hooks ----
    // The initial value of mode "Initial value: ".
    virtual double storedInitialValue() const = 0;
    // Writes the value out. `starting` for the start's write, whose failure
    // the kind may ignore (return 0) or report (and return).
    virtual Code writeOutput(double value, bool starting) = 0;
    // Shows the value on the outputs (called under the block's lock).
    virtual void showValue(double value) = 0;

    bool integerValue() const { return integerValue_; }

    // A stored mode; an unknown one is "No initial value".
    static InitialValueMode readInitialMode(std::uint16_t stored);
    // The fields after the source: the DDE link u16, its three names and
    // update times u16, each read only while the record has room for it.
    Status loadOutputTrailer(BinaryReader& in, const RecordReader& record);
    void saveOutputTrailer(BinaryWriter& out) const;
    // Whether the device is open or the item added.
    bool outputOpen() const;

  private:
    Code StartIo(const DeviceFeatures& features) final;
    void StopIo() final;
    Code ScanIo() final;
    std::optional<double> initialValue();
    std::optional<double> nextValue();
    void registerWithDisplayItem();
    void unregisterFromDisplayItem();

    const bool integerValue_;
    InitialValueMode mode_ = InitialValueMode::None;
    DdeClientInput dde_;
    std::mutex scanLock_;  // one scan at a time
    double value_ = 0.0;   // under lock()
    std::optional<double> lastWritten_;
    // The display item and the ids registered with it for this run.
    std::uint32_t displayItem_ = 0;
    std::vector<std::uint32_t> registered_;
};

template <class K>
void OutputIoBlock::addDdeProperties(PropertyTable<K>& table) {
    table.group("DDE");
    table
        .addBool(
            "E&stablish DDE link", [](const K& b) { return b.ddeInput().enabled(); },
            [](K& b, bool on) { b.ddeInput().setEnabled(on); })
        .key("ddeLink");
    table
        .addString(
            "Service | Topic ! Item:", [](const K& b) { return formatLinkText(b.ddeInput().names()); },
            [](K& b, const std::string& text) -> Status {
                const std::optional<DdeLinkNames> names = parseLinkText(text);
                if (!names) return invalidSetting("Service | Topic ! Item", text);
                b.ddeInput().setNames(*names);
                return {};
            },
            3 * DdeClientInput::kNameLength + 2)
        .key("ddeLinkText");
    table.group("");
}

template <class K>
void OutputIoBlock::addInitialModeProperty(PropertyTable<K>& table) {
    table.group("Initial value settings");
    table
        .addChoice(
            "Initial value settings", [](const K& b) { return b.initialMode(); },
            [](K& b, InitialValueMode mode) { b.setInitialMode(mode); },
            {{0, "No initial value"}, {1, "Initial value: "}, {2, "Restore the previous stop value"}})
        .key("initialMode");
}

}  // namespace kestrune
