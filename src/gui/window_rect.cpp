#include "gui/window_rect.h"

#include <charconv>
#include <string>

namespace kestrune {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<Rect> parseWindowRect(std::string_view text) {
    int values[4] = {};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int& value : values) {
        while (p != end && isBlank(*p)) ++p;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc() || next == p) return std::nullopt;
        p = next;
    }
    while (p != end && isBlank(*p)) ++p;
    if (p != end) return std::nullopt;
    return Rect{values[0], values[1], values[2], values[3]};
}

std::string formatWindowRect(const Rect& r) {
    return std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' + std::to_string(r.right) + ' ' +
           std::to_string(r.bottom);
}

Rect clipWindowRect(const Rect& stored, Size screen) {
    Rect r = stored;
    if (r.right > screen.width || r.right < 0) r.right = screen.width;
    if (r.bottom > screen.height || r.bottom < 0) r.bottom = screen.height;
    if (r.left < 0 || r.left > screen.width) r.left = 0;
    if (r.top < 0 || r.top > screen.height) r.top = 0;
    return r;
}

}  // namespace kestrune
