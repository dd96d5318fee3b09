#include "stage_signature.h"

#include "display/container.h"
#include "display/edit_text.h"
#include "display/video_surface.h"
#include "render/renderer.h"
#include "stage/stage.h"

#include <bit>

namespace zimo {

namespace {

// FNV-1a over 64-bit words.
class Hasher {
public:
    void add(std::uint64_t word) {
        hash_ ^= word;
        hash_ *= 0x100000001b3ULL;
    }
    void add(double value) { add(std::bit_cast<std::uint64_t>(value)); }
    void add(const void* pointer) { add(std::uint64_t(reinterpret_cast<std::uintptr_t>(pointer))); }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// `cx` is the colour transform the item is drawn through. Like the renderer, it passes
// over what does not show: items switched invisible or made fully transparent, except
// masks, whose shapes count whatever their look.
void addItem(Hasher& h, const display::DisplayObject& item, const swf::ColorTransform& cx) {
    h.add(&item);
    h.add(std::uint64_t(item.characterId()));
    h.add(std::uint64_t(item.depth()));
    const swf::Matrix& m = item.matrix();
    for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty})
        h.add(v);
    h.add(std::uint64_t(item.clipDepth()));
    const swf::ColorTransform itemCx = cx.after(item.colorTransform());
    if (!item.isMask()) {
        if (!item.visible() || itemCx.hidesEverything()) {
            h.add(std::uint64_t(1));
            return;
        }
        for (double v : {itemCx.rm, itemCx.gm, itemCx.bm, itemCx.am, itemCx.ra, itemCx.ga,
                         itemCx.ba, itemCx.aa})
            h.add(v);
    }
    switch (item.kind()) {
    case display::ItemKind::EditText:
        h.add(std::uint64_t(qHash(static_cast<const display::EditText&>(item).text())));
        break;
    case display::ItemKind::Video: {
        const auto& video = static_cast<const display::VideoSurface&>(item);
        h.add(std::uint64_t(video.picture().cacheKey()) << 1 | (video.smoothing() ? 1 : 0));
        break;
    }
    case display::ItemKind::MovieClip:
    case display::ItemKind::Button: {
        const auto& container = static_cast<const display::Container&>(item);
        h.add(std::uint64_t(container.children().size()));
        for (const auto& [depth, child] : container.children())
            addItem(h, *child, itemCx);
        break;
    }
    case display::ItemKind::Shape:
    case display::ItemKind::StaticText:
        break; // their content never changes
    }
}

// Antialiased edges and hairlines reach this far past an item's box.
constexpr int kEdgeSpill = 2;

bool showsNothing(const display::DisplayObject& item, const swf::ColorTransform& cx) {
    return !item.isMask() && (!item.visible() || cx.after(item.colorTransform()).hidesEverything());
}

} // namespace

StageLook stageLook(const stage::Stage& stage) {
    StageLook out;
    Hasher frame;
    frame.add(stage.movie());
    const QTransform t = stage.stageToView();
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        frame.add(v);
    frame.add(std::uint64_t(stage.viewSize().width()) << 32 |
              std::uint32_t(stage.viewSize().height()));
    const auto* root = stage.root();
    if (root) {
        frame.add(root);
        const swf::ColorTransform rootCx = root->colorTransform();
        frame.add(std::uint64_t(showsNothing(*root, {}) ? 1 : 0));
        for (const auto& [depth, child] : root->children()) {
            frame.add(child.get());
            frame.add(std::uint64_t(depth));
            Hasher h;
            addItem(h, *child, rootCx);
            StageLook::Part part;
            part.look = h.value();
            if (!showsNothing(*child, rootCx)) {
                const QRectF box =
                    (render::stageTransform(*child) * t).mapRect(child->contentBounds());
                if (!box.isEmpty())
                    part.area = box.toAlignedRect().adjusted(-kEdgeSpill, -kEdgeSpill, kEdgeSpill,
                                                             kEdgeSpill);
            }
            out.parts.push_back(part);
        }
    }
    out.frame = frame.value();
    return out;
}

std::uint64_t stageSignature(const stage::Stage& stage) {
    const StageLook look = stageLook(stage);
    Hasher h;
    h.add(look.frame);
    for (const auto& part : look.parts)
        h.add(part.look);
    return h.value();
}

QRegion changedArea(const StageLook& before, const StageLook& after, const QRect& view) {
    if (before.frame != after.frame || before.parts.size() != after.parts.size())
        return QRegion(view);
    QRegion area;
    for (std::size_t i = 0; i < after.parts.size(); ++i) {
        const StageLook::Part& was = before.parts[i];
        const StageLook::Part& now = after.parts[i];
        if (was.look == now.look && was.area == now.area) continue;
        area += was.area;
        area += now.area;
    }
    return area & view;
}

} // namespace zimo
