#include "swf_reader.h"

#include <zlib.h>

namespace movietest {

std::uint32_t Reader::ub(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        if (bit_ / 8 >= data_.size()) throw ReadError("read past the end");
        v = (v << 1) | ((data_[bit_ / 8] >> (7 - bit_ % 8)) & 1u);
        ++bit_;
    }
    return v;
}

std::int32_t Reader::sb(int n) {
    if (n == 0) return 0;
    std::uint32_t v = ub(n);
    if (n < 32 && (v & (1u << (n - 1)))) v |= ~((1u << n) - 1);
    return static_cast<std::int32_t>(v);
}

std::uint8_t Reader::u8() {
    align();
    return static_cast<std::uint8_t>(ub(8));
}

std::uint16_t Reader::u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t Reader::u32() {
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

std::string Reader::str() {
    std::string s;
    for (std::uint8_t c = u8(); c != 0; c = u8())
        s += static_cast<char>(c);
    return s;
}

View Reader::take(std::size_t n) {
    align();
    if (offset() + n > data_.size()) throw ReadError("block past the end");
    View v = data_.subspan(offset(), n);
    bit_ += n * 8;
    return v;
}

Rect readRect(Reader& r) {
    r.align();
    const int n = static_cast<int>(r.ub(5));
    Rect rc{r.sb(n), r.sb(n), r.sb(n), r.sb(n)};
    r.align();
    return rc;
}

Matrix readMatrix(Reader& r) {
    r.align();
    Matrix m;
    if (r.ub(1)) {
        const int n = static_cast<int>(r.ub(5));
        m.sx = r.sb(n);
        m.sy = r.sb(n);
    }
    if (r.ub(1)) {
        const int n = static_cast<int>(r.ub(5));
        m.r0 = r.sb(n);
        m.r1 = r.sb(n);
    }
    const int n = static_cast<int>(r.ub(5));
    m.tx = r.sb(n);
    m.ty = r.sb(n);
    r.align();
    return m;
}

Cxform readCxformWithAlpha(Reader& r) {
    r.align();
    Cxform c;
    const bool hasAdd = r.ub(1), hasMult = r.ub(1);
    const int n = static_cast<int>(r.ub(4));
    if (hasMult)
        for (int& v : c.mult)
            v = r.sb(n);
    if (hasAdd)
        for (int& v : c.add)
            v = r.sb(n);
    r.align();
    return c;
}

std::vector<Tag> readTags(View data) {
    Reader r(data);
    std::vector<Tag> tags;
    while (true) {
        if (r.atEnd()) throw ReadError("no End tag");
        const std::uint16_t head = r.u16();
        std::uint32_t length = head & 0x3f;
        if (length == 0x3f) length = r.u32();
        tags.push_back({head >> 6, r.take(length)});
        if (tags.back().code == 0) break;
    }
    if (!r.atEnd()) throw ReadError("bytes after the End tag");
    return tags;
}

Movie readMovie(const Bytes& file) {
    if (file.size() < 10) throw ReadError("too short");
    Movie m;
    m.signature.assign(file.begin(), file.begin() + 3);
    m.version = file[3];
    m.declaredLength = file[4] | (file[5] << 8) | (file[6] << 16) | (std::uint32_t(file[7]) << 24);
    m.zlib0 = file[8];
    m.zlib1 = file[9];
    if (m.declaredLength < 8 || m.declaredLength > (64u << 20)) throw ReadError("bad length");
    m.body.resize(m.declaredLength - 8);
    uLongf outLen = m.body.size();
    if (uncompress(m.body.data(), &outLen, file.data() + 8, file.size() - 8) != Z_OK ||
        outLen != m.body.size())
        throw ReadError("the zlib stream does not hold the declared length");
    Reader r(m.body);
    m.stage = readRect(r);
    m.frameRate = r.u16();
    m.frameCount = r.u16();
    m.tags = readTags(View(m.body).subspan(r.offset()));
    return m;
}

Place readPlaceObject2(View body) {
    Reader r(body);
    Place p;
    const std::uint8_t flags = r.u8();
    p.depth = r.u16();
    if (flags & 0x02) p.character = r.u16();
    if (flags & 0x04) p.matrix = readMatrix(r);
    if (flags & 0x08) p.cxform = readCxformWithAlpha(r);
    if (flags & 0x10) r.u16();
    if (flags & 0x20) p.name = r.str();
    if (flags & 0x40) p.clipDepth = r.u16();
    if (flags & 0x80) throw ReadError("clip actions not expected");
    if (r.offset() != body.size()) throw ReadError("PlaceObject2 length mismatch");
    return p;
}

std::vector<std::vector<Tag>> framesOf(const std::vector<Tag>& tags) {
    std::vector<std::vector<Tag>> frames(1);
    for (const auto& t : tags) {
        if (t.code == 0) break;
        if (t.code == 1)
            frames.emplace_back();
        else
            frames.back().push_back(t);
    }
    if (frames.back().empty()) frames.pop_back();
    return frames;
}

bool isDefinition(int code) {
    switch (code) {
    case 2:
    case 22:
    case 32:
    case 83:
    case 34:
    case 37:
    case 39:
    case 48:
    case 60:
        return true;
    default:
        return false;
    }
}

std::map<std::uint16_t, Tag> dictionary(const std::vector<Tag>& rootTags) {
    std::map<std::uint16_t, Tag> d;
    for (const auto& t : rootTags)
        if (isDefinition(t.code) && t.body.size() >= 2) d.emplace(t.body[0] | (t.body[1] << 8), t);
    return d;
}

std::vector<Tag> spriteTags(View body, std::uint16_t* frameCount) {
    Reader r(body);
    r.u16();
    const std::uint16_t frames = r.u16();
    if (frameCount) *frameCount = frames;
    return readTags(body.subspan(4));
}

} // namespace movietest

#include <algorithm>
#include <cmath>

namespace movietest {

namespace {

std::uint32_t readColour(Reader& r, bool alpha) {
    std::uint32_t c = 0;
    for (int i = 0; i < 3; ++i)
        c = (c << 8) | r.u8();
    return (c << 8) | (alpha ? r.u8() : 0xff);
}

} // namespace

std::vector<ShapePath> readShapeRecords(Reader& r, int fillBits, int lineBits) {
    std::vector<ShapePath> paths;
    int x = 0, y = 0, f0 = 0, f1 = 0, ln = 0;
    while (true) {
        if (r.ub(1) == 0) {
            const std::uint32_t flags = r.ub(5);
            if (flags == 0) break;
            if (flags & 0x10) throw ReadError("new styles not expected");
            if (flags & 0x01) {
                const int n = static_cast<int>(r.ub(5));
                x = r.sb(n);
                y = r.sb(n);
            }
            if (flags & 0x02) f0 = static_cast<int>(r.ub(fillBits));
            if (flags & 0x04) f1 = static_cast<int>(r.ub(fillBits));
            if (flags & 0x08) ln = static_cast<int>(r.ub(lineBits));
            paths.push_back({f0, f1, ln, x, y, {}});
            continue;
        }
        if (paths.empty()) throw ReadError("edge before any style change");
        const bool straight = r.ub(1);
        const int n = static_cast<int>(r.ub(4)) + 2;
        if (straight) {
            int dx = 0, dy = 0;
            if (r.ub(1)) {
                dx = r.sb(n);
                dy = r.sb(n);
            } else if (r.ub(1)) {
                dy = r.sb(n);
            } else {
                dx = r.sb(n);
            }
            x += dx;
            y += dy;
            paths.back().edges.push_back({false, 0, 0, x, y});
        } else {
            const int cx = x + r.sb(n), cy = y + r.sb(n);
            x = cx + r.sb(n);
            y = cy + r.sb(n);
            paths.back().edges.push_back({true, cx, cy, x, y});
        }
    }
    r.align();
    return paths;
}

ShapeInfo readShape(int code, View body) {
    ShapeInfo s;
    s.version = code == 2 ? 1 : code == 22 ? 2 : code == 32 ? 3 : code == 83 ? 4 : 0;
    if (!s.version) throw ReadError("not a shape");
    Reader r(body);
    s.id = r.u16();
    s.bounds = readRect(r);
    if (s.version == 4) {
        s.edgeBounds = readRect(r);
        s.shape4Flags = r.u8();
    }
    const bool alpha = s.version >= 3;
    auto count = [&] {
        int n = r.u8();
        if (n == 0xff && s.version >= 2) n = r.u16();
        return n;
    };
    for (int i = count(); i > 0; --i) {
        FillInfo f{r.u8(), 0, {}, {}};
        if (f.type == 0x00) {
            f.rgba = readColour(r, alpha);
        } else if (f.type == 0x10) {
            f.matrix = readMatrix(r);
            const int stops = r.u8() & 0x0f;
            for (int k = 0; k < stops; ++k) {
                const int pos = r.u8();
                f.stops.emplace_back(pos, readColour(r, alpha));
            }
        } else {
            throw ReadError("unexpected fill type");
        }
        s.fills.push_back(f);
    }
    for (int i = count(); i > 0; --i) {
        LineInfo l{r.u16(), 0};
        if (s.version == 4) {
            l.startCap = static_cast<int>(r.ub(2));
            const int join = static_cast<int>(r.ub(2));
            const bool hasFill = r.ub(1);
            l.noHScale = r.ub(1);
            l.noVScale = r.ub(1);
            r.ub(1);
            r.ub(5);
            r.ub(1);
            l.endCap = static_cast<int>(r.ub(2));
            if (join == 2) r.u16();
            if (hasFill) throw ReadError("filled lines not expected");
        }
        l.rgba = readColour(r, alpha);
        s.lines.push_back(l);
    }
    r.align();
    const int fillBits = static_cast<int>(r.ub(4)), lineBits = static_cast<int>(r.ub(4));
    s.paths = readShapeRecords(r, fillBits, lineBits);
    for (const auto& p : s.paths)
        if (p.fill0 > int(s.fills.size()) || p.fill1 > int(s.fills.size()) ||
            p.line > int(s.lines.size()))
            throw ReadError("style index out of range");
    if (r.offset() != body.size()) throw ReadError("shape length mismatch");
    return s;
}

Rect geometricBounds(const std::vector<ShapePath>& paths, const std::vector<LineInfo>& lines) {
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (const auto& p : paths) {
        const double h = p.line ? lines.at(p.line - 1).width / 2.0 : 0;
        auto add = [&](double x, double y) {
            x0 = std::min(x0, x - h);
            x1 = std::max(x1, x + h);
            y0 = std::min(y0, y - h);
            y1 = std::max(y1, y + h);
        };
        double px = p.x, py = p.y;
        add(px, py);
        for (const auto& e : p.edges) {
            if (e.curved)
                for (int i = 1; i < 64; ++i) {
                    const double t = i / 64.0;
                    add((1 - t) * (1 - t) * px + 2 * t * (1 - t) * e.cx + t * t * e.x,
                        (1 - t) * (1 - t) * py + 2 * t * (1 - t) * e.cy + t * t * e.y);
                }
            add(e.x, e.y);
            px = e.x;
            py = e.y;
        }
    }
    return {int(std::floor(x0 + 1e-6)), int(std::ceil(x1 - 1e-6)), int(std::floor(y0 + 1e-6)),
            int(std::ceil(y1 - 1e-6))};
}

} // namespace movietest
