#include "media/demuxer_input.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

namespace zimo::media {

namespace {

// The demuxer reads in blocks of this size (FFmpeg's own for files).
constexpr int kBufferSize = 32 * 1024;

} // namespace

DemuxerInput::DemuxerInput(std::unique_ptr<MediaSource> source, Interrupted interrupted)
    : source_(std::move(source)), interrupted_(std::move(interrupted)) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (!buffer) return;
    context_ = avio_alloc_context(buffer, kBufferSize, 0, this, &DemuxerInput::read, nullptr,
                                  &DemuxerInput::seek);
    if (!context_) av_free(buffer);
}

DemuxerInput::~DemuxerInput() {
    if (!context_) return;
    av_freep(&context_->buffer);
    avio_context_free(&context_);
}

AVIOInterruptCB DemuxerInput::interruptCallback() {
    return AVIOInterruptCB{&DemuxerInput::checkInterrupt, this};
}

int DemuxerInput::checkInterrupt(void* opaque) {
    return static_cast<DemuxerInput*>(opaque)->interrupted() ? 1 : 0;
}

int DemuxerInput::read(void* opaque, std::uint8_t* buf, int size) {
    auto& self = *static_cast<DemuxerInput*>(opaque);
    if (self.interrupted()) return AVERROR_EXIT;
    if (self.scanLimit_ > 0 && self.scanned_ >= self.scanLimit_) return AVERROR_EOF;
    const std::int64_t n = self.source_->readAt(self.pos_, buf, size);
    if (n < 0) return AVERROR(EIO);
    if (n == 0) return AVERROR_EOF;
    for (const std::int64_t at : self.hidden_)
        if (at >= self.pos_ && at < self.pos_ + n) buf[at - self.pos_] = 0;
    self.pos_ += n;
    self.scanned_ += n;
    return static_cast<int>(n);
}

std::int64_t DemuxerInput::seek(void* opaque, std::int64_t offset, int whence) {
    auto& self = *static_cast<DemuxerInput*>(opaque);
    const std::int64_t size = self.source_->size();
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return size;
    std::int64_t to = offset;
    if (whence == SEEK_CUR)
        to = self.pos_ + offset;
    else if (whence == SEEK_END)
        to = size + offset;
    else if (whence != SEEK_SET)
        return AVERROR(EINVAL);
    if (to < 0) return AVERROR(EINVAL);
    self.pos_ = to;
    return to;
}

} // namespace zimo::media
