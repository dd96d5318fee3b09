#include "media/demuxer_input.h"

#include "media/flv_added_codecs.h"
#include "media/flv_added_sound.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <array>

namespace zimo::media {

namespace {

// The demuxer reads in blocks of this size (FFmpeg's own for files).
constexpr int kBufferSize = 32 * 1024;

// A Flash Video file header: signature, version 1, flags (sound, pictures), and its size.
constexpr int kHeaderSize = 9;
bool isFlvHeader(const std::uint8_t* b) {
    return b[0] == 'F' && b[1] == 'L' && b[2] == 'V' && b[3] == 1 && (b[4] & ~0x05) == 0 &&
           b[5] == 0 && b[6] == 0 && b[7] == 0 && b[8] == kHeaderSize;
}

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

void DemuxerInput::hide(std::int64_t offset) {
    // Mostly met in order, so mostly added at the end.
    hidden_.insert(std::upper_bound(hidden_.begin(), hidden_.end(), offset), offset);
}

int DemuxerInput::read(void* opaque, std::uint8_t* buf, int size) {
    auto& self = *static_cast<DemuxerInput*>(opaque);
    if (self.interrupted()) return AVERROR_EXIT;
    if (self.scanLimit_ > 0 && self.scanned_ >= self.scanLimit_) {
        self.cutAt_ = self.pos_;
        return AVERROR_EOF;
    }
    const std::int64_t n = self.source_->readAt(self.pos_, buf, size);
    if (n < 0) return AVERROR(EIO);
    if (n == 0) return AVERROR_EOF;
    // Only the hidden bytes this read covers are looked at: a file may hide thousands.
    for (auto at = std::lower_bound(self.hidden_.begin(), self.hidden_.end(), self.pos_);
         at != self.hidden_.end() && *at < self.pos_ + n; ++at)
        buf[*at - self.pos_] = 0;
    if (self.hidesJoinedHeaders_) self.hideHeadersIn(buf, n);
    if (self.rewritesExtendedVideo_ || self.rewritesExtendedSound_)
        self.rewriteExtendedTagsIn(buf, n);
    self.pos_ += n;
    self.scanned_ += n;
    return static_cast<int>(n);
}

// A header where a tag should start reads as a tag of size 0 (its size bytes are hidden),
// which the demuxer passes over before it finds the next tags. Headers are looked for
// wherever their size bytes fall into the block, in the block itself or, for one that
// runs over an edge of it, in the source.
void DemuxerInput::hideHeadersIn(std::uint8_t* buf, std::int64_t n) const {
    const auto hide = [&](std::int64_t at) {
        for (std::int64_t i = at + 1; i <= at + 3; ++i)
            if (i >= pos_ && i < pos_ + n) buf[i - pos_] = 0;
    };
    for (std::int64_t at = std::max<std::int64_t>(pos_ - 3, 1); at < pos_ + n - 1; ++at) {
        const std::int64_t i = at - pos_;
        if (i >= 0 && i + kHeaderSize <= n) {
            if (buf[i] == 'F' && isFlvHeader(buf + i)) hide(at);
            continue;
        }
        // Over an edge: the first byte that is in the block must fit.
        const std::int64_t first = std::max<std::int64_t>(i, 0);
        const char expected = "FLV\x01"[first - i];
        if (buf[first] != static_cast<std::uint8_t>(expected)) continue;
        std::uint8_t head[kHeaderSize];
        if (source_->readAt(at, head, kHeaderSize) == kHeaderSize && isFlvHeader(head)) hide(at);
    }
}

// Tags are found by the bytes they must have, wherever they start as long as the bytes
// rewritten fall into the block: in it, or over one of its edges, when such a tag is read
// whole from the source once the bytes of it in the block fit.
void DemuxerInput::rewriteExtendedTagsIn(std::uint8_t* buf, std::int64_t n) const {
    constexpr int kSpan = kFlvExtendedTagHead;
    constexpr int kBody = 11; // where the rewritten bytes start: the tag header's size
    const auto fits = [this](std::span<const std::uint8_t, kSpan> tag, int from, int to) {
        return (rewritesExtendedVideo_ && isExtendedVideoTag(tag, from, to)) ||
               (rewritesExtendedSound_ && isExtendedSoundTag(tag, from, to));
    };
    std::array<std::uint8_t, kSpan> tag{};
    for (std::int64_t at = std::max<std::int64_t>(pos_ - kSpan + 1, 0); at < pos_ + n - kBody;
         ++at) {
        const std::int64_t i = at - pos_;
        if (i >= 0 && buf[i] != 9 && buf[i] != 8) continue; // the common case, in a byte
        if (i >= 0 && i + kSpan <= n) {
            std::copy_n(buf + i, kSpan, tag.begin());
        } else {
            const std::int64_t from = std::max<std::int64_t>(-i, 0);
            const std::int64_t to = std::min<std::int64_t>(n - i, kSpan);
            std::copy_n(buf + i + from, to - from, tag.begin() + from);
            if (!fits(tag, static_cast<int>(from), static_cast<int>(to)) ||
                source_->readAt(at, tag.data(), kSpan) != kSpan)
                continue;
        }
        if (!fits(tag, 0, kSpan)) continue;
        const std::span<std::uint8_t, 5> head(tag.data() + kBody, 5);
        if (tag[0] == 9)
            rewriteExtendedVideoHead(head);
        else
            rewriteExtendedSoundHead(head);
        for (int k = kBody; k < kSpan; ++k)
            if (i + k >= 0 && i + k < n) buf[i + k] = tag[static_cast<std::size_t>(k)];
    }
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
