#include "stage/stage.h"

#include "display/button_item.h"
#include "display/context.h"
#include "display/hit_test.h"
#include "display/lookup.h"

namespace zimo::stage {

using display::DisplayObject;

Stage::Stage() = default;

Stage::~Stage() {
    // Items may outlive the stage in the script layer's hands; they must not call a
    // sink that is gone.
    if (context_) context_->setSink(nullptr);
}

bool Stage::load(std::span<const std::uint8_t> file) {
    auto result = swf::loadMovie(file);
    if (!result) {
        error_ = result.error;
        return false;
    }
    return load(result.movie);
}

bool Stage::load(std::shared_ptr<const swf::Movie> movie) {
    if (!movie || !movie->timeline) {
        error_ = "no movie";
        return false;
    }
    if (context_) context_->setSink(nullptr);
    error_.clear();
    pressed_.reset();
    hovered_.reset();
    drag_.reset();
    buttonDown_ = false;
    movie_ = std::move(movie);
    context_ = std::make_shared<display::DisplayContext>(movie_);
    context_->setSink(sink_);
    root_ = std::make_shared<display::MovieClip>(0, movie_->timeline, context_, 0);
    context_->admit(*root_);
    root_->enterFirstFrame();
    runActions();
    return true;
}

void Stage::setActionSink(display::ActionSink* sink) {
    sink_ = sink;
    if (context_) context_->setSink(sink);
}

void Stage::runActions() {
    if (context_) context_->runQueuedActions();
}

void Stage::tick() {
    if (!root_) return;
    root_->advance();
    runActions();
    updateDrag();
    if (sink_) sink_->tickDone();
    runActions();
}

void Stage::gotoFrame(int frame, bool stop) {
    if (!root_) return;
    if (stop)
        root_->gotoAndStop(frame);
    else
        root_->gotoAndPlay(frame);
    runActions();
}

void Stage::setViewSize(QSize view) {
    if (view == view_) return;
    view_ = view;
    if (scaleMode_ == ScaleMode::NoScale && stageResized_) stageResized_();
}

void Stage::setScaleMode(ScaleMode mode) {
    if (mode == scaleMode_) return;
    scaleMode_ = mode;
    if (stageResized_) stageResized_();
}

QSizeF Stage::stageSize() const {
    if (scaleMode_ == ScaleMode::NoScale) return QSizeF(view_);
    return movie_ ? movie_->header.stage.size() : QSizeF();
}

QTransform Stage::stageToView() const {
    if (scaleMode_ == ScaleMode::NoScale || !movie_) return QTransform();
    const QRectF stage = movie_->header.stage;
    if (stage.width() <= 0 || stage.height() <= 0 || view_.isEmpty()) return QTransform();
    const double s = std::min(view_.width() / stage.width(), view_.height() / stage.height());
    const double dx = (view_.width() - stage.width() * s) / 2 - stage.left() * s;
    const double dy = (view_.height() - stage.height() * s) / 2 - stage.top() * s;
    return QTransform(s, 0, 0, s, dx, dy);
}

QPointF Stage::viewToStage(QPointF viewPoint) const {
    bool invertible = false;
    const QTransform inverse = stageToView().inverted(&invertible);
    return invertible ? inverse.map(viewPoint) : viewPoint;
}

void Stage::render(QPainter& painter, QSize view) {
    setViewSize(view);
    if (!root_) return;
    // The background shows only where no opaque picture covers it. The painter works in
    // the device's pixels divided by its pixel ratio.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    QRegion background(QRect(QPoint(0, 0), view));
    if (dpr == 1.0 && painter.transform().isIdentity())
        background -= render::Renderer::opaqueArea(*root_, stageToView(), dpr);
    for (const QRect& part : background)
        painter.fillRect(part, movie_->background.toQColor());
    renderer_.render(painter, *root_, stageToView());
}

QImage Stage::renderImage(QSize view) {
    QImage image(view, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    render(painter, view);
    painter.end();
    return image;
}

DisplayObject* Stage::pressedItem() const {
    return pressed_.lock().get();
}

DisplayObject* Stage::dragTarget() const {
    return drag_ ? drag_->item.lock().get() : nullptr;
}

void Stage::deliver(DisplayObject& item, display::PointerEvent event) {
    if (sink_) sink_->pointerEvent(item, event);
}

void Stage::buttonEvent(DisplayObject& item, std::uint16_t condition) {
    if (item.kind() != display::ItemKind::Button || !sink_) return;
    auto& button = static_cast<display::ButtonItem&>(item);
    for (const auto& action : button.def().actions)
        if (action.conditions & condition) sink_->buttonActions(button, condition, action.actions);
}

void Stage::updateHover() {
    if (!root_) return;
    DisplayObject* target = display::pressTarget(*root_, mouse_);
    auto previous = hovered_.lock();
    if (previous.get() == target) return;
    if (previous && !previous->removed()) {
        if (previous->kind() == display::ItemKind::Button)
            static_cast<display::ButtonItem&>(*previous).setState(display::ButtonState::Up);
        if (!buttonDown_) deliver(*previous, display::PointerEvent::RollOut);
    }
    hovered_ = target ? target->weak_from_this() : std::weak_ptr<DisplayObject>();
    if (target) {
        const bool pressedHere = buttonDown_ && pressed_.lock().get() == target;
        if (target->kind() == display::ItemKind::Button)
            static_cast<display::ButtonItem&>(*target).setState(
                pressedHere ? display::ButtonState::Down : display::ButtonState::Over);
        if (!buttonDown_) deliver(*target, display::PointerEvent::RollOver);
    }
}

void Stage::pointerMove(QPointF stagePoint) {
    mouse_ = stagePoint;
    updateDrag();
    updateHover();
    runActions();
}

void Stage::pointerPress(QPointF stagePoint) {
    mouse_ = stagePoint;
    buttonDown_ = true;
    if (!root_) return;
    DisplayObject* target = display::pressTarget(*root_, stagePoint);
    pressed_ = target ? target->weak_from_this() : std::weak_ptr<DisplayObject>();
    if (target) {
        if (target->kind() == display::ItemKind::Button)
            static_cast<display::ButtonItem&>(*target).setState(display::ButtonState::Down);
        buttonEvent(*target, swf::kCondOverUpToOverDown);
        deliver(*target, display::PointerEvent::Press);
    }
    runActions();
}

void Stage::pointerRelease(QPointF stagePoint) {
    mouse_ = stagePoint;
    buttonDown_ = false;
    auto target = pressed_.lock();
    pressed_.reset();
    if (root_ && target && !target->removed()) {
        const bool over = display::pressTarget(*root_, stagePoint) == target.get();
        if (target->kind() == display::ItemKind::Button)
            static_cast<display::ButtonItem&>(*target).setState(over ? display::ButtonState::Over
                                                                     : display::ButtonState::Up);
        buttonEvent(*target, over ? swf::kCondOverDownToOverUp : swf::kCondOutDownToIdle);
        deliver(*target,
                over ? display::PointerEvent::Release : display::PointerEvent::ReleaseOutside);
        if (!over && hovered_.lock() == target) hovered_.reset(); // it was left while held
    }
    updateHover();
    runActions();
}

void Stage::startDrag(DisplayObject& item, bool lockCenter, std::optional<QRectF> bounds) {
    Drag d;
    d.item = item.weak_from_this();
    d.bounds = bounds ? std::optional<QRectF>(bounds->normalized()) : std::nullopt;
    if (!lockCenter && item.parent()) {
        bool invertible = false;
        const QTransform toParent = item.parent()->worldTransform().inverted(&invertible);
        const QPointF pointer = invertible ? toParent.map(mouse_) : QPointF();
        d.offset = QPointF(item.matrix().tx, item.matrix().ty) - pointer;
    }
    drag_ = d;
    updateDrag();
}

void Stage::stopDrag() {
    drag_.reset();
}

void Stage::updateDrag() {
    if (!drag_) return;
    auto item = drag_->item.lock();
    if (!item || item->removed() || !item->parent()) {
        drag_.reset();
        return;
    }
    bool invertible = false;
    const QTransform toParent = item->parent()->worldTransform().inverted(&invertible);
    if (!invertible) return;
    QPointF p = toParent.map(mouse_) + drag_->offset;
    if (drag_->bounds) {
        const QRectF& b = *drag_->bounds;
        p.setX(std::clamp(p.x(), b.left(), b.right()));
        p.setY(std::clamp(p.y(), b.top(), b.bottom()));
    }
    item->setPosition(p.x(), p.y());
}

DisplayObject* Stage::find(QStringView path) const {
    return root_ ? display::findItem(*root_, path) : nullptr;
}

display::PropertyValue Stage::property(QStringView path) const {
    if (!root_) return std::monostate{};
    return display::readPath(*root_, path, mouse_);
}

bool Stage::setProperty(QStringView path, const display::PropertyValue& value) {
    return root_ && display::writePath(*root_, path, value);
}

} // namespace zimo::stage
