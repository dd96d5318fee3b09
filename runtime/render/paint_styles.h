// Brushes and pens for a shape's fill and line styles under a colour transform.
#pragma once

#include "swf/shape.h"

#include <QBrush>
#include <QPen>
#include <QTransform>

namespace zimo::render {

// The brush for a fill style in the shape's units (gradients carry their own brush
// transform). Bitmap fills give Qt::NoBrush.
QBrush fillBrush(const swf::FillStyle& fill, const swf::ColorTransform& cx);

// The pen width in device pixels for a line style drawn through `world`: the width
// follows the item's scaling except along the axes its flags exclude; a hairline (0) is
// one device pixel.
double strokeWidth(const swf::LineStyle& line, const QTransform& world);

// A pen for a line style in device units (the path is mapped to the device first).
QPen strokePen(const swf::LineStyle& line, const QTransform& world, const swf::ColorTransform& cx);

} // namespace zimo::render
