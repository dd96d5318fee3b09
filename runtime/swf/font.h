// Embedded fonts: DefineFont2 and DefineFont3 (glyph outlines, codes and layout).
#pragma once

#include "swf/reader.h"
#include "swf/shape.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zimo::swf {

struct Glyph {
    QPainterPath path; // in font units, y down, origin on the baseline
    QRectF bounds;
    std::uint16_t code = 0;
    double advance = 0; // font units
};

struct KerningPair {
    std::uint16_t left = 0, right = 0;
    double adjustment = 0; // font units
};

struct FontDef {
    std::uint16_t id = 0;
    int version = 2; // DefineFont2 or DefineFont3
    QString name;
    bool bold = false, italic = false, smallText = false, shiftJis = false, ansi = false;
    bool wideCodes = false;
    std::uint8_t language = 0;
    double unitsPerEm = 1024; // 20480 for DefineFont3
    bool hasLayout = false;
    double ascent = 0, descent = 0, leading = 0; // font units
    std::vector<Glyph> glyphs;
    std::vector<KerningPair> kerning;
    std::unordered_map<std::uint16_t, int> glyphOfCode;

    // Index of the glyph for a character, or -1.
    int glyphIndex(char16_t c) const {
        auto it = glyphOfCode.find(c);
        return it == glyphOfCode.end() ? -1 : it->second;
    }
};

std::optional<FontDef> parseDefineFont(Reader& r, int fontVersion, int swfVersion,
                                       std::string& error);

} // namespace zimo::swf
