// The stage of a running movie: the loaded movie, its display list and playheads, the
// stage's size and scaling, rendering and the pointer. It knows neither scripts nor
// media; the script layer drives it through display::ActionSink.
#pragma once

#include "display/action_sink.h"
#include "display/movie_clip.h"
#include "display/properties.h"
#include "render/renderer.h"
#include "swf/movie.h"

#include <QImage>
#include <QPainter>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace zimo::display {
class DisplayContext;
}

namespace zimo::stage {

// How the stage meets the view: the movie's own stage scaled to fit the view and centred
// (the default), or a stage the size of the view, unscaled, its origin at the view's
// top-left corner.
enum class ScaleMode { ShowAll, NoScale };

class Stage {
public:
    Stage();
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Loads a movie file (container and tags) and enters its first frame. On failure the
    // previous movie stays and error() says why.
    bool load(std::span<const std::uint8_t> file);
    bool load(std::shared_ptr<const swf::Movie> movie);
    const std::string& error() const { return error_; }
    bool loaded() const { return root_ != nullptr; }
    const swf::Movie* movie() const { return movie_.get(); }
    display::MovieClip* root() const { return root_.get(); }
    // Frames a second from the movie's header.
    double frameRate() const { return movie_ ? movie_->header.frameRate : 0; }

    // The script layer; frame actions, placements, button actions and pointer events go
    // to it. Without one, frame actions are dropped.
    void setActionSink(display::ActionSink* sink);
    display::ActionSink* actionSink() const { return sink_; }

    // One frame: every playing clip moves on, then the frame actions run, drags follow
    // the pointer and the sink hears tickDone().
    void tick();
    // Runs the frame actions queued by playhead moves made outside a tick.
    void runActions();
    // Sends the root to a frame and runs that frame's actions.
    void gotoFrame(int frame, bool stop = true);

    // Stage.
    void setViewSize(QSize view);
    QSize viewSize() const { return view_; }
    void setScaleMode(ScaleMode mode);
    ScaleMode scaleMode() const { return scaleMode_; }
    // The movie's stage (ShowAll) or the view's size (NoScale).
    QSizeF stageSize() const;
    QTransform stageToView() const;
    QPointF viewToStage(QPointF viewPoint) const;
    // Called after the stage changes size (view resize under NoScale, or a mode change).
    void setStageResizeHandler(std::function<void()> handler) {
        stageResized_ = std::move(handler);
    }

    // Paints the view: the movie's background colour, then the stage.
    void render(QPainter& painter, QSize view);
    QImage renderImage(QSize view);

    // The pointer, in stage coordinates.
    void pointerMove(QPointF stagePoint);
    void pointerPress(QPointF stagePoint);
    void pointerRelease(QPointF stagePoint);
    QPointF mouse() const { return mouse_; }
    // The item the pointer went down on, while the button is held.
    display::DisplayObject* pressedItem() const;

    // Dragging: the item's origin follows the pointer (locked to it, or keeping its
    // offset), confined to a rectangle in its parent's units when one is given.
    void startDrag(display::DisplayObject& item, bool lockCenter,
                   std::optional<QRectF> bounds = std::nullopt);
    void stopDrag();
    display::DisplayObject* dragTarget() const;

    // Items and properties by path ("controlpanel.volumecontrol.volumeslider",
    // "controlpanel._alpha").
    display::DisplayObject* find(QStringView path) const;
    display::PropertyValue property(QStringView path) const;
    bool setProperty(QStringView path, const display::PropertyValue& value);

private:
    void updateDrag();
    void updateHover();
    void buttonEvent(display::DisplayObject& item, std::uint16_t condition);
    void deliver(display::DisplayObject& item, display::PointerEvent event);

    std::shared_ptr<const swf::Movie> movie_;
    std::shared_ptr<display::DisplayContext> context_;
    std::shared_ptr<display::MovieClip> root_;
    display::ActionSink* sink_ = nullptr;
    std::string error_;
    render::Renderer renderer_;

    QSize view_{0, 0};
    ScaleMode scaleMode_ = ScaleMode::ShowAll;
    std::function<void()> stageResized_;

    QPointF mouse_;
    bool buttonDown_ = false;
    std::weak_ptr<display::DisplayObject> pressed_;
    std::weak_ptr<display::DisplayObject> hovered_;

    struct Drag {
        std::weak_ptr<display::DisplayObject> item;
        QPointF offset; // item origin minus pointer, in the parent's units
        std::optional<QRectF> bounds;
    };
    std::optional<Drag> drag_;
};

} // namespace zimo::stage
