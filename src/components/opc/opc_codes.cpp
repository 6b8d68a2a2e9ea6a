#include "components/opc/opc_codes.h"

namespace kestrune {
namespace {

const char* textOf(Code n) {
    switch (static_cast<OpcError>(n)) {
        case OpcError::ServerNotFound:
            return "The OPC server was not found.";
        case OpcError::ItemNotFound:
            return "The OPC item does not exist on the server.";
        case OpcError::InvalidItemHandle:
            return "The OPC item handle is not valid (item not registered).";
        case OpcError::InvalidTaskHandle:
            return "The OPC task handle is not valid (task not registered).";
        case OpcError::ItemReadOnly:
            return "The OPC item cannot be written.";
        case OpcError::TypeMismatch:
            return "The value cannot be converted to the OPC item's data type.";
        case OpcError::InvalidParameter:
            return "An invalid parameter was passed to the OPC client.";
        case OpcError::UnknownBackend:
            return "The OPC client backend is unknown.";
    }
    return nullptr;
}

}  // namespace

bool isOpcCode(Code code) {
    const auto u = static_cast<std::uint32_t>(code);
    const std::uint32_t high = u & ~static_cast<std::uint32_t>(kOpcCodeMask);
    if (high != 0 && high != static_cast<std::uint32_t>(kOpcCodeBase)) return false;
    return textOf(static_cast<Code>(u & kOpcCodeMask)) != nullptr;
}

std::string opcErrorText(Code code) {
    return isOpcCode(code) ? textOf(code & kOpcCodeMask) : std::string();
}

bool qualityIsGood(std::uint16_t quality) {
    return (quality & 0xC0) == 0xC0;
}

std::string qualityText(std::uint16_t quality) {
    const unsigned status = quality & 0xFC;
    switch (status & 0xC0) {
        case 0xC0:
            return status == 0xD8 ? "Good (local override)" : "Good";
        case 0x40:
            switch (status) {
                case 0x44:
                    return "Uncertain (last usable value)";
                case 0x50:
                    return "Uncertain (sensor not accurate)";
                case 0x54:
                    return "Uncertain (engineering units exceeded)";
                case 0x58:
                    return "Uncertain (sub-normal)";
                default:
                    return "Uncertain";
            }
        case 0x00:
            switch (status) {
                case 0x04:
                    return "Bad (configuration error)";
                case 0x08:
                    return "Bad (not connected)";
                case 0x0C:
                    return "Bad (device failure)";
                case 0x10:
                    return "Bad (sensor failure)";
                case 0x14:
                    return "Bad (last known value)";
                case 0x18:
                    return "Bad (communication failure)";
                case 0x1C:
                    return "Bad (out of service)";
                default:
                    return "Bad";
            }
        default:
            return "Bad (invalid quality)";
    }
}

}  // namespace kestrune
