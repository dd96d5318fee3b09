#include "render/renderer.h"

#include "display/button_item.h"
#include "display/context.h"
#include "display/edit_text.h"
#include "display/shape_item.h"
#include "display/static_text_item.h"
#include "display/video_surface.h"
#include "render/paint_styles.h"
#include "render/picture_fit.h"
#include "render/text_painter.h"

#include <optional>
#include <vector>

namespace zimo::render {

using display::DisplayObject;
using display::ItemKind;

void Renderer::render(QPainter& painter, const display::Container& root, const QTransform& base,
                      const swf::ColorTransform& cx) {
    movie_ = root.context() ? &root.context()->movie() : nullptr;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawChildren(painter, root, base, cx);
    painter.restore();
}

void Renderer::drawChildren(QPainter& painter, const display::Container& container,
                            const QTransform& world, const swf::ColorTransform& cx) {
    std::vector<int> openMasks; // clip depths of the masks in force, innermost last
    for (const auto& [depth, child] : container.children()) {
        while (!openMasks.empty() && depth > openMasks.back()) {
            painter.restore();
            openMasks.pop_back();
        }
        const QTransform childWorld = child->matrix().toQTransform() * world;
        if (child->isMask()) {
            painter.save();
            painter.setTransform(QTransform());
            painter.setClipPath(maskArea(*child, childWorld), Qt::IntersectClip);
            openMasks.push_back(child->clipDepth());
            continue;
        }
        if (!child->visible()) continue;
        const swf::ColorTransform childCx = cx.after(child->colorTransform());
        if (childCx.hidesEverything()) continue;
        draw(painter, *child, childWorld, childCx);
    }
    for (std::size_t i = 0; i < openMasks.size(); ++i)
        painter.restore();
}

void Renderer::draw(QPainter& painter, const DisplayObject& item, const QTransform& world,
                    const swf::ColorTransform& cx) {
    switch (item.kind()) {
    case ItemKind::Shape:
        drawShape(painter, static_cast<const display::ShapeItem&>(item).def().geometry, world, cx);
        break;
    case ItemKind::MovieClip:
    case ItemKind::Button:
        drawChildren(painter, static_cast<const display::Container&>(item), world, cx);
        break;
    case ItemKind::EditText:
        drawEditText(painter, static_cast<const display::EditText&>(item), world, cx);
        break;
    case ItemKind::StaticText:
        if (movie_)
            drawStaticText(painter, static_cast<const display::StaticTextItem&>(item), *movie_,
                           world, cx);
        break;
    case ItemKind::Video:
        drawVideo(painter, static_cast<const display::VideoSurface&>(item), world, cx);
        break;
    }
}

namespace {

double opacity(const swf::ColorTransform& cx) {
    return std::clamp(cx.am + cx.aa / 255.0, 0.0, 1.0);
}

// Where the surface's picture lands on the device, in device pixels, when it was made for
// exactly that place and is drawn pixel for pixel.
std::optional<QRect> pixelForPixel(const display::VideoSurface& video, const QTransform& world,
                                   qreal dpr) {
    const QImage& picture = video.picture();
    if (picture.isNull()) return std::nullopt;
    const auto fit = fitPicture(video.contentBounds(), world * QTransform::fromScale(dpr, dpr),
                                video.smoothing());
    if (!fit || fit->target != video.pictureTarget() || picture.size() != fit->rect.size())
        return std::nullopt;
    return fit->rect;
}

void collectOpaque(const display::Container& container, const QTransform& world,
                   const swf::ColorTransform& cx, qreal dpr, QRegion& out) {
    int maskedUpTo = -1; // depths clipped by a mask show only in part
    for (const auto& [depth, child] : container.children()) {
        if (child->isMask()) {
            maskedUpTo = std::max(maskedUpTo, child->clipDepth());
            continue;
        }
        if (depth <= maskedUpTo || !child->visible()) continue;
        const swf::ColorTransform childCx = cx.after(child->colorTransform());
        const QTransform childWorld = child->matrix().toQTransform() * world;
        if (child->kind() == ItemKind::MovieClip || child->kind() == ItemKind::Button) {
            collectOpaque(static_cast<const display::Container&>(*child), childWorld, childCx, dpr,
                          out);
        } else if (child->kind() == ItemKind::Video && opacity(childCx) >= 1.0) {
            const auto& video = static_cast<const display::VideoSurface&>(*child);
            if (video.picture().hasAlphaChannel()) continue;
            if (const auto rect = pixelForPixel(video, childWorld, dpr)) out += *rect;
        }
    }
}

} // namespace

QRegion Renderer::opaqueArea(const display::Container& root, const QTransform& base, qreal dpr) {
    QRegion out;
    collectOpaque(root, base, {}, dpr, out);
    return out;
}

void Renderer::drawVideo(QPainter& painter, const display::VideoSurface& video,
                         const QTransform& world, const swf::ColorTransform& cx) {
    const QImage& picture = video.picture();
    if (picture.isNull()) return;
    const media::PictureTarget& made = video.pictureTarget();
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    painter.save();
    painter.setOpacity(opacity(cx));
    if (const auto rect = pixelForPixel(video, world, dpr)) {
        // Made for this place: pixel for pixel, no second scaling.
        painter.setTransform(QTransform::fromScale(1 / dpr, 1 / dpr));
        painter.drawImage(rect->topLeft(), picture);
    } else {
        // Made for another place or size (for a moment, until the stream makes it again),
        // or a placement no conversion can follow: stretched as the placement says, from
        // the picture turned back upright.
        QImage upright = picture;
        if (made.quarterTurns % 4)
            upright = upright.transformed(QTransform().rotate(-90.0 * (made.quarterTurns % 4)));
        if (made.mirrored) upright = std::move(upright).mirrored(true, false);
        painter.setTransform(world);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, video.smoothing());
        painter.drawImage(video.contentBounds(), upright);
    }
    painter.restore();
}

void Renderer::drawShape(QPainter& painter, const swf::ShapeGeometry& shape,
                         const QTransform& world, const swf::ColorTransform& cx) {
    for (const auto& group : shape.groups) {
        if (!group.fills.empty()) {
            painter.setTransform(world);
            for (const auto& fill : group.fills) {
                const QBrush brush =
                    fillBrush(group.fillStyles[static_cast<std::size_t>(fill.style)], cx);
                if (brush.style() != Qt::NoBrush) painter.fillPath(fill.path, brush);
            }
        }
        if (!group.strokes.empty()) {
            // Strokes are drawn in device units so that their width follows the scaling
            // rules of their style rather than the item's matrix.
            painter.setTransform(QTransform());
            painter.setBrush(Qt::NoBrush);
            for (const auto& stroke : group.strokes) {
                const auto& style = group.lineStyles[static_cast<std::size_t>(stroke.style)];
                painter.strokePath(world.map(stroke.path), strokePen(style, world, cx));
            }
        }
    }
}

namespace {

void collectMask(const DisplayObject& item, const QTransform& world,
                 std::vector<QPainterPath>& out) {
    switch (item.kind()) {
    case ItemKind::Shape:
        for (const auto& g : static_cast<const display::ShapeItem&>(item).def().geometry.groups)
            for (const auto& f : g.fills)
                out.push_back(world.map(f.path));
        break;
    case ItemKind::MovieClip:
    case ItemKind::Button:
        for (const auto& [depth, child] : static_cast<const display::Container&>(item).children()) {
            if (child->isMask()) continue;
            collectMask(*child, child->matrix().toQTransform() * world, out);
        }
        break;
    case ItemKind::EditText:
    case ItemKind::StaticText:
    case ItemKind::Video: {
        QPainterPath p;
        p.addRect(item.contentBounds());
        out.push_back(world.map(p));
        break;
    }
    }
}

} // namespace

QTransform stageTransform(const DisplayObject& item) {
    QTransform t = item.matrix().toQTransform();
    for (const display::Container* p = item.parent(); p && p->parent(); p = p->parent())
        t = t * p->matrix().toQTransform();
    return t;
}

QPainterPath maskArea(const DisplayObject& item, const QTransform& world) {
    std::vector<QPainterPath> parts;
    collectMask(item, world, parts);
    if (parts.empty()) return {};
    QPainterPath area = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        // Parts apart from each other simply add up; overlapping ones are united.
        if (area.boundingRect().intersects(parts[i].boundingRect()))
            area = area.united(parts[i]);
        else
            area.addPath(parts[i]);
    }
    return area;
}

} // namespace zimo::render
