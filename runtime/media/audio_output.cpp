#include "media/audio_output.h"

#include "media/clock.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>

namespace zimo::media {

namespace {

// Decoded sound is kept at most this far ahead of what is heard.
constexpr double kBufferSeconds = 1.0;
// When the buffer runs dry the device gets this much silence at a time.
constexpr double kSilenceSeconds = 0.02;
// Device latencies beyond this are taken for nonsense.
constexpr double kMaxLatencySeconds = 1.0;

SoundFormat fromQt(const QAudioFormat& f) {
    SoundFormat out;
    out.sampleRate = f.sampleRate() > 0 ? f.sampleRate() : 44100;
    out.channels = std::clamp(f.channelCount(), 1, 8);
    switch (f.sampleFormat()) {
    case QAudioFormat::UInt8:
        out.sample = SoundFormat::Sample::U8;
        break;
    case QAudioFormat::Int32:
        out.sample = SoundFormat::Sample::S32;
        break;
    case QAudioFormat::Float:
        out.sample = SoundFormat::Sample::Float;
        break;
    default:
        out.sample = SoundFormat::Sample::S16;
        break;
    }
    return out;
}

QAudioFormat toQt(const SoundFormat& f) {
    QAudioFormat q;
    q.setSampleRate(f.sampleRate);
    q.setChannelCount(f.channels);
    switch (f.sample) {
    case SoundFormat::Sample::U8:
        q.setSampleFormat(QAudioFormat::UInt8);
        break;
    case SoundFormat::Sample::S16:
        q.setSampleFormat(QAudioFormat::Int16);
        break;
    case SoundFormat::Sample::S32:
        q.setSampleFormat(QAudioFormat::Int32);
        break;
    case SoundFormat::Sample::Float:
        q.setSampleFormat(QAudioFormat::Float);
        break;
    }
    return q;
}

void applyVolume(char* data, qint64 bytes, SoundFormat::Sample sample, int volume) {
    if (volume >= 100) return;
    const double gain = volume / 100.0;
    switch (sample) {
    case SoundFormat::Sample::U8:
        for (qint64 i = 0; i < bytes; ++i) {
            const int v = static_cast<unsigned char>(data[i]) - 128;
            data[i] = static_cast<char>(static_cast<int>(v * gain) + 128);
        }
        break;
    case SoundFormat::Sample::S16:
        for (qint64 i = 0; i + 1 < bytes; i += 2) {
            std::int16_t v;
            std::memcpy(&v, data + i, 2);
            v = static_cast<std::int16_t>(v * gain);
            std::memcpy(data + i, &v, 2);
        }
        break;
    case SoundFormat::Sample::S32:
        for (qint64 i = 0; i + 3 < bytes; i += 4) {
            std::int32_t v;
            std::memcpy(&v, data + i, 4);
            v = static_cast<std::int32_t>(v * gain);
            std::memcpy(data + i, &v, 4);
        }
        break;
    case SoundFormat::Sample::Float:
        for (qint64 i = 0; i + 3 < bytes; i += 4) {
            float v;
            std::memcpy(&v, data + i, 4);
            v = static_cast<float>(v * gain);
            std::memcpy(data + i, &v, 4);
        }
        break;
    }
}

struct Chunk {
    double pts = 0;
    QByteArray data;
    qsizetype offset = 0;
};

} // namespace

// The buffered samples and the heard-time bookkeeping, shared by the decoder,
// the owner and the device thread.
struct SampleBuffer {
    SoundFormat format;
    mutable std::mutex mutex;
    std::deque<Chunk> chunks;
    qsizetype bytes = 0;
    bool paused = false;
    bool flowing = false;   // the device was last given real samples
    bool failed = false;
    double heardPts = 0;    // media time heard at heardAtUs
    std::int64_t heardAtUs = 0;
    std::atomic<int> volume{100};
};

namespace {

// What the device pulls samples from. Lives on the device thread.
class Feed final : public QIODevice {
public:
    Feed(SampleBuffer& buffer, const Clock& clock) : buffer_(buffer), clock_(clock) {}
    void setSink(QAudioSink* sink) { sink_ = sink; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxlen) override {
        const SoundFormat& f = buffer_.format;
        const int frameBytes = f.bytesPerFrame();
        const double byteRate = static_cast<double>(f.sampleRate) * frameBytes;
        maxlen -= maxlen % frameBytes;
        if (maxlen <= 0) return 0;
        double latency = 0;
        if (sink_) {
            latency = static_cast<double>(sink_->bufferSize() - sink_->bytesFree()) / byteRate;
            latency = std::clamp(latency, 0.0, kMaxLatencySeconds);
        }
        std::lock_guard lock(buffer_.mutex);
        qint64 copied = 0;
        double startPts = 0;
        while (copied < maxlen && !buffer_.chunks.empty()) {
            Chunk& c = buffer_.chunks.front();
            if (copied == 0)
                startPts = c.pts + static_cast<double>(c.offset) / byteRate;
            const qint64 n = std::min<qint64>(maxlen - copied, c.data.size() - c.offset);
            std::memcpy(data + copied, c.data.constData() + c.offset, static_cast<size_t>(n));
            copied += n;
            c.offset += n;
            buffer_.bytes -= n;
            if (c.offset >= c.data.size()) buffer_.chunks.pop_front();
        }
        if (copied == 0) {
            // Dry: keep the device running on silence, and stop claiming a time.
            buffer_.flowing = false;
            qint64 n = static_cast<qint64>(kSilenceSeconds * f.sampleRate) * frameBytes;
            n = std::min(n, maxlen);
            std::memset(data, f.sample == SoundFormat::Sample::U8 ? 0x80 : 0, static_cast<size_t>(n));
            return n;
        }
        applyVolume(data, copied, f.sample, buffer_.volume.load());
        buffer_.flowing = true;
        buffer_.heardPts = std::max(0.0, startPts - latency);
        buffer_.heardAtUs = clock_.nowUs();
        return copied;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SampleBuffer& buffer_;
    const Clock& clock_;
    QAudioSink* sink_ = nullptr;
};

} // namespace

struct AudioOutput::Impl {
    const Clock& clock;
    SampleBuffer buffer;
    QThread thread;
    QObject* context = nullptr; // lives on the device thread
    QAudioSink* sink = nullptr;
    Feed* feed = nullptr;
    qsizetype maxBytes = 0;

    explicit Impl(const Clock& c) : clock(c) {}
};

AudioOutput::AudioOutput(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

std::unique_ptr<AudioOutput> AudioOutput::create(const Clock& clock) {
    if (!QCoreApplication::instance()) return nullptr;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return nullptr;
    auto impl = std::make_unique<Impl>(clock);
    impl->buffer.format = fromQt(device.preferredFormat());
    const SoundFormat& f = impl->buffer.format;
    impl->maxBytes = static_cast<qsizetype>(kBufferSeconds * f.sampleRate) * f.bytesPerFrame();

    impl->thread.setObjectName(QStringLiteral("zimo-sound"));
    impl->thread.start();
    impl->context = new QObject;
    impl->context->moveToThread(&impl->thread);
    bool started = false;
    Impl* p = impl.get();
    QMetaObject::invokeMethod(
        p->context,
        [p, device, &started] {
            p->feed = new Feed(p->buffer, p->clock);
            p->feed->open(QIODevice::ReadOnly);
            p->sink = new QAudioSink(device, toQt(p->buffer.format));
            p->feed->setSink(p->sink);
            QObject::connect(p->sink, &QAudioSink::stateChanged, p->sink, [p](QAudio::State) {
                if (p->sink->error() == QAudio::OpenError || p->sink->error() == QAudio::FatalError) {
                    std::lock_guard lock(p->buffer.mutex);
                    p->buffer.failed = true;
                }
            });
            p->sink->start(p->feed);
            started = p->sink->error() == QAudio::NoError &&
                      p->sink->state() != QAudio::StoppedState;
        },
        Qt::BlockingQueuedConnection);
    auto out = std::unique_ptr<AudioOutput>(new AudioOutput(std::move(impl)));
    if (!started) return nullptr; // the destructor tidies the thread
    return out;
}

AudioOutput::~AudioOutput() {
    if (d->context) {
        Impl* p = d.get();
        QMetaObject::invokeMethod(
            p->context,
            [p] {
                if (p->sink) p->sink->stop();
                delete p->sink;
                delete p->feed;
                delete p->context;
            },
            Qt::BlockingQueuedConnection);
    }
    d->thread.quit();
    d->thread.wait();
}

const SoundFormat& AudioOutput::format() const { return d->buffer.format; }

bool AudioOutput::hasRoom() const {
    std::lock_guard lock(d->buffer.mutex);
    return d->buffer.failed || d->buffer.bytes < d->maxBytes;
}

void AudioOutput::push(double pts, QByteArray samples) {
    std::lock_guard lock(d->buffer.mutex);
    if (d->buffer.failed) return;
    d->buffer.bytes += samples.size();
    d->buffer.chunks.push_back({pts, std::move(samples), 0});
}

void AudioOutput::clear() {
    std::lock_guard lock(d->buffer.mutex);
    d->buffer.chunks.clear();
    d->buffer.bytes = 0;
    d->buffer.flowing = false;
}

void AudioOutput::setPaused(bool paused) {
    {
        std::lock_guard lock(d->buffer.mutex);
        if (d->buffer.paused == paused) return;
        d->buffer.paused = paused;
        d->buffer.flowing = false;
    }
    Impl* p = d.get();
    QMetaObject::invokeMethod(p->context, [p, paused] {
        if (!p->sink) return;
        if (paused) p->sink->suspend();
        else p->sink->resume();
    });
}

void AudioOutput::setVolume(int volume) { d->buffer.volume = std::clamp(volume, 0, 100); }

std::optional<double> AudioOutput::position(std::int64_t nowUs) const {
    std::lock_guard lock(d->buffer.mutex);
    const SampleBuffer& b = d->buffer;
    if (b.failed || b.paused || !b.flowing) return std::nullopt;
    return b.heardPts + static_cast<double>(nowUs - b.heardAtUs) / 1e6;
}

} // namespace zimo::media
