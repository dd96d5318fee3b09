#include "media/sound_converter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <vector>

namespace zimo::media {

namespace {

AVSampleFormat toAv(SoundFormat::Sample s) {
    switch (s) {
    case SoundFormat::Sample::U8:
        return AV_SAMPLE_FMT_U8;
    case SoundFormat::Sample::S16:
        return AV_SAMPLE_FMT_S16;
    case SoundFormat::Sample::S32:
        return AV_SAMPLE_FMT_S32;
    case SoundFormat::Sample::Float:
        return AV_SAMPLE_FMT_FLT;
    }
    return AV_SAMPLE_FMT_S16;
}

} // namespace

int SoundFormat::bytesPerFrame() const {
    return channels * av_get_bytes_per_sample(toAv(sample));
}

SoundConverter::~SoundConverter() {
    swr_free(&swr_);
}

QByteArray SoundConverter::convert(const AVFrame* frame) {
    if (!frame || frame->nb_samples <= 0 || frame->sample_rate <= 0) return {};
    const int channels = frame->ch_layout.nb_channels;
    if (channels <= 0 || out_.channels <= 0 || out_.sampleRate <= 0) return {};
    if (!swr_ || frame->sample_rate != inRate_ || frame->format != inFormat_ ||
        channels != inChannels_) {
        swr_free(&swr_);
        AVChannelLayout inLayout{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, channels);
        else if (av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0)
            return {};
        AVChannelLayout outLayout{};
        av_channel_layout_default(&outLayout, out_.channels);
        int ret = swr_alloc_set_opts2(&swr_, &outLayout, toAv(out_.sample), out_.sampleRate,
                                      &inLayout, static_cast<AVSampleFormat>(frame->format),
                                      frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        // A mono source goes to the front pair at its full level, as other players give
        // it, not at the -3 dB the resampler's own mix gives a lone centre channel.
        if (ret >= 0 && channels == 1 && out_.channels >= 2) {
            std::vector<double> matrix(static_cast<std::size_t>(out_.channels), 0.0);
            matrix[0] = matrix[1] = 1.0; // front left and right lead every default layout
            ret = swr_set_matrix(swr_, matrix.data(), 1);
        }
        if (ret < 0 || swr_init(swr_) < 0) {
            swr_free(&swr_);
            return {};
        }
        inRate_ = frame->sample_rate;
        inFormat_ = frame->format;
        inChannels_ = channels;
    }
    const int capacity = swr_get_out_samples(swr_, frame->nb_samples);
    if (capacity <= 0) return {};
    QByteArray out(static_cast<qsizetype>(capacity) * out_.bytesPerFrame(), Qt::Uninitialized);
    uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(out.data())};
    const int got = swr_convert(
        swr_, dst, capacity, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (got < 0) return {};
    out.truncate(static_cast<qsizetype>(got) * out_.bytesPerFrame());
    return out;
}

} // namespace zimo::media
