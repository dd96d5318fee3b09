#include "fuzz_entries.h"

#include "media/amf0.h"
#include "media/flv_metadata.h"
#include "media/flv_resync.h"
#include "media/media_file.h"
#include "media/picture_converter.h"

extern "C" {
#include <libavutil/log.h>
}

namespace zimo::media::fuzz {

void readAmf0(std::span<const std::uint8_t> data) {
    amf0::Reader names(data);
    QString name;
    while (!names.failed() && !names.atEnd())
        names.readName(name);
    amf0::Reader values(data);
    while (!values.failed() && !values.atEnd())
        (void)values.read();
}

void readFlvHead(std::span<const std::uint8_t> data) {
    auto source = MediaSource::fromMemory(data);
    if (!source) return;
    (void)media::readFlvHead(*source);
    std::int64_t from = 0;
    for (int i = 0; i < 64; ++i) {
        const auto found = findFlvTagsFrom(*source, from, {});
        if (!found) break;
        from = *found + 1;
    }
}

void playFile(std::span<const std::uint8_t> data) {
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)quiet;
    // The engine keeps its converter from one file to the next; so does this.
    static PictureConverter pictures;
    MediaFile::Options options;
    options.maxPixels = 320 * 240;
    options.decoderThreads = 1;
    auto file = MediaFile::open(MediaSource::fromMemory(data), options);
    if (!file) return;
    const auto decode = [&](int items) {
        for (int i = 0; i < items; ++i) {
            MediaFile::Item item = file->next(i % 3 != 0, i % 4 != 1);
            if (item.kind == MediaFile::Item::Kind::End) return;
            if (item.kind == MediaFile::Item::Kind::Video) (void)pictures.convert(item.frame.get());
        }
    };
    decode(12);
    // The target comes from the input, so seeks far and near are both tried.
    file->seek(data.back() / 16.0);
    decode(6);
    file->seek(0);
    decode(3);
}

} // namespace zimo::media::fuzz
