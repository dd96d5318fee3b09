#include "display/hit_test.h"

#include "display/button_item.h"
#include "display/container.h"

namespace zimo::display {

QRectF stageBounds(const DisplayObject& item) {
    const QRectF own = item.contentBounds();
    if (own.isNull()) return {};
    return item.worldTransform().mapRect(own);
}

bool hitTestBox(const DisplayObject& item, QPointF p) {
    const QRectF box = stageBounds(item);
    if (box.isNull()) return false;
    return p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() &&
           p.y() <= box.bottom();
}

namespace {

bool toLocal(const DisplayObject& item, QPointF stagePoint, QPointF& local) {
    bool invertible = false;
    const QTransform inverse = item.worldTransform().inverted(&invertible);
    if (invertible) local = inverse.map(stagePoint);
    return invertible;
}

bool buttonTakesPresses(const DisplayObject& item) {
    if (item.kind() != ItemKind::Button) return false;
    const auto& button = static_cast<const ButtonItem&>(item);
    return button.hasHitArea();
}

bool covers(const DisplayObject& item, QPointF stagePoint) {
    QPointF local;
    if (!toLocal(item, stagePoint, local)) return false;
    if (item.kind() == ItemKind::Button) {
        const auto& button = static_cast<const ButtonItem&>(item);
        if (button.hasHitArea()) return button.hitAreaCovers(local);
    }
    return item.contentCovers(local);
}

bool insideMasks(const Container& parent, int depth, QPointF stagePoint) {
    for (const DisplayObject* mask : masksOver(parent.children(), depth))
        if (!covers(*mask, stagePoint)) return false;
    return true;
}

DisplayObject* search(Container& container, QPointF stagePoint) {
    const auto& children = container.children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        DisplayObject& child = *it->second;
        if (!child.visible() || child.isMask()) continue;
        if (!insideMasks(container, it->first, stagePoint)) continue;
        if (child.takesPresses() || buttonTakesPresses(child)) {
            if (covers(child, stagePoint)) return &child;
            continue;
        }
        if (auto* inner = dynamic_cast<Container*>(&child)) {
            if (DisplayObject* found = search(*inner, stagePoint)) return found;
        }
    }
    return nullptr;
}

} // namespace

bool hitTestShape(const DisplayObject& item, QPointF stagePoint) {
    if (!item.visibleOnStage()) return false;
    return covers(item, stagePoint);
}

DisplayObject* pressTarget(Container& root, QPointF stagePoint) {
    if (!root.visible()) return nullptr;
    return search(root, stagePoint);
}

} // namespace zimo::display
