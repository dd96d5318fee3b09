#include "swf/font.h"

#include "swf/records.h"
#include "swf/strings.h"

namespace zimo::swf {

std::optional<FontDef> parseDefineFont(Reader& r, int fontVersion, int swfVersion,
                                       std::string& error) {
    FontDef f;
    f.version = fontVersion;
    f.unitsPerEm = fontVersion >= 3 ? 1024.0 * kTwipsPerPixel : 1024.0;
    f.id = r.u16();
    const auto flags = r.u8();
    f.hasLayout = flags & 0x80;
    f.shiftJis = flags & 0x40;
    f.smallText = flags & 0x20;
    f.ansi = flags & 0x10;
    const bool wideOffsets = flags & 0x08;
    f.wideCodes = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    f.language = r.u8();
    const auto nameLength = r.u8();
    auto name = r.bytes(nameLength);
    f.name = decodeString(name, swfVersion);
    const std::size_t glyphCount = r.u16();
    if (!r.ok()) {
        error = "font header runs past the end of the tag";
        return std::nullopt;
    }
    const auto tables = r.rest();
    Reader t(tables);
    auto offset = [&] { return wideOffsets ? std::size_t{t.u32()} : std::size_t{t.u16()}; };
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < glyphCount && t.ok(); ++i)
        offsets.push_back(offset());
    std::size_t codeTable = glyphCount > 0 ? offset() : t.pos();
    if (!t.ok() || codeTable > tables.size()) {
        error = "font offset table runs past the end of the tag";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < glyphCount; ++i) {
        const std::size_t begin = offsets[i];
        const std::size_t end = i + 1 < glyphCount ? offsets[i + 1] : codeTable;
        if (begin > end || end > tables.size()) {
            error = "bad glyph offset";
            return std::nullopt;
        }
        Reader g(tables.subspan(begin, end - begin));
        auto shape = parseGlyphShape(g, error);
        if (!shape) return std::nullopt;
        Glyph glyph;
        glyph.path = shape->groups.empty() || shape->groups.front().fills.empty()
                         ? QPainterPath()
                         : shape->groups.front().fills.front().path;
        glyph.bounds = shape->bounds;
        f.glyphs.push_back(std::move(glyph));
    }
    Reader c(tables.subspan(codeTable));
    for (std::size_t i = 0; i < glyphCount && c.ok(); ++i) {
        const std::uint16_t code = f.wideCodes ? c.u16() : c.u8();
        f.glyphs[i].code = code;
        f.glyphOfCode.emplace(code, static_cast<int>(i));
    }
    if (!c.ok()) {
        error = "font code table runs past the end of the tag";
        return std::nullopt;
    }
    if (f.hasLayout) {
        f.ascent = c.u16();
        f.descent = c.u16();
        f.leading = c.s16();
        for (std::size_t i = 0; i < glyphCount && c.ok(); ++i)
            f.glyphs[i].advance = c.s16();
        for (std::size_t i = 0; i < glyphCount && c.ok(); ++i)
            readRect(c); // bounds table
        const std::size_t kerningCount = c.u16();
        for (std::size_t i = 0; i < kerningCount && c.ok(); ++i) {
            KerningPair k;
            k.left = f.wideCodes ? c.u16() : c.u8();
            k.right = f.wideCodes ? c.u16() : c.u8();
            k.adjustment = c.s16();
            if (c.ok()) f.kerning.push_back(k);
        }
        if (!c.ok()) {
            error = "font layout runs past the end of the tag";
            return std::nullopt;
        }
    }
    return f;
}

} // namespace zimo::swf
