// A movie clip: a container with its own timeline and playhead. The root of a movie is
// one too.
#pragma once

#include "display/container.h"
#include "swf/timeline.h"

namespace zimo::display {

class MovieClip final : public Container {
public:
    MovieClip(std::uint16_t characterId, std::shared_ptr<const swf::Timeline> timeline,
              std::shared_ptr<DisplayContext> context, int nesting);

    int currentFrame() const { return currentFrame_; }
    int totalFrames() const { return timeline_->totalFrames(); }
    int framesLoaded() const { return timeline_->framesLoaded(); }
    // The label of the current frame, or empty.
    QString currentLabel() const { return timeline_->frame(currentFrame_).label; }
    const swf::Timeline& timeline() const { return *timeline_; }

    bool playing() const { return playing_; }
    void play() { playing_ = true; }
    void stop() { playing_ = false; }
    // Frames outside 1..totalFrames are clamped. Going back rebuilds the display list as
    // the timeline has it at that frame; items placed by scripts stay.
    void gotoAndStop(int frame);
    void gotoAndPlay(int frame);
    // False when the timeline has no such label.
    bool gotoLabel(const QString& label, bool stop);
    void nextFrame() { gotoAndStop(currentFrame_ + 1); }
    void prevFrame() { gotoAndStop(currentFrame_ - 1); }

    // Enters frame 1; done once when the clip is placed.
    void enterFirstFrame();
    // One tick: the playhead moves on (back to frame 1 after the last), then the clips
    // inside that were there before move on too.
    void advance() override;

    // A new empty clip at a depth (replacing what is there); null past the item budget.
    MovieClip* createEmptyMovieClip(const QString& name, int depth);
    // A copy of a child (same character, placement, colour transform and clip actions)
    // under another name at another depth, starting on its first frame; null when the
    // source is not a child of this clip or the budget is spent.
    DisplayObject* duplicateChild(const DisplayObject& source, const QString& name, int depth);

private:
    struct Placement;
    void gotoFrame(int frame);
    void applyFrame(int frame);
    void rebuildTo(int frame);
    void place(const swf::PlaceObject& tag, int frame);
    void modify(DisplayObject& item, const swf::PlaceObject& tag);
    ItemPtr create(std::uint16_t characterId);
    void queueActions(int frame);

    std::shared_ptr<const swf::Timeline> timeline_;
    int currentFrame_ = 0;
    bool playing_ = true;
};

} // namespace zimo::display
