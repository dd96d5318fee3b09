#include "text.h"

#include "swf/tag_codes.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace zimo::movie {

Bytes defineFont2(std::uint16_t id, const Font& font) {
    const auto n = font.glyphs.size();
    if (font.name.size() > 255) throw std::invalid_argument("font name too long");
    for (std::size_t i = 1; i < n; ++i)
        if (font.glyphs[i - 1].code >= font.glyphs[i].code)
            throw std::invalid_argument("glyph codes must ascend");

    // Glyph shapes: one fill style, no line styles.
    std::vector<Bytes> shapes;
    std::size_t shapeBytes = 0;
    for (const auto& g : font.glyphs) {
        SwfWriter s;
        s.ubits(1, 4);
        s.ubits(0, 4);
        std::vector<Path> contours = g.contours;
        for (auto& c : contours) {
            c.fill0 = 1;
            c.fill1 = 0;
            c.line = 0;
        }
        writeShapeRecords(s, contours, 1, 0);
        shapes.push_back(s.data());
        shapeBytes += shapes.back().size();
    }
    // Offsets count from the start of the offset table, which the code table offset ends.
    const bool wideOffsets = (n + 1) * 2 + shapeBytes > 0xffff;
    const std::size_t entry = wideOffsets ? 4 : 2;

    SwfWriter w;
    w.u16(id);
    std::uint8_t flags = 0x80 | 0x04; // layout, 16-bit codes
    if (font.smallText) flags |= 0x20;
    if (wideOffsets) flags |= 0x08;
    if (font.italic) flags |= 0x02;
    if (font.bold) flags |= 0x01;
    w.u8(flags);
    w.u8(font.languageCode);
    w.u8(static_cast<std::uint8_t>(font.name.size()));
    for (char c : font.name)
        w.u8(static_cast<std::uint8_t>(c));
    w.u16(static_cast<std::uint16_t>(n));
    auto offset = [&](std::size_t v) {
        wideOffsets ? w.u32(static_cast<std::uint32_t>(v)) : w.u16(static_cast<std::uint16_t>(v));
    };
    std::size_t at = (n + 1) * entry;
    for (const auto& s : shapes) {
        offset(at);
        at += s.size();
    }
    offset(at); // the code table
    for (const auto& s : shapes)
        w.bytes(s);
    for (const auto& g : font.glyphs)
        w.u16(g.code);
    w.u16(static_cast<std::uint16_t>(font.ascent));
    w.u16(static_cast<std::uint16_t>(font.descent));
    w.s16(font.leading);
    for (const auto& g : font.glyphs)
        w.s16(g.advance);
    for (const auto& g : font.glyphs)
        writeRect(w, edgeBounds(g.contours));
    w.u16(0); // no kerning pairs
    return tag(swf::kTagDefineFont2, w.data());
}

std::vector<Glyph> parseGlyphOutlines(std::string_view text) {
    std::vector<Glyph> glyphs;
    std::istringstream in{std::string(text)};
    std::string line;
    int lineNo = 0;
    auto fail = [&](const char* why) {
        throw std::invalid_argument("glyph outlines, line " + std::to_string(lineNo) + ": " + why);
    };
    auto unit = [&](double v) {
        if (!std::isfinite(v) || std::abs(v) > 8192) fail("coordinate out of range");
        return static_cast<std::int32_t>(std::lround(v));
    };
    auto closeContour = [](Glyph& g) {
        if (g.contours.empty()) return;
        auto& c = g.contours.back();
        const Point end = c.edges.empty() ? c.start : c.edges.back().to;
        if (!(end == c.start)) c.edges.push_back({false, {}, c.start});
    };
    while (std::getline(in, line)) {
        ++lineNo;
        std::istringstream l(line);
        std::string op;
        if (!(l >> op) || op[0] == '#') continue;
        if (op == "glyph") {
            std::string ch;
            int advance = 0;
            if (!(l >> ch >> advance) || ch.size() != 1 || advance < 0 || advance > 32767)
                fail("expected: glyph CHARACTER ADVANCE");
            if (!glyphs.empty()) closeContour(glyphs.back());
            glyphs.push_back(
                {static_cast<std::uint8_t>(ch[0]), static_cast<std::int16_t>(advance), {}});
            continue;
        }
        if (glyphs.empty()) fail("outline before the first glyph");
        Glyph& g = glyphs.back();
        double v[4];
        if (op == "M") {
            if (!(l >> v[0] >> v[1])) fail("expected: M x y");
            closeContour(g);
            Path p;
            p.start = {unit(v[0]), unit(v[1])};
            g.contours.push_back(std::move(p));
        } else if (op == "L" || op == "Q") {
            if (g.contours.empty()) fail("edge before M");
            const bool curve = op == "Q";
            for (int i = 0; i < (curve ? 4 : 2); ++i)
                if (!(l >> v[i])) fail(curve ? "expected: Q cx cy x y" : "expected: L x y");
            Edge e;
            e.curved = curve;
            if (curve) {
                e.control = {unit(v[0]), unit(v[1])};
                e.to = {unit(v[2]), unit(v[3])};
            } else {
                e.to = {unit(v[0]), unit(v[1])};
            }
            g.contours.back().edges.push_back(e);
        } else {
            fail("unknown line");
        }
    }
    if (!glyphs.empty()) closeContour(glyphs.back());
    return glyphs;
}

Bytes defineEditText(std::uint16_t id, const EditText& f) {
    SwfWriter w;
    w.u16(id);
    writeRect(w, f.bounds);
    const bool hasText = !f.text.empty();
    // HasText, WordWrap, Multiline, Password, ReadOnly, HasTextColor, HasMaxLength, HasFont.
    w.u8(static_cast<std::uint8_t>((hasText ? 0x80 : 0) | (f.readOnly ? 0x08 : 0) | 0x04 | 0x01));
    // HasFontClass, AutoSize, HasLayout, NoSelect, Border, WasStatic, HTML, UseOutlines.
    w.u8(static_cast<std::uint8_t>((f.autoSize ? 0x40 : 0) | 0x20 | (f.selectable ? 0 : 0x10) |
                                   (f.border ? 0x08 : 0) | (f.html ? 0x02 : 0) |
                                   (f.useOutlines ? 0x01 : 0)));
    w.u16(f.font);
    w.u16(f.height);
    writeRgba(w, f.color);
    w.u8(static_cast<std::uint8_t>(f.align));
    w.u16(0); // left margin
    w.u16(0); // right margin
    w.u16(0); // indent
    w.s16(0); // leading
    w.string(f.variable);
    if (hasText) w.string(f.text);
    return tag(swf::kTagDefineEditText, w.data());
}

} // namespace zimo::movie
