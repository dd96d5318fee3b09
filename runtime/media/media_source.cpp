#include "media/media_source.h"

#include <zimo/file_name_text.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace zimo::media {

namespace {

// The file a path names, by the exact bytes of its name (see file_name_text.h); empty for
// a name that holds a NUL, which no file has.
std::filesystem::path localFile(const QString& path) {
    const QByteArray name = fileNameBytes(path);
    if (name.isEmpty() || name.contains('\0')) return {};
    return std::filesystem::path(std::string(name.constData(), std::size_t(name.size())));
}

class FileSource final : public MediaSource {
public:
    FileSource(const std::filesystem::path& file, std::int64_t size)
        : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)), size_(size) {}
    ~FileSource() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool isOpen() const { return fd_ >= 0; }

    std::int64_t size() const override { return size_; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* out, std::int64_t n) override {
        if (offset < 0 || n < 0) return -1;
        if (offset >= size_) return 0;
        const auto count = static_cast<std::size_t>(std::min(n, size_ - offset));
        for (;;) {
            const ssize_t r = ::pread(fd_, out, count, static_cast<off_t>(offset));
            if (r >= 0) return r;
            if (errno != EINTR) return -1;
        }
    }
    std::int64_t dataFrom(std::int64_t offset) override {
        if (offset >= size_) return size_;
        const off_t at = ::lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
        if (at >= 0) return std::clamp<std::int64_t>(at, offset, size_);
        return errno == ENXIO ? size_ : offset; // nothing but a hole to the end; or not known
    }

private:
    int fd_;
    std::int64_t size_;
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
    const std::filesystem::path file = localFile(path);
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) return nullptr;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size == 0) return nullptr;
    auto source = std::make_unique<FileSource>(file, static_cast<std::int64_t>(size));
    return source->isOpen() ? std::move(source) : nullptr;
}

std::unique_ptr<MediaSource> MediaSource::fromMemory(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    return std::make_unique<MemorySource>(bytes);
}

} // namespace zimo::media
