#include "swf/text.h"

#include "swf/records.h"
#include "swf/strings.h"

namespace zimo::swf {

std::optional<EditTextDef> parseDefineEditText(Reader& r, int swfVersion, std::string& error) {
    EditTextDef t;
    t.id = r.u16();
    t.bounds = readRect(r);
    const auto f1 = r.u8();
    const auto f2 = r.u8();
    t.hasInitialText = f1 & 0x80;
    t.wordWrap = f1 & 0x40;
    t.multiline = f1 & 0x20;
    t.password = f1 & 0x10;
    t.readOnly = f1 & 0x08;
    t.hasTextColor = f1 & 0x04;
    const bool hasMaxLength = f1 & 0x02;
    t.hasFont = f1 & 0x01;
    const bool hasFontClass = f2 & 0x80;
    t.autoSize = f2 & 0x40;
    t.hasLayout = f2 & 0x20;
    t.noSelect = f2 & 0x10;
    t.border = f2 & 0x08;
    t.wasStatic = f2 & 0x04;
    t.html = f2 & 0x02;
    t.useOutlines = f2 & 0x01;
    if (t.hasFont) t.fontId = r.u16();
    if (hasFontClass) t.fontClass = decodeString(r.cstring(), swfVersion);
    if (t.hasFont || hasFontClass) t.fontHeight = r.u16() / kTwipsPerPixel;
    if (t.hasTextColor) t.textColor = readRgba(r);
    if (hasMaxLength) t.maxLength = r.u16();
    if (t.hasLayout) {
        const auto align = r.u8();
        t.align = align == 1   ? TextAlign::Right
                  : align == 2 ? TextAlign::Center
                  : align == 3 ? TextAlign::Justify
                               : TextAlign::Left;
        t.leftMargin = r.u16() / kTwipsPerPixel;
        t.rightMargin = r.u16() / kTwipsPerPixel;
        t.indent = r.u16() / kTwipsPerPixel;
        t.leading = r.s16() / kTwipsPerPixel;
    }
    t.variableName = decodeString(r.cstring(), swfVersion);
    if (t.hasInitialText) t.initialText = decodeString(r.cstring(), swfVersion);
    if (!r.ok()) {
        error = "edit text runs past the end of the tag";
        return std::nullopt;
    }
    return t;
}

std::optional<StaticTextDef> parseDefineText(Reader& r, int textVersion, std::string& error) {
    StaticTextDef t;
    t.id = r.u16();
    t.bounds = readRect(r);
    t.matrix = readMatrix(r);
    const int glyphBits = r.u8();
    const int advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32) {
        error = "bad text bit counts";
        return std::nullopt;
    }
    StaticTextRun style;
    while (r.ok()) {
        const auto flags = r.u8();
        if (flags == 0) break;
        if (flags & 0x08) style.fontId = r.u16();
        if (flags & 0x04) style.color = textVersion >= 2 ? readRgba(r) : readRgb(r);
        if (flags & 0x01) style.x = r.s16() / kTwipsPerPixel;
        if (flags & 0x02) style.y = r.s16() / kTwipsPerPixel;
        if (flags & 0x08) style.height = r.u16() / kTwipsPerPixel;
        StaticTextRun run = style;
        run.glyphs.clear();
        const int count = r.u8();
        for (int i = 0; i < count && r.ok(); ++i) {
            StaticGlyph g;
            g.index = r.ubits(glyphBits);
            g.advance = r.sbits(advanceBits) / kTwipsPerPixel;
            run.glyphs.push_back(g);
        }
        r.align();
        double advance = 0;
        for (const auto& g : run.glyphs)
            advance += g.advance;
        style.x += advance; // the next run continues where this one ends
        t.runs.push_back(std::move(run));
    }
    if (!r.ok()) {
        error = "text records run past the end of the tag";
        return std::nullopt;
    }
    return t;
}

} // namespace zimo::swf
