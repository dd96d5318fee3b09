#include "media/audio_output.h"

#include "media/clock.h"
#include "media/heard_clock.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>

namespace zimo::media {

namespace {

// Decoded sound is kept at most this far ahead of what is heard.
constexpr double kBufferSeconds = 1.0;
// The decoder is told of room once the buffer is this far below full, so it tops the
// buffer up in a few large steps rather than one per read of the device.
constexpr double kRefillSeconds = 0.25;

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

// A run of samples, or of silence when `data` is empty: silence takes no memory however
// long it lasts.
struct Chunk {
    double pts = 0;
    QByteArray data;
    qsizetype length = 0; // bytes
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
    qsizetype maxBytes = 0;
    qsizetype refillBytes = 0; // room is told of below this
    bool paused = false;
    bool failed = false;
    bool starved = false; // the device found nothing to read and waits to be told
    // A clear after sound was given starts the device afresh, dropping what it holds;
    // nothing is read until it has.
    bool restarting = false;
    HeardClock heard; // what the device was given and what of it is heard
    std::atomic<int> volume{100};
    // Told (on the device thread, outside `mutex`) when the buffer has room again.
    std::mutex listenerMutex;
    std::function<void()> roomListener;
};

namespace {

// What the device reads from: it asks for sound when it wants some (pull mode), and each
// read moves samples out of the buffer and reads back how far the device has played.
// Lives on the device thread. When the buffer has nothing the read gives nothing, the
// device stops asking, and the decoder's next push wakes it (readyRead).
class SoundSource final : public QIODevice {
public:
    SoundSource(SampleBuffer& buffer, const Clock& clock, QObject* parent)
        : QIODevice(parent), buffer_(buffer), clock_(clock),
          usPerByte_(1e6 / (static_cast<double>(buffer.format.sampleRate) *
                            buffer.format.bytesPerFrame())) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    void setSink(QAudioSink* sink) { sink_ = sink; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        // How far the device got, before this read adds to what it holds.
        if (sink_) observe();
        const qint64 n = take(data, maxSize);
        // A stream its server has just dropped is given nothing: the sound library, handed
        // samples for such a stream, keeps its lock for good and never answers again.
        if (n > 0 && sink_ && sink_->bytesFree() < 0) return 0;
        if (n > 0) applyVolume(data, n, buffer_.format.sample, buffer_.volume.load());
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 take(char* data, qint64 maxSize) {
        const int frameBytes = buffer_.format.bytesPerFrame();
        const qint64 room = maxSize - maxSize % frameBytes;
        qint64 out = 0;
        bool roomNow = false;
        {
            std::lock_guard lock(buffer_.mutex);
            if (buffer_.paused || buffer_.restarting) return 0;
            const bool wasFull = buffer_.bytes >= buffer_.refillBytes;
            while (out < room && !buffer_.chunks.empty()) {
                Chunk& c = buffer_.chunks.front();
                const qsizetype n = std::min<qsizetype>(room - out, c.length - c.offset);
                const double pts = c.pts + static_cast<double>(c.offset) * usPerByte_ / 1e6;
                buffer_.heard.give(static_cast<double>(n) * usPerByte_, pts);
                if (c.data.isEmpty())
                    std::memset(data + out, silentByte(), static_cast<size_t>(n));
                else
                    std::memcpy(data + out, c.data.constData() + c.offset, static_cast<size_t>(n));
                out += n;
                c.offset += n;
                buffer_.bytes -= n;
                if (c.offset >= c.length) buffer_.chunks.pop_front();
            }
            buffer_.starved = out == 0;
            roomNow = wasFull && buffer_.bytes < buffer_.refillBytes;
        }
        if (roomNow) {
            std::lock_guard lock(buffer_.listenerMutex);
            if (buffer_.roomListener) buffer_.roomListener();
        }
        return out;
    }

    // Unsigned 8-bit samples are quiet at their middle; the other formats at zero.
    int silentByte() const { return buffer_.format.sample == SoundFormat::Sample::U8 ? 0x80 : 0; }

    // Reads how far the device has got.
    void observe() {
        const auto played = static_cast<double>(sink_->processedUSecs());
        const auto queued =
            static_cast<double>(sink_->bufferSize() - sink_->bytesFree()) * usPerByte_;
        const std::int64_t now = clock_.nowUs();
        std::lock_guard lock(buffer_.mutex);
        if (buffer_.paused) return;
        buffer_.heard.observe(played, queued, now);
    }

    SampleBuffer& buffer_;
    const Clock& clock_;
    QAudioSink* sink_ = nullptr;
    const double usPerByte_; // device time per byte of samples
};

} // namespace

namespace {

// The thread the devices of every output live on, as long as the application does: the
// sound library keeps one connection to its server for the whole process, and after the
// server restarts it connects again from the event loop of the thread that first used it.
QThread* deviceThread() {
    static std::mutex mutex;
    static QPointer<QThread> thread;
    std::lock_guard lock(mutex);
    if (!thread) {
        thread = new QThread;
        thread->setObjectName(QStringLiteral("zimo-sound"));
        thread->start();
        qAddPostRoutine([] {
            if (!thread) return;
            thread->quit();
            thread->wait();
            delete thread;
        });
    }
    return thread;
}

} // namespace

struct AudioOutput::Impl {
    const Clock& clock;
    SampleBuffer buffer;
    QPointer<QThread> thread;
    QObject* context = nullptr;    // lives on the device thread
    QAudioSink* sink = nullptr;    // owned by context
    SoundSource* source = nullptr; // owned by context

    explicit Impl(const Clock& c) : clock(c) {}

    // On the device thread: starts the device reading from the buffer. A device that will
    // not start again (its sound server restarted, say) gives way to a new one, on
    // `device` or else the default output as it is now, in the same format. Whether
    // sound now flows.
    bool startDevice(QAudioDevice device = {}) {
        if (sink) {
            sink->start(source);
            if (sink->state() != QAudio::StoppedState) return true;
            QObject::disconnect(sink, nullptr, context, nullptr);
            source->setSink(nullptr);
            delete sink;
            sink = nullptr;
        }
        if (device.isNull()) device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return false;
        QAudioSink* s = new QAudioSink(device, toQt(buffer.format), context);
        QObject::connect(s, &QAudioSink::stateChanged, context, [this, s](QAudio::State) {
            if (s->error() == QAudio::OpenError || s->error() == QAudio::FatalError) {
                std::lock_guard lock(buffer.mutex);
                buffer.failed = true;
            }
        });
        sink = s;
        source->setSink(sink);
        sink->start(source);
        return sink->error() == QAudio::NoError && sink->state() != QAudio::StoppedState;
    }
};

AudioOutput::AudioOutput(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

std::unique_ptr<AudioOutput> AudioOutput::create(const Clock& clock) {
    if (!QCoreApplication::instance()) return nullptr;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return nullptr;
    auto impl = std::make_unique<Impl>(clock);
    impl->buffer.format = fromQt(device.preferredFormat());
    const SoundFormat& f = impl->buffer.format;
    impl->buffer.maxBytes =
        static_cast<qsizetype>(kBufferSeconds * f.sampleRate) * f.bytesPerFrame();
    impl->buffer.refillBytes =
        static_cast<qsizetype>((kBufferSeconds - kRefillSeconds) * f.sampleRate) *
        f.bytesPerFrame();

    impl->thread = deviceThread();
    impl->context = new QObject;
    impl->context->moveToThread(impl->thread);
    bool started = false;
    Impl* p = impl.get();
    QMetaObject::invokeMethod(
        p->context,
        [p, device, &started] {
            p->source = new SoundSource(p->buffer, p->clock, p->context);
            started = p->startDevice(device);
        },
        Qt::BlockingQueuedConnection);
    auto out = std::unique_ptr<AudioOutput>(new AudioOutput(std::move(impl)));
    if (!started) return nullptr; // the destructor tidies the device away
    return out;
}

AudioOutput::~AudioOutput() {
    if (d->context && !(d->thread && d->thread->isRunning())) {
        delete d->context; // the application, and the thread with it, has ended
    } else if (d->context) {
        Impl* p = d.get();
        QMetaObject::invokeMethod(
            p->context,
            [p] {
                if (p->sink) p->sink->stop();
                delete p->context;
            },
            Qt::BlockingQueuedConnection);
    }
}

const SoundFormat& AudioOutput::format() const {
    return d->buffer.format;
}

bool AudioOutput::failed() const {
    std::lock_guard lock(d->buffer.mutex);
    return d->buffer.failed;
}

bool AudioOutput::hasRoom() const {
    std::lock_guard lock(d->buffer.mutex);
    return d->buffer.failed || d->buffer.bytes < d->buffer.maxBytes;
}

void AudioOutput::setRoomListener(std::function<void()> listener) {
    std::lock_guard lock(d->buffer.listenerMutex);
    d->buffer.roomListener = std::move(listener);
}

void AudioOutput::push(double pts, QByteArray samples) {
    const qsizetype length = samples.size();
    add(pts, std::move(samples), length);
}

void AudioOutput::pushSilence(double pts, double seconds) {
    const SoundFormat& f = d->buffer.format;
    add(pts, {}, static_cast<qsizetype>(std::llround(seconds * f.sampleRate)) * f.bytesPerFrame());
}

void AudioOutput::add(double pts, QByteArray samples, qsizetype length) {
    {
        std::lock_guard lock(d->buffer.mutex);
        if (d->buffer.failed || length <= 0) return;
        d->buffer.bytes += length;
        d->buffer.chunks.push_back({pts, std::move(samples), length, 0});
        if (!d->buffer.starved) return;
        d->buffer.starved = false;
    }
    // The device stopped asking when it found nothing: sound is here again.
    SoundSource* source = d->source;
    QMetaObject::invokeMethod(source, [source] { Q_EMIT source->readyRead(); });
}

void AudioOutput::clear() {
    bool failed = false;
    {
        std::lock_guard lock(d->buffer.mutex);
        d->buffer.chunks.clear();
        d->buffer.bytes = 0;
        // What the device still holds belongs to the old position: not heard as time,
        // and not heard at all once the device has started afresh.
        d->buffer.heard.untimeGiven();
        failed = d->buffer.failed;
        if (!failed && (!d->buffer.heard.anyGiven() || d->buffer.restarting)) return;
        d->buffer.restarting = true;
    }
    // Stopping the device drops the sound it holds (a tenth of a second and more, which
    // would otherwise be heard after a seek); a new start begins with an empty buffer.
    // A failed device is tried again, on the default output as it is now, and waited
    // for: whoever clears decides next whether there is sound to decode.
    Impl* p = d.get();
    QMetaObject::invokeMethod(
        p->context,
        [p] {
            if (p->sink) p->sink->stop();
            {
                std::lock_guard lock(p->buffer.mutex);
                p->buffer.heard = HeardClock(); // the new start's figures begin at nothing
                p->buffer.failed = false;
            }
            const bool started = p->startDevice();
            bool paused = false;
            {
                std::lock_guard lock(p->buffer.mutex);
                p->buffer.restarting = false;
                p->buffer.failed = !started;
                paused = p->buffer.paused;
            }
            if (started && paused) p->sink->suspend();
        },
        failed ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void AudioOutput::skipTo(double pts) {
    std::lock_guard lock(d->buffer.mutex);
    SampleBuffer& b = d->buffer;
    b.heard.untimeGiven();
    const double bytesPerSecond =
        static_cast<double>(b.format.sampleRate) * b.format.bytesPerFrame();
    while (!b.chunks.empty()) {
        Chunk& c = b.chunks.front();
        const double at = c.pts + static_cast<double>(c.offset) / bytesPerSecond;
        if (at >= pts) break;
        const qsizetype frameBytes = b.format.bytesPerFrame();
        const qsizetype left = c.length - c.offset;
        qsizetype skip = static_cast<qsizetype>((pts - at) * bytesPerSecond);
        skip = std::min(left, skip - skip % frameBytes);
        c.offset += skip;
        b.bytes -= skip;
        if (c.offset < c.length) break;
        b.chunks.pop_front();
    }
}

void AudioOutput::setPaused(bool paused) {
    {
        std::lock_guard lock(d->buffer.mutex);
        if (d->buffer.paused == paused) return;
        d->buffer.paused = paused;
        d->buffer.heard.interrupt();
    }
    Impl* p = d.get();
    QMetaObject::invokeMethod(p->context, [p, paused] {
        if (!p->sink) return;
        if (paused)
            p->sink->suspend();
        else
            p->sink->resume();
    });
}

void AudioOutput::setVolume(int volume) {
    d->buffer.volume = std::clamp(volume, 0, 100);
}

std::optional<double> AudioOutput::position(std::int64_t nowUs) const {
    std::lock_guard lock(d->buffer.mutex);
    const SampleBuffer& b = d->buffer;
    if (b.failed || b.paused) return std::nullopt;
    // A device that ran dry is not read while it plays out what it holds; once that
    // is heard to the end, nothing more is heard.
    if (b.starved && b.heard.heardToTheEnd(nowUs)) return std::nullopt;
    return b.heard.heard(nowUs);
}

bool AudioOutput::hasPendingSound() const {
    std::lock_guard lock(d->buffer.mutex);
    const SampleBuffer& b = d->buffer;
    return !b.failed && (!b.chunks.empty() || b.heard.pending());
}

} // namespace zimo::media
