#pragma once
// Values a Canvas draws with: colours, pens, brushes, raster operations and
// text layout. Colours are stored the way strategy files store them,
// 0x00BBGGRR, so a value read from a record goes to the canvas unchanged.

#include <cstdint>

#include "platform/log_font.h"

namespace kestrune {

using Rgb = std::uint32_t;

constexpr Rgb rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Rgb>(r) | (static_cast<Rgb>(g) << 8) | (static_cast<Rgb>(b) << 16);
}
constexpr std::uint8_t redOf(Rgb c) {
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t greenOf(Rgb c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t blueOf(Rgb c) {
    return static_cast<std::uint8_t>(c >> 16);
}

namespace colours {
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kWhite = 0xFFFFFF;
inline constexpr Rgb kLightGrey = 0xC0C0C0;  // the ground of display items
inline constexpr Rgb kGrey = 0x808080;       // lower and right bevel edges
inline constexpr Rgb kRed = rgb(255, 0, 0);
inline constexpr Rgb kGreen = rgb(0, 128, 0);
inline constexpr Rgb kBlue = rgb(0, 0, 255);  // wires
inline constexpr Rgb kYellow = rgb(255, 255, 0);
}  // namespace colours

enum class PenStyle : std::uint8_t { Solid, Dash, Dot, Null };

struct Pen {
    Rgb colour = colours::kBlack;
    int width = 1;
    PenStyle style = PenStyle::Solid;

    static constexpr Pen none() { return {colours::kBlack, 0, PenStyle::Null}; }
    friend constexpr bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle : std::uint8_t { Solid, Null };

struct Brush {
    Rgb colour = colours::kWhite;
    BrushStyle style = BrushStyle::Solid;

    static constexpr Brush solid(Rgb c) { return {c, BrushStyle::Solid}; }
    static constexpr Brush hollow() { return {colours::kBlack, BrushStyle::Null}; }
    friend constexpr bool operator==(const Brush&, const Brush&) = default;
};

// How new pixels combine with what is there. Xor and Invert draw shapes that a
// second identical call erases (meter needles, rubber lines).
enum class RasterOp : std::uint8_t { Copy, Xor, Invert };

// Whether text paints the background colour behind its glyphs.
enum class BackgroundMode : std::uint8_t { Transparent, Opaque };

enum class HAlign : std::uint8_t { Left, Centre, Right };
enum class VAlign : std::uint8_t { Top, Centre, Bottom };

// Layout of text in a rectangle. Vertical alignment applies to the whole
// block of lines, also when words wrap. Text is UTF-8 and drawn as it is:
// '&' has no special meaning.
struct TextFormat {
    HAlign horizontal = HAlign::Left;
    VAlign vertical = VAlign::Top;
    bool singleLine = false;  // line breaks in the text are not honoured
    bool wordBreak = false;   // wrap at spaces when a line is wider than the rectangle
    bool clip = true;         // nothing is drawn outside the rectangle

    static constexpr TextFormat centred() { return {HAlign::Centre, VAlign::Centre, true, false, true}; }
    friend constexpr bool operator==(const TextFormat&, const TextFormat&) = default;
};

// Everything a Canvas draws with; save() and restore() keep it as a whole.
// A new canvas draws with a 1-pixel black pen, a white brush, the default
// font and black text on a transparent background.
struct CanvasState {
    Pen pen;
    Brush brush;
    LogFont font;
    Rgb textColour = colours::kBlack;
    Rgb backgroundColour = colours::kWhite;
    BackgroundMode backgroundMode = BackgroundMode::Transparent;
    RasterOp rasterOp = RasterOp::Copy;

    friend bool operator==(const CanvasState&, const CanvasState&) = default;
};

}  // namespace kestrune
