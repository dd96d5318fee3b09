// What a demuxer reads: a media source behind an FFmpeg I/O context of our own, which
//  - gives up at once when the owner says so (a new file, close, the stream's end),
//  - ends the data when the demuxer has read too far without giving a packet (a scan for
//    the next tag through junk or a long run of zeros), saying where, and
//  - can hide single bytes from the demuxer (it sees 0 there), and
//  - can show Flash Video's extended tags of pictures and of sound in layouts the demuxer
//    passes through (see flv_added_codecs.h and flv_added_sound.h).
// Not thread-safe; it belongs to the thread of its demuxer.
#pragma once

#include "media/media_source.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct AVIOContext;
struct AVIOInterruptCB;

namespace zimo::media {

class DemuxerInput {
public:
    // True when whatever reads should stop at once. May be empty.
    using Interrupted = std::function<bool()>;

    DemuxerInput(std::unique_ptr<MediaSource> source, Interrupted interrupted);
    ~DemuxerInput();
    DemuxerInput(const DemuxerInput&) = delete;
    DemuxerInput& operator=(const DemuxerInput&) = delete;

    // Null when it could not be made. Owned by this object.
    AVIOContext* context() { return context_; }
    // For the demuxer's own long loops.
    AVIOInterruptCB interruptCallback();
    MediaSource& source() { return *source_; }

    // How many bytes the demuxer may read between two packets before its data counts as
    // ended; 0 for no limit.
    void setScanLimit(std::int64_t bytes) { scanLimit_ = bytes; }
    // A packet has come out, or the demuxer was moved: the next scan starts.
    void packetTaken() {
        scanned_ = 0;
        cutAt_.reset();
    }
    // Where the data was ended for a scan gone too far, when it was since the last packet.
    std::optional<std::int64_t> cutAt() const { return cutAt_; }
    bool interrupted() const { return interrupted_ && interrupted_(); }
    // The byte at this offset reads as 0.
    void hide(std::int64_t offset);
    // Flash Video files put one after another: the headers of the later ones are hidden
    // from the demuxer, which reads on into their tags.
    void hideJoinedHeaders() { hidesJoinedHeaders_ = true; }
    void rewriteExtendedVideo() { rewritesExtendedVideo_ = true; }
    void rewriteExtendedSound() { rewritesExtendedSound_ = true; }

private:
    static int read(void* opaque, std::uint8_t* buf, int size);
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence);
    static int checkInterrupt(void* opaque);
    void hideHeadersIn(std::uint8_t* buf, std::int64_t n) const;
    void rewriteExtendedTagsIn(std::uint8_t* buf, std::int64_t n) const;

    std::unique_ptr<MediaSource> source_;
    Interrupted interrupted_;
    AVIOContext* context_ = nullptr;
    std::int64_t pos_ = 0;
    std::int64_t scanLimit_ = 0;
    std::int64_t scanned_ = 0;
    std::optional<std::int64_t> cutAt_;
    std::vector<std::int64_t> hidden_; // sorted
    bool hidesJoinedHeaders_ = false;
    bool rewritesExtendedVideo_ = false;
    bool rewritesExtendedSound_ = false;
};

} // namespace zimo::media
