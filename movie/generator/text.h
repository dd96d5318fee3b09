// Embedded fonts (DefineFont2) and text fields (DefineEditText).
#pragma once

#include "shape.h"

#include <string>
#include <string_view>
#include <vector>

namespace zimo::movie {

// A glyph in font units (1024 to the em), y downwards from the baseline.
struct Glyph {
    std::uint16_t code = 0;
    std::int16_t advance = 0;
    std::vector<Path> contours; // closed; the glyph is filled inside them
};

struct Font {
    std::string name;
    bool bold = false, italic = false;
    bool smallText = false;        // laid out on whole pixels
    std::uint8_t languageCode = 0; // 1 Latin
    std::int16_t ascent = 0, descent = 0, leading = 0;
    std::vector<Glyph> glyphs; // in ascending code order
};

// DefineFont2 with 16-bit codes and the layout (ascent, descent, leading, advances and glyph
// boxes; no kerning pairs).
Bytes defineFont2(std::uint16_t id, const Font& font);

// Reads glyph outlines as written by fontgrab: "glyph C ADVANCE" lines, each followed by its
// contours of "M x y", "L x y" and "Q cx cy x y" lines; '#' starts a comment line.
// Coordinates are rounded to whole font units. Throws std::invalid_argument on bad input.
std::vector<Glyph> parseGlyphOutlines(std::string_view text);

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2 };

// A single-line field showing `text`, or the value of `variable` once that is set.
struct EditText {
    Rect bounds; // twips
    std::uint16_t font = 0;
    std::uint16_t height = 0; // twips
    Rgba color;
    TextAlign align = TextAlign::Left;
    std::string variable;
    std::string text;
    bool readOnly = true;
    bool selectable = false;
    bool border = false;
    bool html = false;
    bool autoSize = false;
    bool useOutlines = true; // drawn with the embedded font
};

Bytes defineEditText(std::uint16_t id, const EditText& field);

} // namespace zimo::movie
