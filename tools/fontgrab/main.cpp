// fontgrab: writes the outlines of the time display's glyphs as text.
//   fontgrab [FONT.ttf] > movie/font/glyphs.txt
// The outlines are read at the font's own design size, so the TrueType quadratic curves come
// back exactly, and are written scaled to an em of 1024 units, y growing downwards.
#include <QGuiApplication>
#include <QPainterPath>
#include <QRawFont>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double kEm = 1024.0;
const char* const kDefaultFont = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const char* const kCharacters = "-/0123456789:";

// Design units are integers; half-units remain after scaling to 1024, nothing finer.
double scaled(double designUnits, double unitsPerEm) {
    return std::round(designUnits * kEm / unitsPerEm * 2.0) / 2.0;
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v == 0.0 ? 0.0 : v);
    return buf;
}

struct Pt {
    double x, y;
};

bool near(Pt a, Pt b) {
    return std::abs(a.x - b.x) < 0.02 && std::abs(a.y - b.y) < 0.02;
}

// Writes one glyph's contours. Qt hands quadratic curves back as cubic ones with the control
// points at 1/3 and 2/3; the quadratic control point is recovered from either.
bool writeGlyph(const QPainterPath& path, double upem, std::string& out) {
    auto pt = [&](const QPainterPath::Element& e) {
        return Pt{scaled(e.x, upem), scaled(e.y, upem)};
    };
    Pt start{0, 0}, pen{0, 0};
    for (int i = 0; i < path.elementCount(); ++i) {
        const auto& e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (i > 0 && !near(pen, start))
                out += "L " + number(start.x) + " " + number(start.y) + "\n";
            start = pen = pt(e);
            out += "M " + number(pen.x) + " " + number(pen.y) + "\n";
        } else if (e.isLineTo()) {
            Pt to = pt(e);
            if (!near(to, pen)) out += "L " + number(to.x) + " " + number(to.y) + "\n";
            pen = to;
        } else if (e.isCurveTo()) {
            if (i + 2 >= path.elementCount()) return false;
            const auto& c1 = e;
            const auto& c2 = path.elementAt(i + 1);
            const auto& end = path.elementAt(i + 2);
            const auto& from = path.elementAt(i - 1);
            Pt q1{(3 * c1.x - from.x) / 2, (3 * c1.y - from.y) / 2};
            Pt q2{(3 * c2.x - end.x) / 2, (3 * c2.y - end.y) / 2};
            if (!near(q1, q2)) return false; // a true cubic: not from a TrueType outline
            Pt control{scaled(q1.x, upem), scaled(q1.y, upem)};
            Pt to = pt(end);
            out += "Q " + number(control.x) + " " + number(control.y) + " " + number(to.x) + " " +
                   number(to.y) + "\n";
            pen = to;
            i += 2;
        }
    }
    if (path.elementCount() > 0 && !near(pen, start))
        out += "L " + number(start.x) + " " + number(start.y) + "\n";
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString fontPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(kDefaultFont);

    QRawFont probe(fontPath, 12, QFont::PreferNoHinting);
    if (!probe.isValid()) {
        std::fprintf(stderr, "fontgrab: cannot read %s\n", qPrintable(fontPath));
        return 1;
    }
    const double upem = probe.unitsPerEm();
    QRawFont font(fontPath, upem, QFont::PreferNoHinting);

    std::string out = "# Glyph outlines of " + font.familyName().toStdString() + " " +
                      font.styleName().toStdString() + ", written by tools/fontgrab.\n" +
                      "# Units of 1/1024 em, y growing downwards, the baseline at y 0.\n"
                      "# glyph CHARACTER ADVANCE, then its contours, each closed:\n"
                      "#   M x y          starts a contour\n"
                      "#   L x y          straight line to (x, y)\n"
                      "#   Q cx cy x y    quadratic curve with control point (cx, cy) to (x, y)\n";
    for (const char* c = kCharacters; *c; ++c) {
        const auto glyphs = font.glyphIndexesForString(QString(QChar(*c)));
        if (glyphs.size() != 1 || glyphs[0] == 0) {
            std::fprintf(stderr, "fontgrab: the font has no glyph for '%c'\n", *c);
            return 1;
        }
        const auto advances = font.advancesForGlyphIndexes(glyphs);
        out += std::string("glyph ") + *c + " " + number(std::round(advances[0].x() * kEm / upem)) +
               "\n";
        if (!writeGlyph(font.pathForGlyph(glyphs[0]), upem, out)) {
            std::fprintf(stderr, "fontgrab: '%c' has curves that are not quadratic\n", *c);
            return 1;
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
