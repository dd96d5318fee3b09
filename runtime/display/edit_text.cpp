#include "display/edit_text.h"

namespace zimo::display {

EditText::EditText(std::shared_ptr<const swf::EditTextDef> def,
                   std::shared_ptr<const swf::FontDef> font)
    : DisplayObject(ItemKind::EditText, def->id), def_(std::move(def)), font_(std::move(font)) {
    text_ = def_->initialText;
}

void EditText::setText(const QString& text) {
    if (def_->maxLength && *def_->maxLength > 0 && text.size() > *def_->maxLength)
        text_ = text.left(*def_->maxLength);
    else
        text_ = text;
}

QString plainText(const swf::EditTextDef& def, const QString& text) {
    if (!def.html) return text;
    QString out;
    out.reserve(text.size());
    bool inTag = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inTag) {
            if (c == QLatin1Char('>')) inTag = false;
            continue;
        }
        if (c == QLatin1Char('<')) {
            // A closing paragraph or a line break ends the line.
            const auto tag = text.mid(i, 4).toLower();
            if (tag.startsWith(QLatin1String("<br")) || tag.startsWith(QLatin1String("</p")))
                out += QLatin1Char('\n');
            inTag = true;
            continue;
        }
        out += c;
    }
    out.replace(QLatin1String("&lt;"), QLatin1String("<"));
    out.replace(QLatin1String("&gt;"), QLatin1String(">"));
    out.replace(QLatin1String("&quot;"), QLatin1String("\""));
    out.replace(QLatin1String("&apos;"), QLatin1String("'"));
    out.replace(QLatin1String("&amp;"), QLatin1String("&"));
    while (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

} // namespace zimo::display
