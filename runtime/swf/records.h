// The basic records of SWF tags: rectangles, matrices, colours and colour transforms.
#pragma once

#include "swf/reader.h"
#include "swf/types.h"

namespace zimo::swf {

// A RECT record, converted to pixels.
QRectF readRect(Reader& r);
// A MATRIX record; translation converted to pixels.
Matrix readMatrix(Reader& r);
// A CXFORM (RGB only) or CXFORMWITHALPHA record.
ColorTransform readColorTransform(Reader& r, bool withAlpha);
Rgba readRgb(Reader& r);
Rgba readRgba(Reader& r);

} // namespace zimo::swf
