// The sound converter gives a mono source, on both sides of a stereo output, the level
// a stereo source with the same signal on both sides has.
#include "media/sound_converter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zimo::media {
namespace {

// 0.1 s of a 440 Hz tone at half scale, the same on every channel, as 16-bit samples.
AVFrame* ToneFrame(int channels) {
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = 44100;
    frame->nb_samples = 4410;
    av_channel_layout_default(&frame->ch_layout, channels);
    if (av_frame_get_buffer(frame, 0) < 0) return frame;
    auto* samples = reinterpret_cast<std::int16_t*>(frame->data[0]);
    for (int i = 0; i < frame->nb_samples; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * channels + c] =
                static_cast<std::int16_t>(16384 * std::sin(2 * M_PI * 440 * i / 44100.0));
    return frame;
}

// The level of each output channel, in dB against full scale.
std::vector<double> ChannelLevels(const QByteArray& out, int channels) {
    std::vector<double> sums(channels, 0);
    const auto frames = out.size() / (2 * channels);
    for (qsizetype i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            std::int16_t v;
            std::memcpy(&v, out.constData() + (i * channels + c) * 2, 2);
            sums[c] += double(v) * v;
        }
    std::vector<double> levels;
    for (double sum : sums)
        levels.push_back(10 * std::log10(sum / double(frames) / (32768.0 * 32768.0)));
    return levels;
}

TEST(SoundConverter, MonoPlaysAtTheLevelOfTheSameSignalInStereo) {
    std::vector<double> levels[2];
    for (const int inChannels : {1, 2}) {
        SoundConverter converter({44100, 2, SoundFormat::Sample::S16});
        AVFrame* frame = ToneFrame(inChannels);
        levels[inChannels - 1] = ChannelLevels(converter.convert(frame), 2);
        av_frame_free(&frame);
    }
    for (int c = 0; c < 2; ++c) {
        EXPECT_NEAR(levels[0][c], levels[1][c], 0.5) << "channel " << c;
        EXPECT_NEAR(levels[1][c], -9.03, 0.5); // a half-scale sine
    }
}

} // namespace
} // namespace zimo::media
