#include "components/opc/opc_item_record.h"

#include <algorithm>

namespace kestrune {

std::string OpcItemRecord::text(int index) const {
    if (index < 1 || index > kTextCount) return {};
    const auto* begin = reinterpret_cast<const char*>(bytes_.data() + offsetOf(index));
    const auto* end = std::find(begin, begin + kTextSize, '\0');
    return std::string(begin, end);
}

void OpcItemRecord::setText(int index, std::string_view text) {
    if (index < 1 || index > kTextCount) return;
    auto* slot = bytes_.data() + offsetOf(index);
    std::fill(slot, slot + kTextSize, std::uint8_t{0});
    const std::size_t n = std::min(text.size(), kTextSize - 1);
    std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), n, slot);
}

}  // namespace kestrune
