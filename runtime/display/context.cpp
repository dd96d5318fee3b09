#include "display/context.h"

#include "display/action_sink.h"
#include "display/button_item.h"
#include "display/edit_text.h"
#include "display/movie_clip.h"
#include "display/shape_item.h"
#include "display/static_text_item.h"
#include "display/video_surface.h"

namespace zimo::display {

DisplayContext::DisplayContext(std::shared_ptr<const swf::Movie> movie)
    : movie_(std::move(movie)) {}

bool DisplayContext::admit(DisplayObject& item) {
    if (*live_ >= kMaxItems) return false;
    item.countIn(live_);
    return true;
}

ItemPtr DisplayContext::instantiate(std::uint16_t characterId, int nesting) {
    if (nesting > kMaxNesting || *live_ >= kMaxItems) return nullptr;
    const swf::Character* character = movie_->character(characterId);
    if (!character) return nullptr;
    auto self = shared_from_this();
    ItemPtr item = std::visit(
        [&](const auto& def) -> ItemPtr {
            using T = std::remove_const_t<typename std::decay_t<decltype(def)>::element_type>;
            if constexpr (std::is_same_v<T, swf::ShapeDef>) {
                return std::make_shared<ShapeItem>(def);
            } else if constexpr (std::is_same_v<T, swf::SpriteDef>) {
                return std::make_shared<MovieClip>(def->id, def->timeline, self, nesting);
            } else if constexpr (std::is_same_v<T, swf::EditTextDef>) {
                return std::make_shared<EditText>(
                    def, def->hasFont ? movie_->get<swf::FontDef>(def->fontId) : nullptr);
            } else if constexpr (std::is_same_v<T, swf::StaticTextDef>) {
                return std::make_shared<StaticTextItem>(def);
            } else if constexpr (std::is_same_v<T, swf::ButtonDef>) {
                return std::make_shared<ButtonItem>(def, self, nesting);
            } else if constexpr (std::is_same_v<T, swf::VideoDef>) {
                return std::make_shared<VideoSurface>(def);
            } else {
                return nullptr; // fonts are not placed
            }
        },
        *character);
    if (!item) return nullptr;
    item->countIn(live_);
    if (auto* button = dynamic_cast<ButtonItem*>(item.get())) button->build();
    return item;
}

void DisplayContext::queueFrameActions(MovieClip& clip, const std::vector<std::uint8_t>& actions) {
    if (actions.empty()) return;
    Queued q;
    q.clip = clip.weak_from_this();
    q.actions = &actions;
    queue_.push_back(q);
}

void DisplayContext::queueInitActions(std::uint16_t spriteId,
                                      const std::vector<std::uint8_t>& actions) {
    if (!initDone_.insert(spriteId).second) return;
    Queued q;
    q.init = true;
    q.spriteId = spriteId;
    q.actions = &actions;
    queue_.push_back(q);
}

void DisplayContext::runQueuedActions() {
    // Actions may send clips to frames whose actions queue in turn; a bound stops a
    // movie that keeps doing so.
    constexpr int kMaxRuns = 10000;
    for (int runs = 0; !queue_.empty() && runs < kMaxRuns; ++runs) {
        Queued q = queue_.front();
        queue_.pop_front();
        if (!sink_) continue;
        if (q.init) {
            sink_->initActions(q.spriteId, *q.actions);
        } else if (auto clip = q.clip.lock()) {
            if (auto* mc = dynamic_cast<MovieClip*>(clip.get()); mc && !mc->removed())
                sink_->frameActions(*mc, *q.actions);
        }
    }
    queue_.clear();
}

void DisplayContext::notifyPlaced(DisplayObject& item) {
    if (sink_) sink_->itemPlaced(item);
}

void DisplayContext::notifyRemoved(DisplayObject& item) {
    if (sink_) sink_->itemRemoved(item);
}

} // namespace zimo::display
