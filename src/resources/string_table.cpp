#include "resources/string_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "platform/system_error_code.h"

namespace kestrune::strings {
namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by id; lookups are binary searches.
constexpr Entry kTable[] = {
#include "resources/string_table_entries.inc"
};

}  // namespace

std::optional<std::string_view> lookup(int id) {
    const auto* it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                                      [](const Entry& e, int v) { return e.id < v; });
    if (it == std::end(kTable) || it->id != id) return std::nullopt;
    return it->text;
}

std::string text(int id) {
    if (isSystemErrorCode(id)) return std::strerror(systemErrorNumber(id));
    if (auto t = lookup(id)) return std::string(*t);
    return "ER:" + std::to_string(id);
}

std::size_t count() { return std::size(kTable); }

std::vector<int> allIds() {
    std::vector<int> ids;
    ids.reserve(std::size(kTable));
    for (const Entry& e : kTable) ids.push_back(e.id);
    return ids;
}

}  // namespace kestrune::strings
