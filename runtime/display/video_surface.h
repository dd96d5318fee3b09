// A video surface: shows the current picture of the stream attached to it, stretched
// over its declared box. Empty until a stream attaches.
#pragma once

#include "display/display_object.h"
#include "swf/video.h"

#include <QImage>

namespace zimo::display {

class VideoSurface final : public DisplayObject {
public:
    explicit VideoSurface(std::shared_ptr<const swf::VideoDef> def)
        : DisplayObject(ItemKind::Video, def->id), def_(std::move(def)),
          smoothing_(def_->smoothing) {}

    const swf::VideoDef& def() const { return *def_; }
    const QImage& picture() const { return picture_; }
    void setPicture(QImage picture) { picture_ = std::move(picture); }
    void clear() { picture_ = QImage(); }
    bool smoothing() const { return smoothing_; }
    void setSmoothing(bool on) { smoothing_ = on; }
    // Size of the picture the stream decodes (0 × 0 when none).
    QSize pictureSize() const { return picture_.size(); }

    QRectF contentBounds() const override { return QRectF(0, 0, def_->width, def_->height); }
    bool contentCovers(QPointF local) const override { return contentBounds().contains(local); }

private:
    std::shared_ptr<const swf::VideoDef> def_;
    QImage picture_;
    bool smoothing_;
};

} // namespace zimo::display
