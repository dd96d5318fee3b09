#include "render/text_painter.h"

#include <QFontMetricsF>

namespace zimo::render {

namespace {

constexpr double kGutter = 2.0;

bool usesGlyphs(const swf::FontDef* font) {
    return font && !font->glyphs.empty();
}

QFont systemFont(const swf::EditTextDef& def, const swf::FontDef* font) {
    QFont f(font && !font->name.isEmpty() ? font->name : QStringLiteral("Liberation Sans"));
    f.setPixelSize(std::max(1, static_cast<int>(def.fontHeight + 0.5)));
    if (font) {
        f.setBold(font->bold);
        f.setItalic(font->italic);
    }
    return f;
}

double glyphAdvance(const swf::FontDef& font, int index, double scale) {
    const auto& g = font.glyphs[static_cast<std::size_t>(index)];
    if (font.hasLayout) return g.advance * scale;
    return g.bounds.isNull() ? 0 : g.bounds.right() * scale;
}

double lineWidth(const swf::EditTextDef& def, const swf::FontDef* font, const QString& line) {
    if (usesGlyphs(font)) {
        const double scale = def.fontHeight / font->unitsPerEm;
        double w = 0;
        for (QChar c : line) {
            const int index = font->glyphIndex(c.unicode());
            if (index >= 0) w += glyphAdvance(*font, index, scale);
        }
        return w;
    }
    return QFontMetricsF(systemFont(def, font)).horizontalAdvance(line);
}

} // namespace

std::vector<TextLine> layoutField(const swf::EditTextDef& def, const swf::FontDef* font,
                                  const QString& text) {
    double ascent = def.fontHeight * 0.9, descent = def.fontHeight * 0.2;
    if (usesGlyphs(font) && font->hasLayout) {
        const double scale = def.fontHeight / font->unitsPerEm;
        ascent = font->ascent * scale;
        descent = font->descent * scale;
    } else if (!usesGlyphs(font)) {
        const QFontMetricsF fm(systemFont(def, font));
        ascent = fm.ascent();
        descent = fm.descent();
    }
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = def.multiline ? normalized.split(QLatin1Char('\n'))
                                      : QStringList{normalized.section(QLatin1Char('\n'), 0, 0)};
    std::vector<TextLine> out;
    const double left = def.bounds.left() + kGutter + def.leftMargin;
    const double right = def.bounds.right() - kGutter - def.rightMargin;
    double baseline = def.bounds.top() + kGutter + ascent;
    bool first = true;
    for (const QString& l : lines) {
        TextLine line;
        line.text = def.password ? QString(l.size(), QLatin1Char('*')) : l;
        line.width = lineWidth(def, font, line.text);
        line.baseline = baseline;
        switch (def.align) {
        case swf::TextAlign::Right:
            line.x = right - line.width;
            break;
        case swf::TextAlign::Center:
            line.x = (left + right - line.width) / 2;
            break;
        case swf::TextAlign::Left:
        case swf::TextAlign::Justify:
            line.x = left + (first ? def.indent : 0);
            break;
        }
        out.push_back(std::move(line));
        baseline += ascent + descent + def.leading;
        first = false;
    }
    return out;
}

void drawEditText(QPainter& painter, const display::EditText& field, const QTransform& world,
                  const swf::ColorTransform& cx) {
    const auto& def = field.def();
    painter.setTransform(world);
    if (def.border) {
        painter.fillRect(def.bounds, cx.applyTo({255, 255, 255, 255}));
        QPen pen(cx.applyTo({0, 0, 0, 255}));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(def.bounds);
    }
    const QString text = display::plainText(def, field.text());
    if (text.isEmpty()) return;
    const QColor color = cx.applyTo(def.hasTextColor ? def.textColor : swf::Rgba{0, 0, 0, 255});
    if (color.alpha() == 0) return;
    const swf::FontDef* font = field.font();
    painter.save();
    painter.setClipRect(def.bounds, Qt::IntersectClip);
    const auto lines = layoutField(def, font, text);
    if (usesGlyphs(font)) {
        const double scale = def.fontHeight / font->unitsPerEm;
        for (const auto& line : lines) {
            double x = line.x;
            for (QChar c : line.text) {
                const int index = font->glyphIndex(c.unicode());
                if (index < 0) continue;
                const auto& glyph = font->glyphs[static_cast<std::size_t>(index)];
                painter.setTransform(QTransform(scale, 0, 0, scale, x, line.baseline) * world);
                painter.fillPath(glyph.path, color);
                x += glyphAdvance(*font, index, scale);
            }
        }
    } else {
        painter.setFont(systemFont(def, font));
        painter.setPen(color);
        for (const auto& line : lines)
            painter.drawText(QPointF(line.x, line.baseline), line.text);
    }
    painter.restore();
}

void drawStaticText(QPainter& painter, const display::StaticTextItem& item, const swf::Movie& movie,
                    const QTransform& world, const swf::ColorTransform& cx) {
    const auto& def = item.def();
    const QTransform textToWorld = def.matrix.toQTransform() * world;
    for (const auto& run : def.runs) {
        const auto font = movie.get<swf::FontDef>(run.fontId);
        if (!font) continue;
        const QColor color = cx.applyTo(run.color);
        const double scale = run.height / font->unitsPerEm;
        double x = run.x;
        for (const auto& g : run.glyphs) {
            if (g.index < font->glyphs.size()) {
                painter.setTransform(QTransform(scale, 0, 0, scale, x, run.y) * textToWorld);
                painter.fillPath(font->glyphs[g.index].path, color);
            }
            x += g.advance;
        }
    }
}

} // namespace zimo::render
