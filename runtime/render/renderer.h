// Draws a display list with QPainter, anti-aliased: shapes with their fills and strokes,
// text, video pictures and buttons, through the items' placements and colour
// transforms, with masks clipping the depths they cover.
#pragma once

#include "display/container.h"
#include "display/video_surface.h"
#include "swf/movie.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

namespace zimo::render {

class Renderer {
public:
    // Draws the items inside `root` (not its own placement) through `base`, which maps
    // the root's units to the painter's device.
    void render(QPainter& painter, const display::Container& root, const QTransform& base,
                const swf::ColorTransform& cx = {});

    // The part of the device that opaque pictures, drawn pixel for pixel, cover whole when
    // the items inside `root` are drawn through `base`: nothing drawn before them shows
    // there, so the background need not be filled under them. `dpr` is the device's
    // pixel ratio.
    static QRegion opaqueArea(const display::Container& root, const QTransform& base, qreal dpr);

private:
    void draw(QPainter& painter, const display::DisplayObject& item, const QTransform& world,
              const swf::ColorTransform& cx);
    void drawChildren(QPainter& painter, const display::Container& container,
                      const QTransform& world, const swf::ColorTransform& cx);
    void drawVideo(QPainter& painter, const display::VideoSurface& video, const QTransform& world,
                   const swf::ColorTransform& cx);
    void drawShape(QPainter& painter, const swf::ShapeGeometry& shape, const QTransform& world,
                   const swf::ColorTransform& cx);

    const swf::Movie* movie_ = nullptr;
};

// An item's placement on the stage as the renderer draws it: its own and its parents',
// up to the root, whose own placement the stage does not apply.
QTransform stageTransform(const display::DisplayObject& item);

// The area an item covers as a mask, in device units: the filled areas of its content.
QPainterPath maskArea(const display::DisplayObject& item, const QTransform& world);

} // namespace zimo::render
