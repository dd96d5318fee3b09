// A video surface: shows the current picture of the stream attached to it, stretched
// over its declared box. Empty until a stream attaches. A picture may come made for the
// surface's place on the screen (scaled and turned already); it says so with its target.
#pragma once

#include "display/display_object.h"
#include "media/picture_target.h"
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
    // `made` is what the picture was made for; `decoded` the size the stream decodes
    // (the picture's own when empty).
    void setPicture(QImage picture, const media::PictureTarget& made = {}, QSize decoded = {}) {
        picture_ = std::move(picture);
        made_ = made;
        decoded_ = decoded.isEmpty() ? picture_.size() : decoded;
    }
    const media::PictureTarget& pictureTarget() const { return made_; }
    void clear() { setPicture(QImage()); }
    bool smoothing() const { return smoothing_; }
    void setSmoothing(bool on) { smoothing_ = on; }
    // Size of the picture the stream decodes (0 × 0 when none).
    QSize pictureSize() const { return decoded_; }

    QRectF contentBounds() const override { return QRectF(0, 0, def_->width, def_->height); }
    bool contentCovers(QPointF local) const override { return contentBounds().contains(local); }

private:
    std::shared_ptr<const swf::VideoDef> def_;
    QImage picture_;
    media::PictureTarget made_;
    QSize decoded_;
    bool smoothing_;
};

} // namespace zimo::display
