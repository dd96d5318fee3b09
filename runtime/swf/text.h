// Text characters: editable fields (DefineEditText) and static text (DefineText 1/2).
#pragma once

#include "swf/reader.h"
#include "swf/types.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zimo::swf {

enum class TextAlign { Left, Right, Center, Justify };

struct EditTextDef {
    std::uint16_t id = 0;
    QRectF bounds; // the field rectangle in its own units (pixels)
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false;
    bool html = false, useOutlines = false;
    bool hasFont = false;
    std::uint16_t fontId = 0;
    QString fontClass;
    double fontHeight = 12; // pixels
    bool hasTextColor = false;
    Rgba textColor{0, 0, 0, 255};
    std::optional<std::uint16_t> maxLength;
    bool hasLayout = false;
    TextAlign align = TextAlign::Left;
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0; // pixels
    QString variableName;
    bool hasInitialText = false;
    QString initialText;
};

struct StaticGlyph {
    std::uint32_t index = 0;
    double advance = 0; // pixels
};

struct StaticTextRun {
    std::uint16_t fontId = 0;
    Rgba color;
    double x = 0, y = 0; // baseline start, pixels
    double height = 0;   // pixels
    std::vector<StaticGlyph> glyphs;
};

struct StaticTextDef {
    std::uint16_t id = 0;
    QRectF bounds;
    Matrix matrix;
    std::vector<StaticTextRun> runs;
};

std::optional<EditTextDef> parseDefineEditText(Reader& r, int swfVersion, std::string& error);
std::optional<StaticTextDef> parseDefineText(Reader& r, int textVersion, std::string& error);

} // namespace zimo::swf
