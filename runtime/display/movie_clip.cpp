#include "display/movie_clip.h"

#include "display/context.h"

#include <algorithm>

namespace zimo::display {

MovieClip::MovieClip(std::uint16_t characterId, std::shared_ptr<const swf::Timeline> timeline,
                     std::shared_ptr<DisplayContext> context, int nesting)
    : Container(ItemKind::MovieClip, characterId, std::move(context), nesting),
      timeline_(timeline ? std::move(timeline) : std::make_shared<const swf::Timeline>()) {}

void MovieClip::enterFirstFrame() {
    if (currentFrame_ != 0) return;
    currentFrame_ = 1;
    applyFrame(1);
    queueActions(1);
}

void MovieClip::advance() {
    const auto before = snapshot();
    if (playing_ && totalFrames() > 1)
        gotoFrame(currentFrame_ >= totalFrames() ? 1 : currentFrame_ + 1);
    advanceChildren(before);
}

void MovieClip::gotoAndStop(int frame) {
    playing_ = false;
    gotoFrame(frame);
}

void MovieClip::gotoAndPlay(int frame) {
    playing_ = true;
    gotoFrame(frame);
}

bool MovieClip::gotoLabel(const QString& label, bool stopThere) {
    const int frame = timeline_->frameOfLabel(label);
    if (frame == 0) return false;
    playing_ = !stopThere;
    gotoFrame(frame);
    return true;
}

void MovieClip::gotoFrame(int frame) {
    frame = std::clamp(frame, 1, totalFrames());
    if (currentFrame_ == 0) enterFirstFrame();
    if (frame == currentFrame_) return;
    if (frame > currentFrame_) {
        for (int f = currentFrame_ + 1; f <= frame; ++f)
            applyFrame(f);
    } else {
        rebuildTo(frame);
    }
    currentFrame_ = frame;
    queueActions(frame);
}

ItemPtr MovieClip::create(std::uint16_t characterId) {
    if (!context()) return nullptr;
    return context()->instantiate(characterId, nesting() + 1);
}

void MovieClip::modify(DisplayObject& item, const swf::PlaceObject& tag) {
    if (!item.transformedByScript()) {
        if (tag.matrix) item.setMatrix(*tag.matrix);
        if (tag.colorTransform) item.setColorTransform(*tag.colorTransform);
    }
    if (tag.ratio) item.setRatio(*tag.ratio);
    if (tag.name) item.setName(*tag.name);
    if (tag.clipDepth) item.setClipDepth(*tag.clipDepth);
    if (tag.visible) item.setVisible(*tag.visible);
}

void MovieClip::place(const swf::PlaceObject& tag, int frame) {
    if (!tag.characterId) return;
    ItemPtr item = create(*tag.characterId);
    if (!item) return;
    modify(*item, tag);
    item->setPlacedInFrame(frame);
    if (!tag.clipActions.empty())
        item->setClipActions(
            std::shared_ptr<const std::vector<swf::ClipAction>>(timeline_, &tag.clipActions));
    insertChild(tag.depth, item);
    if (auto* clip = dynamic_cast<MovieClip*>(item.get())) clip->enterFirstFrame();
    if (context()) context()->notifyPlaced(*item);
}

void MovieClip::applyFrame(int frame) {
    for (const auto& tag : timeline_->frame(frame).tags) {
        if (const auto* p = std::get_if<swf::PlaceObject>(&tag)) {
            DisplayObject* existing = childAt(p->depth);
            if (p->move && existing) {
                if (p->characterId && *p->characterId != existing->characterId()) {
                    // Another character takes over the depth with the item's placement.
                    swf::PlaceObject merged = *p;
                    if (!merged.matrix) merged.matrix = existing->matrix();
                    if (!merged.colorTransform) merged.colorTransform = existing->colorTransform();
                    if (!merged.name) merged.name = existing->name();
                    if (!merged.clipDepth && existing->clipDepth())
                        merged.clipDepth = static_cast<std::uint16_t>(existing->clipDepth());
                    place(merged, existing->placedInFrame());
                } else {
                    modify(*existing, *p);
                }
            } else if (!p->move) {
                place(*p, frame);
            }
        } else if (const auto* r = std::get_if<swf::RemoveObject>(&tag)) {
            removeChild(r->depth);
        }
    }
}

// What the timeline holds at one depth at some frame.
struct MovieClip::Placement {
    swf::PlaceObject tag; // accumulated placement
    int frame = 0;        // where the character was placed
};

void MovieClip::rebuildTo(int target) {
    std::map<int, Placement> wanted;
    for (int f = 1; f <= target; ++f) {
        for (const auto& tag : timeline_->frame(f).tags) {
            if (const auto* p = std::get_if<swf::PlaceObject>(&tag)) {
                auto it = wanted.find(p->depth);
                if (p->move && it != wanted.end()) {
                    auto& w = it->second.tag;
                    if (p->characterId && *p->characterId != w.characterId) {
                        w.characterId = p->characterId;
                    }
                    if (p->matrix) w.matrix = p->matrix;
                    if (p->colorTransform) w.colorTransform = p->colorTransform;
                    if (p->ratio) w.ratio = p->ratio;
                    if (p->name) w.name = p->name;
                    if (p->clipDepth) w.clipDepth = p->clipDepth;
                    if (p->visible) w.visible = p->visible;
                } else if (!p->move && p->characterId) {
                    wanted[p->depth] = Placement{*p, f};
                }
            } else if (const auto* r = std::get_if<swf::RemoveObject>(&tag)) {
                wanted.erase(r->depth);
            }
        }
    }
    // Keep the items that live on at the target frame; take off the others.
    std::vector<int> gone;
    for (const auto& [depth, child] : children()) {
        if (child->placedInFrame() == 0) continue; // created by a script
        auto it = wanted.find(depth);
        if (it != wanted.end() && it->second.frame == child->placedInFrame() &&
            it->second.tag.characterId == child->characterId()) {
            modify(*child, it->second.tag);
            wanted.erase(it);
        } else {
            gone.push_back(depth);
        }
    }
    for (int depth : gone)
        removeChild(depth);
    for (const auto& [depth, w] : wanted)
        place(w.tag, w.frame);
}

void MovieClip::queueActions(int frame) {
    if (!context()) return;
    for (const auto& tag : timeline_->frame(frame).tags) {
        if (const auto* init = std::get_if<swf::DoInitAction>(&tag))
            context()->queueInitActions(init->spriteId, init->actions);
    }
    for (const auto& tag : timeline_->frame(frame).tags) {
        if (const auto* a = std::get_if<swf::DoAction>(&tag))
            context()->queueFrameActions(*this, a->actions);
    }
}

MovieClip* MovieClip::createEmptyMovieClip(const QString& name, int depth) {
    if (!context()) return nullptr;
    auto clip = std::make_shared<MovieClip>(0, nullptr, context(), nesting() + 1);
    if (!context()->admit(*clip)) return nullptr;
    clip->setName(name);
    clip->currentFrame_ = 1;
    MovieClip* raw = clip.get();
    insertChild(depth, clip);
    context()->notifyPlaced(*raw);
    return raw;
}

DisplayObject* MovieClip::duplicateChild(const DisplayObject& source, const QString& name,
                                         int depth) {
    if (source.parent() != this || !context() || source.characterId() == 0) return nullptr;
    ItemPtr copy = create(source.characterId());
    if (!copy) return nullptr;
    copy->setMatrix(source.matrix());
    copy->setColorTransform(source.colorTransform());
    copy->setClipDepth(source.clipDepth());
    copy->setVisible(source.visible());
    copy->setName(name);
    copy->setClipActions(source.clipActionsShared());
    DisplayObject* raw = copy.get();
    insertChild(depth, copy);
    if (auto* clip = dynamic_cast<MovieClip*>(raw)) clip->enterFirstFrame();
    context()->notifyPlaced(*raw);
    return raw;
}

} // namespace zimo::display
