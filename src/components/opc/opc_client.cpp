#include "components/opc/opc_client.h"

#include "components/opc/opc_codes.h"
#include "components/opc/sim_opc_client.h"
#include "platform/user_interface.h"

namespace kestrune {

int OpcClient::itemSelect(OpcItemRecord& record) {
    UserInterface* ui = userInterface();
    if (!ui) return 0;
    const auto items = browseItems();
    if (items.empty()) return 0;
    std::vector<std::string> lines;
    lines.reserve(items.size());
    for (const auto& i : items)
        lines.push_back(i.server + ":" + i.itemId + (i.writable ? "" : " (read only)"));
    const auto chosen = ui->chooseFromList("Select OPC Item", lines);
    if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= items.size()) return 0;
    const auto& i = items[static_cast<std::size_t>(*chosen)];
    record.setText(1, i.node);
    record.setText(2, i.server);
    record.setText(3, i.itemId);
    record.setText(4, i.accessPath);
    record.setText(5, i.server + ":" + i.itemId);
    return 1;
}

Code OpcClient::getErrorMessage(Code code, std::string& text) {
    text = opcErrorText(code);
    if (!text.empty()) return kOk;
    text = "Unknown OPC error code " + std::to_string(code) + ".";
    return opcCode(OpcError::InvalidParameter);
}

int OpcClient::checkErrorCode(Code code) {
    return isOpcCode(code) ? 1 : 0;
}

std::unique_ptr<OpcClient> makeOpcClient(std::string_view kind) {
    if (kind.empty() || kind == "sim") return std::make_unique<SimOpcClient>();
    return nullptr;
}

}  // namespace kestrune
