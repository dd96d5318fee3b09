// Drawing text: fields from their embedded glyph outlines (or a system font when the
// field has none), and static text runs.
#pragma once

#include "display/edit_text.h"
#include "display/static_text_item.h"
#include "swf/movie.h"

#include <QPainter>

namespace zimo::render {

// One laid-out line of a field: where its baseline starts and how wide it is.
struct TextLine {
    QString text;
    double x = 0;
    double baseline = 0;
    double width = 0;
};

// Lays out a field's text inside its rectangle: a 2 px gutter, the margins and indent,
// the alignment, the font's ascent, descent and the field's leading.
std::vector<TextLine> layoutField(const swf::EditTextDef& def, const swf::FontDef* font,
                                  const QString& text);

void drawEditText(QPainter& painter, const display::EditText& field, const QTransform& world,
                  const swf::ColorTransform& cx);

void drawStaticText(QPainter& painter, const display::StaticTextItem& item, const swf::Movie& movie,
                    const QTransform& world, const swf::ColorTransform& cx);

} // namespace zimo::render
