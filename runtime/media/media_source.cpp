#include "media/media_source.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace zimo::media {

namespace {

class FileSource final : public MediaSource {
public:
    explicit FileSource(const QString& path) : file_(path) {}
    bool open() { return file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

    std::int64_t size() const override { return file_.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* out, std::int64_t n) override {
        if (offset < 0 || n < 0) return -1;
        if (offset >= file_.size()) return 0;
        if (!file_.seek(offset)) return -1;
        return file_.read(reinterpret_cast<char*>(out), n);
    }

private:
    QFile file_;
};

class MemorySource final : public MediaSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* out, std::int64_t n) override {
        if (offset < 0 || n < 0) return -1;
        if (offset >= size()) return 0;
        const std::int64_t count = std::min(n, size() - offset);
        std::memcpy(out, bytes_.data() + offset, static_cast<std::size_t>(count));
        return count;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace

std::unique_ptr<MediaSource> MediaSource::openFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0) return nullptr;
    auto source = std::make_unique<FileSource>(path);
    if (!source->open()) return nullptr;
    return source;
}

std::unique_ptr<MediaSource> MediaSource::fromMemory(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    return std::make_unique<MemorySource>(bytes);
}

} // namespace zimo::media
