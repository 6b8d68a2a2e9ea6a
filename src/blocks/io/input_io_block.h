#pragma once
// What the two input kinds (analog and digital input) add to IoBlock: one
// value published as an item of this program's DDE service (see
// DdeServerItem), and the main window's side of message 1051.

#include <cstdint>
#include <string>

#include "blocks/dde_service.h"
#include "blocks/io/dde_server_item.h"
#include "blocks/io/io_block.h"

namespace kestrune {

class InputIoBlock : public IoBlock, public DdeServerFeed {
  public:
    // `ddeType` is the value type of the DDE item.
    InputIoBlock(const NodeContext& context, std::int16_t kind, const BlockServices& services,
                 std::uint16_t ddeType);
    // Withdraws the DDE item.
    ~InputIoBlock() override;

    bool ddeLink() const { return ddeItem_.enabled(); }
    // The dialog's switch: offers or withdraws the item at once.
    void setDdeLink(bool on);
    const DdeServerItem& ddeItem() const { return ddeItem_; }

    // Copy DDE Link of the task designer: the "Link" clipboard data, empty
    // while the strategy has no name (the designer then says so).
    std::string CopyDdeLink();

    // After loading, a block with the flag on offers its item.
    Status Load(BinaryReader& in, int fileVersion) override;
    // A block without an offered item offers it when the run starts.
    Code Start() override;
    void CopyTo(GraphObject& other) const override;
    void UpdateDdeServer() override;
    void DdeTopicChanged() override;

    template <class K>
    static void addDdeLinkProperty(PropertyTable<K>& table, std::string label);

  protected:
    // The flag alone, as a record holds it (Load offers the item afterwards).
    void setDdeFlag(bool on) { ddeItem_.setEnabled(on); }
    // Scan thread: a value that differs from the last one sent becomes the
    // item's text and message 1051 is posted.
    template <class T>
    void publishDde(T value) {
        if (ddeItem_.enabled() && ddeItem_.changed(value))
            postToMain(kMsgDdeServerValueChanged, kDdeServerUpdateParam);
    }

  private:
    // Only blocks of a real task offer items; clipboard copies never do.
    bool mayOffer() const;
    void offerItem();

    DdeServerItem ddeItem_;
};

template <class K>
void InputIoBlock::addDdeLinkProperty(PropertyTable<K>& table, std::string label) {
    table
        .addBool(
            std::move(label), [](const K& b) { return b.ddeLink(); }, [](K& b, bool on) { b.setDdeLink(on); })
        .key("ddeLink");
}

}  // namespace kestrune
