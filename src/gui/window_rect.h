#pragma once
// The main window's rectangle as the settings keep it ("Window rectangle",
// "%d %d %d %d": left, top, right, bottom) and the rule that brings a stored
// rectangle back onto the screen when the frame is created: a right or
// bottom edge beyond the screen, or negative, becomes the screen's width or
// height; a left or top edge outside 0 .. screen size becomes 0.

#include <optional>
#include <string>
#include <string_view>

#include "platform/geometry.h"

namespace kestrune {

// Four whole numbers separated by blanks; nullopt for anything else.
std::optional<Rect> parseWindowRect(std::string_view text);
std::string formatWindowRect(const Rect& r);

Rect clipWindowRect(const Rect& stored, Size screen);

}  // namespace kestrune
