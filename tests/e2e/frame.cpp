#include "frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

int Spread(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    return std::max({r, g, b}) - std::min({r, g, b});
}

} // namespace

bool IsBlack(QRgb c) {
    return std::max({qRed(c), qGreen(c), qBlue(c)}) < 48;
}

bool IsWhite(QRgb c) {
    return std::min({qRed(c), qGreen(c), qBlue(c)}) > 200;
}

bool IsPanelGrey(QRgb c) {
    return Spread(c) <= 8 && qGreen(c) >= 0xC8 && qGreen(c) <= 0xFA;
}

bool IsRed(QRgb c) {
    return qRed(c) > 180 && qGreen(c) < 120 && qBlue(c) < 120;
}

int DifferingPixels(const Frame& a, const Frame& b, const QRect& area) {
    if (a.width() != b.width() || a.height() != b.height()) return area.width() * area.height();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.at(x, y), q = b.at(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 24 || std::abs(qGreen(p) - qGreen(q)) > 24 ||
                std::abs(qBlue(p) - qBlue(q)) > 24)
                ++count;
        }
    return count;
}

double LitPartOfRow(const Frame& f, int y, int from, int to) {
    if (to <= from) return 0;
    int lit = 0;
    for (int x = from; x < to; ++x)
        lit += IsBlack(f.at(x, y)) ? 0 : 1;
    return double(lit) / (to - from);
}

double LitPartOfColumn(const Frame& f, int x, int from, int to) {
    if (to <= from) return 0;
    int lit = 0;
    for (int y = from; y < to; ++y)
        lit += IsBlack(f.at(x, y)) ? 0 : 1;
    return double(lit) / (to - from);
}

int CountPixels(const Frame& f, const QRect& area, bool (*is)(QRgb)) {
    const QRect inside = area.intersected(f.stage());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += is(f.at(x, y)) ? 1 : 0;
    return count;
}

namespace {

// The first and last lit column between rows from and to, and the same for rows.
std::pair<int, int> LitColumns(const Frame& f, int from, int to) {
    int first = -1, last = -1;
    for (int x = 0; x < f.width(); ++x)
        if (LitPartOfColumn(f, x, from, to) > 0.5) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

std::pair<int, int> LitRows(const Frame& f, int from, int to, int lastRow) {
    int first = -1, last = -1;
    for (int y = 0; y <= lastRow; ++y)
        if (LitPartOfRow(f, y, from, to) > 0.5) {
            if (first < 0) first = y;
            last = y;
        }
    return {first, last};
}

} // namespace

QRect PictureRect(const Frame& f) {
    // Columns over the whole height, rows between those columns, then the columns again
    // between those rows: a narrow picture and a flat one are both found.
    const int lastRow = f.pictureArea().bottom();
    auto [left, right] = LitColumns(f, 0, lastRow + 1);
    if (left < 0) return {};
    const auto [top, bottom] = LitRows(f, left, right + 1, lastRow);
    if (top < 0) return {};
    std::tie(left, right) = LitColumns(f, top, bottom + 1);
    if (left < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRectF ExpectedPictureRect(const Frame& f, double ratio) {
    const double w = f.width(), h = f.height();
    if (ratio > w / h) {
        const double height = w / ratio;
        return QRectF(0, (h - height) / 2, w, height);
    }
    const double width = h * ratio;
    return QRectF((w - width) / 2, 0, width, h);
}

bool SameRect(const QRect& found, const QRectF& expected, double tolerance, int stageHeight) {
    if (found.isEmpty()) return false;
    // Found edges are the first and last lit pixels; expected ones are exclusive.
    const bool sides = std::abs(found.left() - expected.left()) <= tolerance &&
                       std::abs(found.right() + 1 - expected.right()) <= tolerance &&
                       std::abs(found.top() - expected.top()) <= tolerance;
    // The bottom edge is seen only when it lies above the control band.
    const double visibleBottom = stageHeight - Frame::ControlBand;
    if (expected.bottom() >= visibleBottom - tolerance)
        return sides && found.bottom() + 1 >= visibleBottom - tolerance;
    return sides && std::abs(found.bottom() + 1 - expected.bottom()) <= tolerance;
}
