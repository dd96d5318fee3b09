// State shared by every item of one loaded movie: the definition, the script layer's
// sink, the queue of frame actions and the budget that bounds the number of items.
#pragma once

#include "display/display_object.h"
#include "swf/movie.h"

#include <deque>
#include <memory>
#include <unordered_set>

namespace zimo::display {

class ActionSink;
class MovieClip;

class DisplayContext : public std::enable_shared_from_this<DisplayContext> {
public:
    // Most items alive at once, and deepest nesting of placed characters.
    static constexpr std::size_t kMaxItems = 50000;
    static constexpr int kMaxNesting = 64;

    explicit DisplayContext(std::shared_ptr<const swf::Movie> movie);

    const swf::Movie& movie() const { return *movie_; }
    const std::shared_ptr<const swf::Movie>& moviePtr() const { return movie_; }

    ActionSink* sink() const { return sink_; }
    void setSink(ActionSink* sink) { sink_ = sink; }

    // A new item for a character, with sprites already on their first frame; null for an
    // unknown character, a font, or when the budget is spent.
    ItemPtr instantiate(std::uint16_t characterId, int nesting);
    // Counts an item created outside instantiate() (e.g. an empty clip); false when the
    // budget is spent.
    bool admit(DisplayObject& item);
    std::size_t liveItems() const { return *live_; }

    void queueFrameActions(MovieClip& clip, const std::vector<std::uint8_t>& actions);
    void queueInitActions(std::uint16_t spriteId, const std::vector<std::uint8_t>& actions);
    // Hands the queued actions to the sink in order (actions that queue more are run
    // too, up to a bound). Without a sink the queue is dropped.
    void runQueuedActions();

    void notifyPlaced(DisplayObject& item);
    void notifyRemoved(DisplayObject& item);

private:
    struct Queued {
        bool init = false;
        std::weak_ptr<DisplayObject> clip; // for frame actions
        std::uint16_t spriteId = 0;
        const std::vector<std::uint8_t>* actions = nullptr; // lives in the movie
    };

    std::shared_ptr<const swf::Movie> movie_;
    ActionSink* sink_ = nullptr;
    std::shared_ptr<std::size_t> live_ = std::make_shared<std::size_t>(0);
    std::deque<Queued> queue_;
    std::unordered_set<std::uint16_t> initDone_;
};

} // namespace zimo::display
