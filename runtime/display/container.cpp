#include "display/container.h"

#include "display/context.h"

namespace zimo::display {

Container::Container(ItemKind kind, std::uint16_t characterId,
                     std::shared_ptr<DisplayContext> context, int nesting)
    : DisplayObject(kind, characterId), context_(std::move(context)), nesting_(nesting) {}

DisplayObject* Container::childAt(int depth) const {
    auto it = children_.find(depth);
    return it == children_.end() ? nullptr : it->second.get();
}

DisplayObject* Container::childByName(QStringView name) const {
    if (name.isEmpty()) return nullptr;
    for (const auto& [depth, child] : children_)
        if (child->name() == name) return child.get();
    return nullptr;
}

void Container::insertChild(int depth, ItemPtr item) {
    if (!item) return;
    removeChild(depth);
    item->depth_ = depth;
    item->parent_ = this;
    item->removed_ = false;
    children_[depth] = std::move(item);
}

ItemPtr Container::removeChild(int depth) {
    auto it = children_.find(depth);
    if (it == children_.end()) return nullptr;
    ItemPtr item = std::move(it->second);
    children_.erase(it);
    item->parent_ = nullptr;
    item->removed_ = true;
    if (context_) context_->notifyRemoved(*item);
    return item;
}

void Container::removeAll() {
    while (!children_.empty())
        removeChild(children_.begin()->first);
}

int Container::nextHighestDepth() const {
    if (children_.empty()) return kScriptDepthBase;
    return std::max(kScriptDepthBase, children_.rbegin()->first + 1);
}

QRectF Container::contentBounds() const {
    QRectF box;
    for (const auto& [depth, child] : children_) {
        const QRectF b = child->boundsInParent();
        if (b.isNull()) continue;
        box = box.isNull() ? b : box.united(b);
    }
    return box;
}

std::vector<const DisplayObject*> masksOver(const std::map<int, ItemPtr>& children, int depth) {
    std::vector<const DisplayObject*> masks;
    for (const auto& [d, child] : children) {
        if (d >= depth) break;
        if (child->isMask() && child->clipDepth() >= depth) masks.push_back(child.get());
    }
    return masks;
}

namespace {

bool coversThrough(const DisplayObject& item, QPointF parentPoint) {
    bool invertible = false;
    const QTransform inverse = item.matrix().toQTransform().inverted(&invertible);
    if (!invertible) return false;
    return item.contentCovers(inverse.map(parentPoint));
}

} // namespace

bool Container::contentCovers(QPointF local) const {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        const DisplayObject& child = *it->second;
        if (child.isMask() || !child.visible()) continue;
        if (!coversThrough(child, local)) continue;
        bool insideMasks = true;
        for (const DisplayObject* mask : masksOver(children_, it->first))
            if (!coversThrough(*mask, local)) insideMasks = false;
        if (insideMasks) return true;
    }
    return false;
}

std::vector<ItemPtr> Container::snapshot() const {
    std::vector<ItemPtr> items;
    items.reserve(children_.size());
    for (const auto& [depth, child] : children_)
        items.push_back(child);
    return items;
}

void Container::advanceChildren(const std::vector<ItemPtr>& items) {
    for (const auto& child : items) {
        if (child->parent() != this) continue; // removed meanwhile
        if (auto* c = dynamic_cast<Container*>(child.get())) c->advance();
    }
}

void Container::advance() {
    advanceChildren(snapshot());
}

} // namespace zimo::display
