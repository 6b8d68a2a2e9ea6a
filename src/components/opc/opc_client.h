#pragma once
// The OPC client: every OPC item a block reads or writes goes through one
// object of this interface, created at start-up. Each method is one client
// operation (addItemToList, itemRead, taskRead...) and returns 0 or a code of
// opc_codes.h.
//
// A running task registers itself first (addTaskToList): its blocks' items
// form the task's group, and taskRead, called by the task before each of its
// blocks, refreshes them. A block registers its item with a pointer to its own
// Variant, which must stay alive until removeAll (at the end of the run): reads
// are delivered into it and writes take their value from it.
//
// The backend is chosen by name with makeOpcClient: "sim" (a simulated server
// with signals and writable memory items, the default).
//
// Every method may be called from several task threads at once; a task's
// taskRead writes only the Variants of that task's items.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/opc/opc_item_record.h"
#include "components/opc/variant.h"
#include "platform/status.h"

namespace kestrune {

class UserInterface;

using OpcItemHandle = std::uint32_t;  // 0 is never a handle
using OpcTaskHandle = std::uint32_t;

// A task's "OPC Server Properties".
struct OpcServerProperties {
    std::uint8_t readMode = 0;     // 0 asynchronous, 1 synchronous
    std::uint8_t dataSource = 0;   // 0 cache, 1 device
    std::uint32_t updateRate = 0;  // ms, 0..10000000: how old a cached value may get
    std::uint32_t localeId = 0;
    std::int32_t timeBias = 0;  // minutes
    float deadBand = 100.0f;    // percent, 0..100
};

// One item a server offers, for the selection dialog.
struct OpcBrowseEntry {
    std::string node;  // empty: this machine
    std::string server;
    std::string itemId;
    std::string accessPath;
    VarType type = VarType::Empty;
    bool writable = false;
};

class OpcClient {
  public:
    virtual ~OpcClient() = default;

    // Where itemSelect asks; without one itemSelect answers "not chosen".
    void setUserInterface(UserInterface* ui) { ui_.store(ui); }
    UserInterface* userInterface() const { return ui_.load(); }

    virtual std::vector<OpcBrowseEntry> browseItems() = 0;
    // Lets the user pick an item and fills the record's five texts. Returns
    // 1 when one was chosen, else 0 (the record unchanged).
    virtual int itemSelect(OpcItemRecord& record);

    // `text1`..`text4` are the record's first four texts; the item joins the
    // group of `taskName` (made with default properties when the task has not
    // registered). The Variant's type, when set, is the type the item is
    // delivered in. The item is read once at once.
    virtual Code addItemToList(std::string_view taskName, std::string_view text1, std::string_view text2,
                               std::string_view blockName, std::string_view text3, std::string_view text4,
                               Variant* value, OpcItemHandle& handle) = 0;
    // `synchronous` is 1 as the blocks call them: the read is done and its
    // value in the item's Variant when the call returns.
    virtual Code itemRead(OpcItemHandle handle, std::int32_t synchronous = 1) = 0;
    virtual Code itemWrite(OpcItemHandle handle, std::int32_t synchronous = 1) = 0;
    // `good` is 0 for bad or uncertain quality; `text`, when given, receives a
    // sentence naming the item and its quality.
    virtual Code itemQualityCheck(OpcItemHandle handle, int& good, std::string* text) = 0;

    // Fills `text` for any code; 0 when it is an OPC code.
    virtual Code getErrorMessage(Code code, std::string& text);
    // Non-zero for an OPC code (full or masked to 12 bits).
    virtual int checkErrorCode(Code code);

    virtual Code addTaskToList(std::string_view taskName, const OpcServerProperties& properties,
                               OpcTaskHandle& handle) = 0;
    virtual Code taskRead(OpcTaskHandle handle) = 0;
    // Forgets every task and item; their handles are invalid afterwards.
    virtual Code removeAll() = 0;

  private:
    std::atomic<UserInterface*> ui_{nullptr};
};

// The backend named `kind` ("sim", the default). Null for an unknown name.
std::unique_ptr<OpcClient> makeOpcClient(std::string_view kind = "sim");

}  // namespace kestrune
