// Items that hold other items by depth: movie clips and buttons. Masks (items with a
// clip depth) limit the items at the depths they cover.
#pragma once

#include "display/display_object.h"

#include <QStringView>

#include <map>
#include <memory>

namespace zimo::display {

class DisplayContext;

class Container : public DisplayObject {
public:
    // Depth at which script-created items begin (depth 0 for the scripts).
    static constexpr int kScriptDepthBase = 16384;

    const std::map<int, ItemPtr>& children() const { return children_; }
    DisplayObject* childAt(int depth) const;
    // The lowest-depth child with the name, or null.
    DisplayObject* childByName(QStringView name) const;
    // Puts an item at a depth, removing whatever was there.
    void insertChild(int depth, ItemPtr item);
    // Takes the item at a depth off the list; returns it (null when the depth is free).
    ItemPtr removeChild(int depth);
    // One above the highest depth in use, and at least the script depth base.
    int nextHighestDepth() const;

    QRectF contentBounds() const override;
    bool contentCovers(QPointF local) const override;

    // One frame tick for the items inside (their own playheads).
    virtual void advance();

    const std::shared_ptr<DisplayContext>& context() const { return context_; }
    int nesting() const { return nesting_; }

protected:
    Container(ItemKind kind, std::uint16_t characterId, std::shared_ptr<DisplayContext> context,
              int nesting);
    void advanceChildren(const std::vector<ItemPtr>& snapshot);
    std::vector<ItemPtr> snapshot() const;
    void removeAll();

private:
    std::shared_ptr<DisplayContext> context_;
    int nesting_;
    std::map<int, ItemPtr> children_;
};

// The masks among a container's children that cover a depth, in depth order.
std::vector<const DisplayObject*> masksOver(const std::map<int, ItemPtr>& children, int depth);

} // namespace zimo::display
