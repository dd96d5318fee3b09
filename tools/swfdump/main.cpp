// zimo-swfdump: prints a movie's header and tags, and renders its stage to a PNG.
//   zimo-swfdump FILE.swf
//   zimo-swfdump FILE.swf --render OUT.png [--frame N] [--size WxH] [--noscale]
//                [--set path.prop=value ...]
#include "stage/stage.h"
#include "swf/container.h"
#include "swf/reader.h"
#include "swf/records.h"
#include "swf/tag_codes.h"
#include "swf/tag_stream.h"
#include "swf/timeline.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace zimo;

void printTags(swf::Reader& r, int version, int indent) {
    std::string error;
    const std::string pad(static_cast<std::size_t>(indent) * 2, ' ');
    int frame = 1;
    while (auto tag = swf::nextTag(r, error)) {
        std::printf("%s[%3d] %-22s len %-6zu", pad.c_str(), tag->code, swf::tagName(tag->code),
                    tag->body.size());
        swf::Reader b(tag->body);
        if (swf::definesCharacter(tag->code)) std::printf(" id %u", b.u16());
        switch (tag->code) {
        case swf::kTagDefineShape:
        case swf::kTagDefineShape2:
        case swf::kTagDefineShape3:
        case swf::kTagDefineShape4:
        case swf::kTagDefineEditText: {
            const QRectF box = swf::readRect(b);
            std::printf(" bounds %g..%g x %g..%g", box.left(), box.right(), box.top(),
                        box.bottom());
            break;
        }
        case swf::kTagPlaceObject:
        case swf::kTagPlaceObject2:
        case swf::kTagPlaceObject3: {
            const int v = tag->code == swf::kTagPlaceObject    ? 1
                          : tag->code == swf::kTagPlaceObject2 ? 2
                                                               : 3;
            std::string why;
            if (auto p = swf::parsePlaceObject(b, v, version, why)) {
                std::printf(" depth %u", p->depth);
                if (p->move) std::printf(" move");
                if (p->characterId) std::printf(" char %u", *p->characterId);
                if (p->name) std::printf(" name \"%s\"", p->name->toUtf8().constData());
                if (p->clipDepth) std::printf(" clip %u", *p->clipDepth);
                if (p->matrix)
                    std::printf(" at (%g, %g) scale %g x %g", p->matrix->tx, p->matrix->ty,
                                p->matrix->a, p->matrix->d);
            } else {
                std::printf(" (bad: %s)", why.c_str());
            }
            break;
        }
        case swf::kTagRemoveObject:
        case swf::kTagRemoveObject2: {
            if (auto x = swf::parseRemoveObject(b, tag->code == swf::kTagRemoveObject ? 1 : 2))
                std::printf(" depth %u", x->depth);
            break;
        }
        case swf::kTagFrameLabel:
            std::printf(" \"%s\"", b.cstring().c_str());
            break;
        case swf::kTagShowFrame:
            std::printf(" (frame %d)", frame++);
            break;
        case swf::kTagDefineSprite: {
            std::printf(" frames %u\n", b.u16());
            // Sprites do not nest in a sound movie; a bad one is not followed far.
            if (indent < 4) printTags(b, version, indent + 1);
            continue;
        }
        default:
            break;
        }
        std::printf("\n");
        if (tag->code == swf::kTagEnd) break;
    }
    if (!error.empty()) std::printf("%s!! %s\n", pad.c_str(), error.c_str());
}

display::PropertyValue parseValue(const QString& text) {
    if (text == QLatin1String("true")) return true;
    if (text == QLatin1String("false")) return false;
    bool ok = false;
    const double d = text.toDouble(&ok);
    if (ok) return d;
    return text;
}

int usage() {
    std::fprintf(stderr, "usage: zimo-swfdump FILE.swf [--render OUT.png [--frame N] "
                         "[--size WxH] [--noscale] [--set path.prop=value ...]]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) return usage();
    QString input, output;
    int frame = 0;
    QSize size;
    bool noScale = false;
    std::vector<std::pair<QString, QString>> sets;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == QLatin1String("--render") && more) {
            output = args[++i];
        } else if (a == QLatin1String("--frame") && more) {
            frame = args[++i].toInt();
        } else if (a == QLatin1String("--size") && more) {
            const auto wh = args[++i].split(QLatin1Char('x'));
            if (wh.size() != 2) return usage();
            size = QSize(wh[0].toInt(), wh[1].toInt());
        } else if (a == QLatin1String("--noscale")) {
            noScale = true;
        } else if (a == QLatin1String("--set") && more) {
            const QString s = args[++i];
            const auto eq = s.indexOf(QLatin1Char('='));
            if (eq <= 0) return usage();
            sets.emplace_back(s.left(eq), s.mid(eq + 1));
        } else if (input.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            input = a;
        } else {
            return usage();
        }
    }
    QFile file(input);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(input));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             static_cast<std::size_t>(bytes.size()));
    const auto c = swf::openContainer(data);
    if (!c.ok) {
        std::fprintf(stderr, "bad movie: %s\n", c.error.c_str());
        return 1;
    }
    if (output.isEmpty()) {
        swf::Reader r(c.container.body);
        const QRectF stage = swf::readRect(r);
        const double rate = r.u16() / 256.0;
        const unsigned frames = r.u16();
        std::printf("%s version %u, length %u, stage %g..%g x %g..%g px, %g frames/s, %u frames\n",
                    c.container.compressed ? "CWS" : "FWS", c.container.version,
                    c.container.declaredLength, stage.left(), stage.right(), stage.top(),
                    stage.bottom(), rate, frames);
        printTags(r, c.container.version, 0);
        return 0;
    }
    stage::Stage stage;
    if (!stage.load(data)) {
        std::fprintf(stderr, "bad movie: %s\n", stage.error().c_str());
        return 1;
    }
    if (noScale) stage.setScaleMode(stage::ScaleMode::NoScale);
    if (!size.isValid() || size.isEmpty()) size = stage.movie()->header.stage.size().toSize();
    stage.setViewSize(size);
    if (frame > 0) stage.gotoFrame(frame);
    for (const auto& [path, value] : sets)
        if (!stage.setProperty(path, parseValue(value)))
            std::fprintf(stderr, "cannot set %s\n", qPrintable(path));
    if (!stage.renderImage(size).save(output, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
