#include "display/display_object.h"

#include "display/container.h"
#include "swf/timeline.h"

#include <cmath>
#include <numbers>

namespace zimo::display {

namespace {

double normalizeDegrees(double d) {
    if (!std::isfinite(d)) return 0;
    d = std::fmod(d, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

constexpr double kRadians = std::numbers::pi / 180.0;

} // namespace

DisplayObject::DisplayObject(ItemKind kind, std::uint16_t characterId)
    : kind_(kind), characterId_(characterId) {}

DisplayObject::~DisplayObject() {
    if (liveCounter_ && *liveCounter_ > 0) --*liveCounter_;
}

void DisplayObject::countIn(std::shared_ptr<std::size_t> counter) {
    if (liveCounter_ && *liveCounter_ > 0) --*liveCounter_;
    liveCounter_ = std::move(counter);
    if (liveCounter_) ++*liveCounter_;
}

void DisplayObject::setMatrix(const swf::Matrix& m) {
    matrix_ = m;
    decomposed_.reset();
}

DisplayObject::Decomposed& DisplayObject::decomposed() const {
    if (!decomposed_) {
        const auto& m = matrix_;
        Decomposed d;
        d.xScale = std::hypot(m.a, m.b);
        d.yScale = std::hypot(m.c, m.d);
        if (m.a * m.d - m.b * m.c < 0) d.yScale = -d.yScale;
        d.rotation =
            d.xScale != 0 ? std::atan2(m.b, m.a) / kRadians : std::atan2(-m.c, m.d) / kRadians;
        decomposed_ = d;
    }
    return *decomposed_;
}

void DisplayObject::recompose() {
    const auto& d = *decomposed_;
    const double r = d.rotation * kRadians;
    const double cs = std::cos(r), sn = std::sin(r);
    matrix_.a = d.xScale * cs;
    matrix_.b = d.xScale * sn;
    matrix_.c = -d.yScale * sn;
    matrix_.d = d.yScale * cs;
}

double DisplayObject::xScale() const {
    return decomposed().xScale;
}
double DisplayObject::yScale() const {
    return decomposed().yScale;
}
double DisplayObject::rotation() const {
    return decomposed().rotation;
}

void DisplayObject::setXScale(double s) {
    if (!std::isfinite(s)) return;
    decomposed().xScale = s;
    recompose();
    transformedByScript_ = true;
}

void DisplayObject::setYScale(double s) {
    if (!std::isfinite(s)) return;
    decomposed().yScale = s;
    recompose();
    transformedByScript_ = true;
}

void DisplayObject::setRotation(double degrees) {
    if (!std::isfinite(degrees)) return;
    decomposed().rotation = normalizeDegrees(degrees);
    recompose();
    transformedByScript_ = true;
}

void DisplayObject::setPosition(double x, double y) {
    if (std::isfinite(x)) matrix_.tx = x;
    if (std::isfinite(y)) matrix_.ty = y;
    transformedByScript_ = true;
}

QRectF DisplayObject::boundsInParent() const {
    const QRectF own = contentBounds();
    if (own.isNull()) return {};
    return matrix_.toQTransform().mapRect(own);
}

QTransform DisplayObject::worldTransform() const {
    QTransform t = matrix_.toQTransform();
    for (const Container* p = parent_; p; p = p->parent())
        t = t * p->matrix().toQTransform();
    return t;
}

bool DisplayObject::visibleOnStage() const {
    if (!visible_) return false;
    for (const Container* p = parent_; p; p = p->parent())
        if (!p->visible()) return false;
    return true;
}

QString DisplayObject::path() const {
    QString p = name_;
    for (const Container* c = parent_; c && c->parent(); c = c->parent())
        p = c->name() + QLatin1Char('.') + p;
    return p;
}

const std::vector<swf::ClipAction>& DisplayObject::clipActions() const {
    static const std::vector<swf::ClipAction> none;
    return clipActions_ ? *clipActions_ : none;
}

} // namespace zimo::display
