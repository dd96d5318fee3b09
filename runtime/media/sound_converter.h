// Resamples decoded audio to the one interleaved format an output takes.
#pragma once

#include <QByteArray>

struct AVFrame;
struct SwrContext;

namespace zimo::media {

struct SoundFormat {
    enum class Sample { U8, S16, S32, Float };
    int sampleRate = 44100;
    int channels = 2;
    Sample sample = Sample::S16;

    int bytesPerFrame() const;
    bool operator==(const SoundFormat&) const = default;
};

class SoundConverter {
public:
    explicit SoundConverter(SoundFormat out) : out_(out) {}
    ~SoundConverter();
    SoundConverter(const SoundConverter&) = delete;
    SoundConverter& operator=(const SoundConverter&) = delete;

    const SoundFormat& format() const { return out_; }
    // Interleaved samples in the output format; empty when the frame cannot be
    // converted. Follows changes of the input's rate or layout.
    QByteArray convert(const AVFrame* frame);

private:
    SoundFormat out_;
    SwrContext* swr_ = nullptr;
    int inRate_ = 0;
    int inFormat_ = -1;
    int inChannels_ = 0;
};

} // namespace zimo::media
