// The base of every item in the display list: name, depth, placement, colour transform,
// mask depth, visibility and the geometry the scripts read and write.
#pragma once

#include "swf/types.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zimo::swf {
struct ClipAction;
}

namespace zimo::display {

class Container;

enum class ItemKind { Shape, StaticText, MovieClip, EditText, Video, Button };

class DisplayObject : public std::enable_shared_from_this<DisplayObject> {
public:
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;
    virtual ~DisplayObject();

    ItemKind kind() const { return kind_; }
    std::uint16_t characterId() const { return characterId_; }

    const QString& name() const { return name_; }
    void setName(QString name) { name_ = std::move(name); }
    int depth() const { return depth_; }
    // The container holding this item; null for the root and for removed items.
    Container* parent() const { return parent_; }
    bool removed() const { return removed_; }

    const swf::Matrix& matrix() const { return matrix_; }
    void setMatrix(const swf::Matrix& m);
    const swf::ColorTransform& colorTransform() const { return colorTransform_; }
    void setColorTransform(const swf::ColorTransform& c) { colorTransform_ = c; }
    // Above 0 the item is a mask over the depths above its own up to this one.
    int clipDepth() const { return clipDepth_; }
    void setClipDepth(int d) { clipDepth_ = d; }
    bool isMask() const { return clipDepth_ > 0; }
    bool visible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    int ratio() const { return ratio_; }
    void setRatio(int r) { ratio_ = r; }

    // Scale factors and rotation in degrees (clockwise positive) as the scripts see them.
    // They are kept apart from the matrix once read or set, so a negative scale or a
    // rotation survives a round trip.
    double xScale() const;
    double yScale() const;
    double rotation() const;
    void setXScale(double s);
    void setYScale(double s);
    void setRotation(double degrees);
    void setPosition(double x, double y);

    // Once a script moves an item, the timeline stops moving it.
    bool transformedByScript() const { return transformedByScript_; }
    void markTransformedByScript() { transformedByScript_ = true; }

    // Items the script layer gave press or release handlers take presses.
    bool takesPresses() const { return takesPresses_; }
    void setTakesPresses(bool v) { takesPresses_ = v; }

    // The item's own content in its own units; null when it has none.
    virtual QRectF contentBounds() const = 0;
    // The content box mapped into the parent's units; null when there is no content.
    QRectF boundsInParent() const;
    // From the item's units to the root's (stage) units.
    QTransform worldTransform() const;
    // True when the content's filled area covers a point in the item's own units. Items
    // switched invisible below this one do not count.
    virtual bool contentCovers(QPointF local) const = 0;

    // True for this item and every container above it being visible.
    bool visibleOnStage() const;
    // The instance path from the root, names joined by dots ("controlpanel.slider").
    QString path() const;

    // Clip actions of the placement that created the item (may be empty).
    const std::vector<swf::ClipAction>& clipActions() const;
    void setClipActions(std::shared_ptr<const std::vector<swf::ClipAction>> a) {
        clipActions_ = std::move(a);
    }
    const std::shared_ptr<const std::vector<swf::ClipAction>>& clipActionsShared() const {
        return clipActions_;
    }

    // Where the timeline placed the item: the frame of its placement, 0 when a script
    // created it.
    int placedInFrame() const { return placedInFrame_; }
    void setPlacedInFrame(int f) { placedInFrame_ = f; }

    // Counts the item among the live items of its movie until it is destroyed.
    void countIn(std::shared_ptr<std::size_t> counter);

protected:
    DisplayObject(ItemKind kind, std::uint16_t characterId);

private:
    friend class Container;
    struct Decomposed {
        double xScale, yScale, rotation;
    };
    Decomposed& decomposed() const;
    void recompose();

    ItemKind kind_;
    std::uint16_t characterId_;
    QString name_;
    int depth_ = 0;
    Container* parent_ = nullptr;
    bool removed_ = false;
    swf::Matrix matrix_;
    swf::ColorTransform colorTransform_;
    int clipDepth_ = 0;
    bool visible_ = true;
    int ratio_ = 0;
    bool transformedByScript_ = false;
    bool takesPresses_ = false;
    int placedInFrame_ = 0;
    mutable std::optional<Decomposed> decomposed_;
    std::shared_ptr<const std::vector<swf::ClipAction>> clipActions_;
    std::shared_ptr<std::size_t> liveCounter_;
};

using ItemPtr = std::shared_ptr<DisplayObject>;

} // namespace zimo::display
