// The time display: three one-line fields in the embedded font Arial_14pt_st.
#include "stage.h"

#include "glyph_outlines.h"
#include "text.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace zimo::movie::stage {

namespace {

// Advances per 1024 em; all the display ever shows is digits, ":", "/" and "-".
const std::map<char, std::int16_t> kAdvances = {
    {'-', 341}, {'/', 285}, {'0', 570}, {'1', 570}, {'2', 570}, {'3', 570}, {'4', 570},
    {'5', 570}, {'6', 570}, {'7', 570}, {'8', 570}, {'9', 570}, {':', 285},
};

Font timeFont() {
    Font f;
    f.name = "Arial_14pt_st";
    f.smallText = true;
    f.languageCode = 1; // Latin
    f.ascent = 927;
    f.descent = 217;
    f.leading = 120;
    for (auto& g : parseGlyphOutlines(kGlyphOutlines)) {
        const auto advance = kAdvances.find(static_cast<char>(g.code));
        if (advance == kAdvances.end()) continue;
        g.advance = advance->second;
        f.glyphs.push_back(std::move(g));
    }
    if (f.glyphs.size() != kAdvances.size())
        throw std::runtime_error("the glyph outlines lack some of the time display's characters");
    std::sort(f.glyphs.begin(), f.glyphs.end(),
              [](const Glyph& a, const Glyph& b) { return a.code < b.code; });
    return f;
}

EditText field(std::uint16_t font, Rect box, TextAlign align, std::string variable,
               std::string text) {
    EditText e;
    e.bounds = box;
    e.font = font;
    e.height = static_cast<std::uint16_t>(twips(14));
    e.color = rgb(0x000000);
    e.align = align;
    e.variable = std::move(variable);
    e.text = std::move(text);
    return e;
}

Rect box(double x0, double x1, double y0, double y1) {
    return {twips(x0), twips(x1), twips(y0), twips(y1)};
}

} // namespace

std::uint16_t defineTimeDisplay(Library& lib) {
    const Font font = timeFont();
    const auto fontId = lib.define([&](std::uint16_t id) { return defineFont2(id, font); });
    auto defineField = [&](const EditText& e) {
        return lib.define([&](std::uint16_t id) { return defineEditText(id, e); });
    };
    // Elapsed time from the left edge, total time to the right edge; the script writes both
    // variables on every frame tick.
    const auto elapsed = defineField(
        field(fontId, box(-4.20, 37.85, -2, 17.60), TextAlign::Left, "seek_time", "07:40"));
    const auto separator =
        defineField(field(fontId, box(-4.20, 6, -2, 17.60), TextAlign::Center, "", "/"));
    const auto total = defineField(
        field(fontId, box(-1.20, 39.80, -2, 17.60), TextAlign::Right, "seek_total_time", "07:40"));

    Timeline t;
    t.place({1, total, "", Matrix::scaled(49, 2, 1.02438, 1), std::nullopt, 0});
    t.place({2, elapsed, "", Matrix::scaled(4, 2, 0.99881, 1), std::nullopt, 0});
    t.place({3, separator, "timeseparator", Matrix::at(44, 2), std::nullopt, 0});
    t.showFrame();
    return lib.sprite(t);
}

} // namespace zimo::movie::stage
